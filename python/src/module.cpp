// The compiled part of the package: vantor._core.
#include "support.h"

namespace py = pybind11;
using namespace vantor::python;

PYBIND11_MODULE(_core, m) {
  m.doc() = "The cell simulator's core: parameters, gate table, stimuli, runs and sweeps.";
  ErrorTypes& errors = Errors();
  errors.fileError = PyErr_NewExceptionWithDoc(
      "vantor.FileError",
      "A parameter, limits or gate table file could not be read or written.\n\n"
      "str() is the program's message; filename names the file, and errno and\n"
      "strerror give the system's reason when there is one.",
      PyExc_OSError, nullptr);
  // OSError words itself from errno and filename once they are set; the
  // message given says more (the program's words, the path and the reason).
  py::handle(errors.fileError)
      .attr("__str__") = py::cpp_function(
      [](const py::object& self) -> py::object {
        const py::tuple args = self.attr("args");
        if (args.size() == 1) return py::str(args[0]);
        return py::module_::import("builtins").attr("OSError").attr("__str__")(self);
      },
      py::is_method(py::handle(errors.fileError)));
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
  BindNwb(m);
  BindAnalysis(m);
}
