// The compiled part of the package: vantor._core.
#include "support.h"

namespace py = pybind11;
using namespace vantor::python;

PYBIND11_MODULE(_core, m) {
  m.doc() = "The cell simulator's core: parameters, gate table, stimuli, runs and sweeps.";
  ErrorTypes& errors = Errors();
  errors.fileError = PyErr_NewExceptionWithDoc(
      "vantor.FileError", "A parameter, limits or gate table file could not be read or written.",
      PyExc_OSError, nullptr);
  errors.fileWarning = PyErr_NewExceptionWithDoc(
      "vantor.FileWarning", "A file was read with a problem (a missing or bad companion file).",
      PyExc_UserWarning, nullptr);
  errors.runError = PyErr_NewExceptionWithDoc(
      "vantor.RunError", "A run was refused or failed; the message is the program's.",
      PyExc_RuntimeError, nullptr);
  m.attr("FileError") = errors.fileError;
  m.attr("FileWarning") = errors.fileWarning;
  m.attr("RunError") = errors.runError;
  m.attr("__version__") = VANTOR_VERSION;
  m.def("_set_data_dir", &SetDataDirectory, py::arg("directory"),
        "Where the shipped limits file and gate table are read from.");
  m.def("_data_dir", &DataDirectory);
  BindParameters(m);
  BindGates(m);
  BindRun(m);
  BindSweep(m);
  BindStimulus(m);
}
