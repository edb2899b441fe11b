#include "vantor/render/phase_plane.h"

#include <algorithm>
#include <cmath>

#include "render/chart_frame.h"

namespace vantor {

using namespace chart;

void DrawPhasePlane(Device& d, const PhasePlane& p) {
  const int w = static_cast<int>(d.SurfaceWidth());
  const int h = static_cast<int>(d.SurfaceHeight());
  const int font = BlankChart(d);
  const Box plot{7 * font, 3 * font, w - 2 * font, h - 5 * font};
  const std::size_t n = std::min(p.v.size(), p.dvdt.size());
  std::vector<double> xs(p.v.begin(), p.v.begin() + static_cast<long>(n));
  std::vector<double> ys(p.dvdt.begin(), p.dvdt.begin() + static_cast<long>(n));
  auto [x0, x1] = Range(xs);
  auto [y0, y1] = Range(ys);
  const auto roundOut = [](double& lo, double& hi) {
    const std::vector<double> ticks = NiceTicks(lo, hi, 6);
    if (!ticks.empty()) lo = std::min(lo, ticks.front()), hi = std::max(hi, ticks.back());
  };
  roundOut(x0, x1);
  roundOut(y0, y1);
  VerticalTicks(d, plot, y0, y1, true);
  HorizontalTicks(d, plot, x0, x1, font);
  if (y0 < 0 && y1 > 0) {  // the line where the potential turns
    d.SelectPen(kBlack, 1);
    const int y = Scale(0, y0, y1, plot.bottom, plot.top);
    Line(d, plot.left, y, plot.right, y);
  }
  d.SelectPen(kLineBlue, 1);
  bool drawing = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
      drawing = false;
      continue;
    }
    const int x = Scale(xs[i], x0, x1, plot.left, plot.right);
    const int y = Scale(ys[i], y0, y1, plot.bottom, plot.top);
    if (drawing) d.LineTo(x, y);
    else d.MoveTo(x, y);
    drawing = true;
  }
  Frame(d, plot);
  Captions(d, plot, font, "V-m (mV)", "dV/dt (mV/ms)", p.title);
  d.RestoreInitialObjects(true, true);
}

}  // namespace vantor
