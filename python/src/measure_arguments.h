// The Python arguments that say how a run is measured: threshold (mV),
// dvdt (mV/ms) and window ((from, to) in ms or None), checked as the command
// line checks --threshold, --dvdt and --window.
#pragma once

#include "vantor/analysis/measures.h"
#include "support.h"

namespace vantor::python {

// ValueError for a threshold that is not a finite number, a rate that is
// not above 0, or a window that is not 0 <= from < to.
MeasureSettings MeasureArguments(const py::handle& threshold, const py::handle& dvdt,
                                 const py::object& window);

}  // namespace vantor::python
