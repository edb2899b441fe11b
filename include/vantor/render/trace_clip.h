// Keeping a trace inside its band: segments are cut at the band's edges in
// plot coordinates, so that every device, the plotter and the metafile get
// the same cut line, and a trace that reaches beyond its range cannot be
// read as part of the band above or below.
#pragma once

namespace vantor {

// The plot-coordinate rectangle a trace may use: the time axis across and
// the band's range (after the axis rounded it) up and down.
struct ClipBox {
  double xLow = 0, xHigh = 0;
  double yLow = 0, yHigh = 0;
  bool Contains(double x, double y) const {
    return x >= xLow && x <= xHigh && y >= yLow && y <= yHigh;
  }
};

// Cuts the segment a-b to the box. False when no part of it lies inside;
// otherwise a and b become the ends of the part inside.
bool ClipSegment(const ClipBox& box, double& ax, double& ay, double& bx, double& by);

}  // namespace vantor
