// The phase plane of a run: dV/dt against V-m, one line through the samples
// in time order. Drawn through the drawing layer's Device, so PNG and SVG
// come from one routine, as for the sweep charts.
#pragma once

#include <string>
#include <vector>

#include "vantor/render/device.h"

namespace vantor {

struct PhasePlane {
  std::vector<double> v;     // mV
  std::vector<double> dvdt;  // mV/ms; not a number breaks the line
  std::string title;         // code page 437
};

void DrawPhasePlane(Device& device, const PhasePlane& plane);

}  // namespace vantor
