// vantor.GateTable: the 17 rows of 8 coefficients the kinetics read.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdio>

#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"
#include "support.h"

namespace vantor::python {
namespace {

// "mNa" .. "mAHP", then "AMPA" .. "GABAb": the Model Editor's labels without
// their numbers.
std::string RowName(int row) {
  std::string label = GateTable::EditorLabel(row);
  label = label.substr(label.find_last_of(" -") + 1);
  return label;
}

int RowIndex(const py::handle& key) {
  if (py::isinstance<py::str>(key)) {
    const std::string name = key.cast<std::string>();
    for (int r = 1; r <= kGateRowCount; ++r)
      if (RowName(r) == name) return r;
    PyErr_SetObject(PyExc_KeyError, py::str("There is no gate row called \"" + name + "\".").ptr());
    throw py::error_already_set();
  }
  if (py::isinstance<py::bool_>(key) || !py::isinstance<py::int_>(key))
    Raise(PyExc_TypeError, "a gate row is named by its number 1 .. 17 or its name (\"mNa\")");
  const long long r = key.cast<long long>();
  if (r < 1 || r > kGateRowCount) Raise(PyExc_IndexError, "gate rows are numbered 1 .. 17");
  return static_cast<int>(r);
}

int ColumnIndex(const py::handle& key) {
  if (py::isinstance<py::str>(key)) {
    const std::string name = key.cast<std::string>();
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'H') return name[0] - 'A';
    PyErr_SetObject(PyExc_KeyError, py::str("gate columns are A .. H, not \"" + name + "\"").ptr());
    throw py::error_already_set();
  }
  if (py::isinstance<py::bool_>(key) || !py::isinstance<py::int_>(key))
    Raise(PyExc_TypeError, "a gate column is named by \"A\" .. \"H\" or 0 .. 7");
  const long long c = key.cast<long long>();
  if (c < 0 || c >= kGateColumnCount) Raise(PyExc_IndexError, "gate columns are 0 .. 7");
  return static_cast<int>(c);
}

std::pair<int, int> Cell(const py::tuple& key) {
  if (key.size() != 2) Raise(PyExc_TypeError, "a coefficient is addressed as table[row, column]");
  return {RowIndex(key[0]), ColumnIndex(key[1])};
}

GateTable Load(const py::handle& path) {
  const std::string file = PathText(path);
  GateTable table;
  const int error = ReadError(file);
  if (error != 0)
    RaiseFileError("vmodels.val file not found. (", file, ": " + ErrorReason(error) + ")", error);
  CollectedMessages messages;
  if (!LoadGateTable(file, table, messages))
    RaiseFileError(MessageText(messages) + " (", file, ")", 0);
  return table;
}

std::string Repr(const GateTable& g) {
  std::string text = "<vantor.GateTable\n";
  for (int r = 1; r <= kGateRowCount; ++r) {
    char line[64];
    std::snprintf(line, sizeof line, "  %2d %-6s", r, RowName(r).c_str());
    text += line;
    for (int c = 0; c < kGateColumnCount; ++c) {
      text += ' ';
      text += FormatShortest(g.Coefficient(r, c));
    }
    text += '\n';
  }
  return text + ">";
}

}  // namespace

void BindGates(py::module_& m) {
  py::class_<GateTable>(m, "GateTable", R"(The gate table: 17 rows (mNa .. GABAb) of coefficients A .. H.

GateTable() is the shipped table; GateTable.load(path) reads another file
in the layout of vmodels.val. Address a coefficient as table["mNa", "B"]
or table[1, 1] (rows count from 1, columns from 0).)")
      .def(py::init([] { return ShippedGates(); }))
      .def_static("load", &Load, py::arg("path"))
      .def_property_readonly_static("row_names", [](const py::object&) {
        std::vector<std::string> names;
        for (int r = 1; r <= kGateRowCount; ++r) names.push_back(RowName(r));
        return names;
      })
      .def_property_readonly("loaded", &GateTable::Loaded)
      .def("copy", [](const GateTable& g) { return g; })
      .def("__copy__", [](const GateTable& g) { return g; })
      .def("__deepcopy__", [](const GateTable& g, const py::handle&) { return g; })
      .def("__getitem__", [](const GateTable& g, const py::tuple& key) {
        const auto [r, c] = Cell(key);
        return g.Coefficient(r, c);
      })
      .def("__setitem__", [](GateTable& g, const py::tuple& key, double v) {
        const auto [r, c] = Cell(key);
        g.SetCoefficient(r, c, static_cast<float>(v));
      })
      .def("__eq__", [](const GateTable& a, const GateTable& b) {
        for (int r = 1; r <= kGateRowCount; ++r)
          for (int c = 0; c < kGateColumnCount; ++c)
            if (a.Coefficient(r, c) != b.Coefficient(r, c)) return false;
        return a.Loaded() == b.Loaded();
      })
      .def("to_array", [](const GateTable& g) {
        py::array_t<float> a({kGateRowCount, kGateColumnCount});
        auto view = a.mutable_unchecked<2>();
        for (int r = 1; r <= kGateRowCount; ++r)
          for (int c = 0; c < kGateColumnCount; ++c) view(r - 1, c) = g.Coefficient(r, c);
        return a;
      }, "The coefficients as a 17 x 8 float32 array (a copy).")
      .def("__repr__", &Repr);
}

}  // namespace vantor::python
