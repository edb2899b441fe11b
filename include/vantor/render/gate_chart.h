// The picture of the gate curves: steady state above, time constant (on a
// log scale) below, one colour per gate and a legend beside; the calcium
// gates get a column of their own against [Ca]i. Drawn through the drawing
// layer's Device, so PNG and SVG come from one routine.
#pragma once

#include <vector>

#include "vantor/engine/gate_curves.h"
#include "vantor/render/device.h"

namespace vantor {

struct GateChart {
  std::vector<GateCurve> curves;
  float celsius = 35;
  double vForCalcium = 0;  // mV, named in the calcium column's title
};

void DrawGateChart(Device& device, const GateChart& chart);

// The colour of the i-th gate of a chart (0x00BBGGRR), dark enough on white.
uint32_t GateColour(int i);

}  // namespace vantor
