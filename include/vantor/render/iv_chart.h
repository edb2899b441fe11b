// The picture of a voltage-clamp family: on the left the peak and the
// steady-state current against the level with the fitted Boltzmann curve,
// on the right the normalised curve (activation g/gmax, or the available
// fraction I/Imax after prepulses) with V1/2 and the slope factor written
// in. Drawn through the drawing layer's Device, so the window, PNG and SVG
// come from one routine.
#pragma once

#include <vector>

#include "vantor/analysis/clamp_curves.h"
#include "vantor/render/device.h"

namespace vantor {

struct IvChart {
  std::vector<double> levels;    // mV, the command (or prepulse) of each run
  std::vector<double> peaks;     // nA
  std::vector<double> steadies;  // nA; empty: not drawn
  bool inactivation = false;     // a prepulse family: the fit is FitInactivation's
  BoltzmannFit fit;              // of the peaks; drawn when ok
};

void DrawIvChart(Device& device, const IvChart& chart);

// The fitted curve at v: the current (nA) and its normalised form (0 .. 1).
double FittedCurrent(const IvChart& chart, double v);
double FittedFraction(const IvChart& chart, double v);

}  // namespace vantor
