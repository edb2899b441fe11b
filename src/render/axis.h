// SetupAxis: maps a value range onto the page (x: plotLeft..plotRight of the
// width; y: the current band) and, when drawAxis is on, draws the V-m axis on
// the right of the traces.
#pragma once

#include <string_view>

#include "vantor/render/output_target.h"

namespace vantor {

enum class AxisKind { X, Y };
enum class TickMode {
  Nice,     // the range is widened to a step of 1, 2 or 5 times a power of ten
  Counted,  // the range is kept; the step is range / tick count
};

struct AxisScale {
  double minimum = 0;
  double maximum = 0;
  double step = 0;
  int ticks = 0;     // the tick count limit N the step was chosen for
  int decimals = 0;  // label format
  int width = 4;
};

// The range after widening a degenerate one and, for nice ticks, rounding it
// outwards to the step; no drawing, no transform.
AxisScale ScaleAxis(double minimum, double maximum, int tickLimit, TickMode mode);

// The tick count limit for the current frame of `target`.
int TickLimit(const OutputTarget& target, AxisKind kind);

AxisScale SetupAxis(OutputTarget& target, double minimum, double maximum, AxisKind kind,
                    TickMode mode, std::string_view title);

}  // namespace vantor
