// The picture of a sweep: for one varied parameter a line chart of a
// measure against it, for two a heat map with a colour scale. Drawn through
// the drawing layer's Device, so PNG and SVG come from one routine.
#pragma once

#include <string>
#include <vector>

#include "vantor/render/device.h"

namespace vantor {

struct SweepChart {
  std::vector<std::string> axisNames;  // one or two, code page 437
  // The grid values of each axis; empty for random points.
  std::vector<std::vector<float>> gridValues;
  std::string measureName;  // "firing rate (Hz)"
  struct Point {
    std::vector<double> x;  // one value per axis
    double value;           // not a number: no measure (a refused run, no spike ...)
  };
  std::vector<Point> points;
};

void DrawSweepChart(Device& device, const SweepChart& chart);

// The colour of a share 0 .. 1 of the colour scale (dark blue to yellow).
uint32_t ScaleColour(double share);

}  // namespace vantor
