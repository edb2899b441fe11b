#include "support.h"

#include <optional>

#include "vantor/params/parameter_names.h"
#include "vantor/params/parameter_rules.h"
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
  ReadInitFile(limitsPath, params, messages);
  if (!messages.entries.empty()) Raise(Errors().fileError, MessageText(messages));
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
    const long long k = index < 0 ? index + kParameterCount : index;
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
