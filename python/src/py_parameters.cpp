// vantor.Parameters: the parameter set as a sequence of 54 values that can
// also be addressed by name, with its files, comment and trace table.
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>

#include "vantor/files/csv_sink.h"
#include "vantor/params/parameter_names.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/parameter_file.h"
#include "support.h"

namespace vantor::python {
namespace {

// The shortest text that reads back as the same float.
std::string FloatText(float v) { return FormatShortest(v); }

// One row of the trace table, seen through the Parameters object that owns it.
struct TraceView {
  py::object owner;
  ParameterSet* params;
  int row;
  TraceRow& Row() const { return params->Trace(row); }
};

float FiniteScale(double value) {
  const float stored = static_cast<float>(value);
  if (!std::isfinite(stored)) Raise(PyExc_ValueError, "a trace scale must be a finite number");
  return stored;
}

// Trace tokens are written between blanks in a parameter file.
std::string Token(const std::string& utf8, std::size_t limit) {
  const std::string bytes = Utf8ToCp437(utf8);
  if (bytes.empty() || bytes.find_first_of(std::string(" \t\r\n\0", 5)) != std::string::npos)
    Raise(PyExc_ValueError, "a trace unit, prefix or suffix is one word: \"" + utf8 + "\"");
  if (bytes.size() > limit)
    Raise(PyExc_ValueError, "\"" + utf8 + "\" is longer than " + std::to_string(limit) + " characters");
  return bytes;
}

void BindTraces(py::module_& m) {
  py::class_<TraceView>(m, "Trace", "One row of the trace table of a Parameters object.")
      .def_property_readonly("index", [](const TraceView& t) { return t.row; })
      .def_property_readonly("name",
                             [](const TraceView& t) { return CsvColumnNames(*t.params)[t.row + 1]; })
      .def_property(
          "maximum", [](const TraceView& t) { return t.Row().maximum; },
          [](const TraceView& t, double v) { t.Row().maximum = FiniteScale(v); })
      .def_property(
          "minimum", [](const TraceView& t) { return t.Row().minimum; },
          [](const TraceView& t, double v) { t.Row().minimum = FiniteScale(v); })
      .def_property(
          "plot", [](const TraceView& t) { return t.Row().plot; },
          [](const TraceView& t, double v) { t.Row().plot = FiniteScale(v); })
      .def_property(
          "cond", [](const TraceView& t) { return t.Row().cond != 0; },
          [](const TraceView& t, bool v) {
            // Only the channel and synaptic currents can show a conductance.
            if (v && (t.row < trace::IC || t.row > trace::IGABAb))
              Raise(PyExc_ValueError, "only traces 4 .. 17 can show a conductance");
            t.Row().cond = v ? 1 : 0;
          })
      .def_property(
          "unit", [](const TraceView& t) { return Cp437ToUtf8(t.Row().unit); },
          [](const TraceView& t, const std::string& v) { t.Row().unit = Token(v, kUnitLimit); })
      .def_property(
          "prefix", [](const TraceView& t) { return Cp437ToUtf8(t.Row().prefix); },
          [](const TraceView& t, const std::string& v) { t.Row().prefix = Token(v, kPrefixLimit); })
      .def_property(
          "suffix", [](const TraceView& t) { return Cp437ToUtf8(t.Row().suffix); },
          [](const TraceView& t, const std::string& v) { t.Row().suffix = Token(v, kSuffixLimit); })
      .def("__repr__", [](const TraceView& t) {
        const TraceRow& r = t.Row();
        return "<vantor.Trace " + std::to_string(t.row) + " " + CsvColumnNames(*t.params)[t.row + 1] +
               " max=" + FloatText(r.maximum) + " min=" + FloatText(r.minimum) +
               " plot=" + FloatText(r.plot) + (r.cond != 0 ? " cond" : "") + ">";
      });
}

std::string Repr(const ParameterSet& p) {
  std::string text = "<vantor.Parameters \"" + Cp437ToUtf8(p.Comment()) + "\"\n";
  for (int k = 0; k < kParameterCount; ++k) {
    char line[200];
    std::snprintf(line, sizeof line, "  %2d %-15s %-12s ", k, CommandLineName(k).c_str(),
                  FloatText(p.Value(k)).c_str());
    text += line;
    // Padded by characters: a prompt is one byte a character in code page 437.
    const std::string& prompt = p.Prompt(k);
    text += Cp437ToUtf8(prompt) + std::string(prompt.size() < 33 ? 33 - prompt.size() : 1, ' ');
    text += "[" + FloatText(p.Minimum(k)) + ", " + FloatText(p.Maximum(k)) + "]\n";
  }
  return text + ">";
}

ParameterSet Load(const py::handle& path, const std::string& limits) {
  const std::string file = PathText(path);
  ParameterSet params = StartupParameters(limits);
  if (const int error = ReadError(file); error != 0)
    RaiseFileError("Parameter file not found! (", file, ": " + ErrorReason(error) + ")", error);
  CollectedMessages messages;
  if (!ReadParameterFile(file, params, messages)) {
    // "prompts" says nothing of where.
    const std::string text = MessageText(messages);
    if (const std::size_t at = text.find(file); at != std::string::npos)
      RaiseFileError(text.substr(0, at), file, text.substr(at + file.size()), 0);
    RaiseFileError(text + " (", file, ")", 0);
  }
  // What the command line warns of too: a missing or bad companion file, a
  // value with more glued to it, a value outside its limits. Read all the same.
  WarnEach(messages);
  for (int k = 0; k < kParameterCount; ++k) {
    if (params.InRange(k, params.Value(k))) continue;
    const py::str text = py::str(Cp437ToUtf8(RangeMessage(params, k)) + " (") + PathStr(file) +
                         py::str(")");
    if (PyErr_WarnEx(Errors().fileWarning.ptr(), text.cast<std::string>().c_str(), 2) != 0)
      throw py::error_already_set();
  }
  return params;
}

void Save(const ParameterSet& params, const py::handle& path) {
  const std::string file = PathText(path);
  CollectedMessages messages;
  const ParameterFileWrite written = WriteParameterFile(file, params, messages);
  if (written) return;
  const int error = WriteError(written.failedPath);
  std::string after = error != 0 ? " (" + ErrorReason(error) + ")" : std::string();
  if (!messages.entries.empty()) after += "\n" + MessageText(messages);
  RaiseFileError("Could not write file ", written.failedPath, after, error);
}

std::string LimitsArgument(const py::object& limits) {
  return limits.is_none() ? std::string() : PathText(limits);
}

}  // namespace

void BindParameters(py::module_& m) {
  BindTraces(m);
  py::class_<ParameterSet>(m, "Parameters", R"(The 54 parameters of a run.

Parameters() is the built-in set with the shipped limits, as the program
has it at start-up; Parameters.load(path) reads a .vt4 or .vts file.
Index a parameter by its number (0 .. 53), its name ("gA", "duration"),
its short name or its prompt; values are checked against the limits.)")
      .def(py::init([](const py::object& limits) { return StartupParameters(LimitsArgument(limits)); }),
           py::arg("limits") = py::none(),
           "The built-in set; `limits` names a limits file (*.mnx) instead of the shipped one.")
      .def_static(
          "load",
          [](const py::object& path, const py::object& limits) { return Load(path, LimitsArgument(limits)); },
          py::arg("path"), py::arg("limits") = py::none(),
          "Reads a parameter file (.vt4, or .vts with its .cin companion) over the built-in set.\n"
          "FileWarning for what is read all the same (a value outside its limits, \"80,5\" read\n"
          "as 80, a missing companion); FileError, with filename, errno and strerror, when the\n"
          "file cannot be read.")
      .def("save", &Save, py::arg("path"),
           "Writes a .vt4 file, or a .vts file and its .cin companion, replacing them only when complete.")
      .def("copy", [](const ParameterSet& p) { return p; })
      .def("__copy__", [](const ParameterSet& p) { return p; })
      .def("__deepcopy__", [](const ParameterSet& p, const py::handle&) { return p; })
      .def("__len__", [](const ParameterSet&) { return kParameterCount; })
      .def("__getitem__",
           [](const ParameterSet& p, const py::handle& key) { return p.Value(ParameterIndex(p, key)); })
      .def("__setitem__",
           [](ParameterSet& p, const py::handle& key, double value) {
             SetChecked(p, ParameterIndex(p, key), value);
           })
      .def("__contains__",
           [](const ParameterSet& p, const py::handle& key) {
             return py::isinstance<py::str>(key) && FindParameterKey(p, key.cast<std::string>()) >= 0;
           })
      .def(
          "__iter__",
          [](const ParameterSet& p) { return py::make_iterator(p.Values().begin(), p.Values().end()); },
          py::keep_alive<0, 1>())
      .def("__eq__", [](const ParameterSet& a, const ParameterSet& b) { return a == b; })
      .def("__repr__", &Repr)
      .def("keys", [](const ParameterSet&) {
        std::vector<std::string> names;
        for (int k = 0; k < kParameterCount; ++k) names.push_back(CommandLineName(k));
        return names;
      }, "The names of the parameters, in index order.")
      .def("items", [](const ParameterSet& p) {
        std::vector<std::pair<std::string, float>> items;
        for (int k = 0; k < kParameterCount; ++k) items.emplace_back(CommandLineName(k), p.Value(k));
        return items;
      })
      .def("index", &ParameterIndex, py::arg("key"), "The number of a parameter.")
      .def("name", [](const ParameterSet& p, const py::handle& key) {
        return CommandLineName(ParameterIndex(p, key));
      }, py::arg("key"))
      .def("prompt", [](const ParameterSet& p, const py::handle& key) {
        return Cp437ToUtf8(p.Prompt(ParameterIndex(p, key)));
      }, py::arg("key"))
      .def("unit", [](const ParameterSet& p, const py::handle& key) {
        return ParameterUnit(ParameterIndex(p, key));
      }, py::arg("key"))
      .def("limits", [](const ParameterSet& p, const py::handle& key) {
        const int k = ParameterIndex(p, key);
        return std::make_pair(p.Minimum(k), p.Maximum(k));
      }, py::arg("key"), "(minimum, maximum) of a parameter.")
      .def("set_limits", [](ParameterSet& p, const py::handle& key, double minimum, double maximum) {
        const float lo = static_cast<float>(minimum), hi = static_cast<float>(maximum);
        if (std::isnan(lo) || std::isnan(hi) || lo > hi)
          Raise(PyExc_ValueError, "limits need minimum <= maximum");
        p.SetLimits(ParameterIndex(p, key), lo, hi);
      }, py::arg("key"), py::arg("minimum"), py::arg("maximum"))
      .def("in_range", [](const ParameterSet& p, const py::handle& key, double value) {
        return p.InRange(ParameterIndex(p, key), static_cast<float>(value));
      }, py::arg("key"), py::arg("value"))
      .def_property(
          "comment", [](const ParameterSet& p) { return Cp437ToUtf8(p.Comment()); },
          [](ParameterSet& p, const std::string& text) {
            // The comment is the first line of a parameter file.
            if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
              Raise(PyExc_ValueError, "the comment is one line of text");
            p.SetComment(Utf8ToCp437(text));
          })
      .def_property_readonly("traces", [](py::object self) {
        ParameterSet& p = self.cast<ParameterSet&>();
        std::vector<TraceView> rows;
        for (int i = 0; i < kTraceCount; ++i) rows.push_back({self, &p, i});
        return rows;
      }, "The 21 rows of the trace table (V-m, I-Inj, ..., g-3); changes go into this set.");
}

}  // namespace vantor::python
