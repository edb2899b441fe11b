#include "support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "vantor/params/parameter_names.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/list_files.h"
#include "vantor/params/startup_files.h"

namespace vantor::python {

// Everything here is used with the GIL held.
ErrorTypes& Errors() {
  static ErrorTypes types;
  return types;
}

void Raise(py::handle type, const std::string& utf8) {
  PyErr_SetString(type.ptr(), utf8.c_str());
  throw py::error_already_set();
}

py::str PathStr(const std::string& path) {
  return py::module_::import("os").attr("fsdecode")(py::bytes(path));
}

void RaiseFileError(const std::string& before, const std::string& path, const std::string& after,
                    int error) {
  const py::str name = PathStr(path);
  const py::str text = py::str(before) + name + py::str(after);
  py::object exception = py::reinterpret_borrow<py::object>(Errors().fileError)(text);
  exception.attr("filename") = name;
  if (error > 0) {
    exception.attr("errno") = error;
    exception.attr("strerror") = ErrorReason(error);
  }
  PyErr_SetObject(Errors().fileError.ptr(), exception.ptr());
  throw py::error_already_set();
}

int ReadError(const std::string& path) {
  if (path.empty()) return ENOENT;
  // Without blocking: a FIFO is refused, not waited on.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat info {};
  int error = 0;
  if (fstat(fd, &info) == 0) {
    if (S_ISDIR(info.st_mode)) error = EISDIR;
    else if (!S_ISREG(info.st_mode)) error = -1;
  }
  close(fd);
  return error;
}

int WriteError(const std::string& path) {
  if (path.empty()) return ENOENT;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (access(path.c_str(), W_OK) != 0) return errno;
  } else if (errno != ENOENT) {
    return errno;
  }
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return errno;
  return 0;
}

std::string ErrorReason(int error) {
  return error < 0 ? std::string("not a regular file") : std::string(std::strerror(error));
}

std::string MessageText(const CollectedMessages& messages) {
  std::string text;
  for (const CollectedMessages::Entry& entry : messages.entries) {
    if (!text.empty()) text += '\n';
    text += Cp437ToUtf8(entry.text);
  }
  return text;
}

void WarnEach(const CollectedMessages& messages) {
  for (const CollectedMessages::Entry& entry : messages.entries)
    if (PyErr_WarnEx(Errors().fileWarning.ptr(), Cp437ToUtf8(entry.text).c_str(), 2) != 0)
      throw py::error_already_set();  // warnings turned into errors
}

namespace {
std::string& DataDirectoryStore() {
  static std::string directory;
  return directory;
}
std::optional<GateTable>& ShippedGatesStore() {
  static std::optional<GateTable> gates;
  return gates;
}
}  // namespace

const std::string& DataDirectory() { return DataDirectoryStore(); }

void SetDataDirectory(const std::string& directory) {
  DataDirectoryStore() = directory;
  ShippedGatesStore().reset();
}

ParameterSet StartupParameters(const std::string& limitsPath) {
  ParameterSet params;
  CollectedMessages messages;
  if (limitsPath.empty()) {
    // As at start-up: without the shipped limits file the built-in ones apply.
    ReadInitFile(JoinPath(DataDirectory(), "VANTOR.mnx"), params, messages);
    WarnEach(messages);
    return params;
  }
  // The limits reader finds its file through the extension ".mnx".
  if (ReplaceExtension(limitsPath, ".mnx") != limitsPath)
    Raise(PyExc_ValueError, "a limits file is named *.mnx: " + Cp437ToUtf8(limitsPath));
  if (const int error = ReadError(limitsPath); error != 0)
    RaiseFileError("Could not find initialization file: ", limitsPath,
                   " (" + ErrorReason(error) + ")", error);
  ReadInitFile(limitsPath, params, messages);
  if (!messages.entries.empty()) RaiseFileError(MessageText(messages) + " (", limitsPath, ")", 0);
  return params;
}

const GateTable& ShippedGates() {
  std::optional<GateTable>& gates = ShippedGatesStore();
  if (!gates) {
    GateTable table;
    CollectedMessages messages;
    const std::string path = JoinPath(DataDirectory(), "vmodels.val");
    if (!LoadGateTable(path, table, messages))
      Raise(Errors().fileError, MessageText(messages) + " (" + path + ")");
    gates = table;
  }
  return *gates;
}

std::string PathText(const py::handle& path) {
  // os.fspath accepts str, bytes and path objects and refuses the rest.
  const py::object text = py::module_::import("os").attr("fspath")(path);
  if (py::isinstance<py::bytes>(text)) return text.cast<std::string>();
  const std::string utf8 = text.cast<std::string>();
  if (utf8.find('\0') != std::string::npos) Raise(PyExc_ValueError, "a path holds a NUL character");
  return utf8;
}

int ParameterIndex(const ParameterSet& params, const py::handle& key) {
  if (py::isinstance<py::bool_>(key)) Raise(PyExc_TypeError, "a parameter is named by an int or a str");
  if (py::isinstance<py::int_>(key) || PyIndex_Check(key.ptr())) {
    const py::int_ number(py::reinterpret_borrow<py::object>(key));
    int overflow = 0;
    const long long index = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    // No counting from the end: p[-1] is a slip more often than the last one.
    const long long k = index;
    if (overflow != 0 || k < 0 || k >= kParameterCount)
      Raise(PyExc_IndexError, "parameter index " + std::string(py::repr(number)) +
                                  " is outside 0 .. 53");
    return static_cast<int>(k);
  }
  if (!py::isinstance<py::str>(key)) Raise(PyExc_TypeError, "a parameter is named by an int or a str");
  const std::string name = key.cast<std::string>();
  const int k = FindParameterKey(params, name);
  if (k >= 0) return k;
  PyErr_SetObject(PyExc_KeyError, py::str(NoParameterMessage(name)).ptr());
  throw py::error_already_set();
}

void SetChecked(ParameterSet& params, int k, double value) {
  // Stored in single precision, as a dialog stores what it reads.
  const float stored = static_cast<float>(value);
  // Between methods there is none: 2.5 would run as method 2.
  if (k == param::Model && std::isfinite(stored) && stored != std::floor(stored))
    Raise(PyExc_ValueError, "The method \"" + FormatShortest(stored) + "\" is not a whole number.");
  if (!params.InRange(k, stored))
    Raise(PyExc_ValueError, Cp437ToUtf8(RangeMessage(params, k)));
  params.SetValue(k, stored);
}

bool OnMainThread() {
  static const unsigned long mainIdent =
      py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
  return PyThread_get_thread_ident() == mainIdent;
}

double Number(const py::handle& value) {
  const double v = PyFloat_AsDouble(value.ptr());  // TypeError for what is not a number
  if (v == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return v;
}

ParameterSet WithMethod(const ParameterSet& params, const py::object& method) {
  ParameterSet copy = params;
  if (!method.is_none()) SetChecked(copy, param::Model, Number(method));
  return copy;
}

const GateTable& GatesArgument(const py::object& gates) {
  if (gates.is_none()) return ShippedGates();
  if (!py::isinstance<GateTable>(gates)) Raise(PyExc_TypeError, "gates must be a vantor.GateTable");
  return gates.cast<const GateTable&>();
}

}  // namespace vantor::python
