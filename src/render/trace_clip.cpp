#include "vantor/render/trace_clip.h"

#include <cmath>

namespace vantor {

// Parametric clipping: the segment is a + u (b - a) for u in 0..1, and each
// edge narrows the range of u that stays inside.
bool ClipSegment(const ClipBox& box, double& ax, double& ay, double& bx, double& by) {
  if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
    return false;
  const double dx = bx - ax, dy = by - ay;
  double u0 = 0, u1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - box.xLow, box.xHigh - ax, ay - box.yLow, box.yHigh - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;  // parallel to this edge and outside it
      continue;
    }
    const double u = q[i] / p[i];
    if (p[i] < 0) {
      if (u > u1) return false;
      if (u > u0) u0 = u;
    } else {
      if (u < u0) return false;
      if (u < u1) u1 = u;
    }
  }
  const double x0 = ax, y0 = ay;
  if (u1 < 1) {
    bx = x0 + u1 * dx;
    by = y0 + u1 * dy;
  }
  if (u0 > 0) {
    ax = x0 + u0 * dx;
    ay = y0 + u0 * dy;
  }
  // A cut end lies on the edge; rounding must not put it a hair outside.
  auto clamp = [](double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); };
  ax = clamp(ax, box.xLow, box.xHigh);
  bx = clamp(bx, box.xLow, box.xHigh);
  ay = clamp(ay, box.yLow, box.yHigh);
  by = clamp(by, box.yLow, box.yHigh);
  return true;
}

}  // namespace vantor
