// What the parts of the Python module share: its exception types, the
// directory of the shipped files, and turning the program's messages and
// keys into Python's terms.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

namespace vantor::python {

namespace py = pybind11;

// vantor.FileError (an OSError), vantor.FileWarning, vantor.RunError.
struct ErrorTypes {
  py::handle fileError;
  py::handle fileWarning;
  py::handle runError;
};
ErrorTypes& Errors();

// Sets the Python error `type` with the text and throws.
[[noreturn]] void Raise(py::handle type, const std::string& utf8);
// Raises vantor.FileError with the text before + path + after, and with
// `filename`, `errno` and `strerror` set as an OSError has them (error 0: no
// system error, None). The path is decoded as the file system encodes it.
[[noreturn]] void RaiseFileError(const std::string& before, const std::string& path,
                                 const std::string& after, int error);
// A path as Python shows it (os.fsdecode).
py::str PathStr(const std::string& path);
// Why `path` cannot be read: the system's error (EISDIR for a directory), or
// -1 for a file that is not a regular one (a device, a FIFO); 0 when none is
// known.
int ReadError(const std::string& path);
// Why `path` cannot be written as a new or replaced file; 0 when unknown.
int WriteError(const std::string& path);
// The system's reason for ReadError or WriteError.
std::string ErrorReason(int error);
// The texts of the messages, one a line, in UTF-8.
std::string MessageText(const CollectedMessages& messages);
// Each message as a vantor.FileWarning.
void WarnEach(const CollectedMessages& messages);

// The directory holding VANTOR.mnx and vmodels.val (the package sets it).
const std::string& DataDirectory();
void SetDataDirectory(const std::string& directory);

// The built-in parameters with the limits of `limitsPath`, or of the
// shipped limits file when it is empty, as the program has them after
// start-up. Raises FileError for a given limits file that cannot be read.
ParameterSet StartupParameters(const std::string& limitsPath);
// The shipped gate table, read once. Raises FileError when it cannot be.
const GateTable& ShippedGates();

// A str or os.PathLike as a path; TypeError for anything else.
std::string PathText(const py::handle& path);

// The parameter an int (index 0 .. 53) or a str (name,
// short name, prompt) names. IndexError, KeyError or TypeError otherwise.
int ParameterIndex(const ParameterSet& params, const py::handle& key);
// Sets a value with the dialogs' range check; ValueError quoting the
// program's range message when it is outside the limits, or saying that a
// method is a whole number.
void SetChecked(ParameterSet& params, int k, double value);

// A Python number as a double; TypeError for anything else.
double Number(const py::handle& value);

// Only the main thread sees Python's signals (Ctrl+C).
bool OnMainThread();

// A copy of the parameters with the integration method, when one is given,
// set with the range check.
ParameterSet WithMethod(const ParameterSet& params, const py::object& method);
// The gate table given, or the shipped one for None; TypeError otherwise.
const GateTable& GatesArgument(const py::object& gates);

void BindParameters(py::module_& m);
void BindGates(py::module_& m);
void BindRun(py::module_& m);
void BindSweep(py::module_& m);
void BindStimulus(py::module_& m);
void BindNwb(py::module_& m);
void BindAnalysis(py::module_& m);

}  // namespace vantor::python
