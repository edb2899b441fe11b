#include "measure_arguments.h"

#include <cmath>

#include <pybind11/stl.h>

namespace vantor::python {

MeasureSettings MeasureArguments(const py::handle& threshold, const py::handle& dvdt,
                                 const py::object& window) {
  MeasureSettings settings;
  settings.rule.threshold = Number(threshold);
  if (!std::isfinite(settings.rule.threshold))
    Raise(PyExc_ValueError, "threshold needs a potential in mV: " + std::string(py::repr(threshold)));
  settings.rule.dvdt = Number(dvdt);
  if (!(settings.rule.dvdt > 0) || !std::isfinite(settings.rule.dvdt))
    Raise(PyExc_ValueError, "dvdt needs a rate in mV/ms above 0: " + std::string(py::repr(dvdt)));
  if (!window.is_none()) {
    const std::string given = py::repr(window);
    if (py::len(window) != 2) Raise(PyExc_ValueError, "window needs (from, to) in ms: " + given);
    const py::sequence pair = window.cast<py::sequence>();
    settings.from = Number(pair[0]);
    settings.to = Number(pair[1]);
    if (!(settings.from >= 0 && settings.from < settings.to) || !std::isfinite(settings.to))
      Raise(PyExc_ValueError, "window needs (from, to) in ms with 0 <= from < to: " + given);
    settings.windowGiven = true;
  }
  return settings;
}

}  // namespace vantor::python
