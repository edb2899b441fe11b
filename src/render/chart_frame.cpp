#include "render/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "vantor/text/number_format.h"

namespace vantor::chart {

int BlankChart(Device& d) {
  const int w = static_cast<int>(d.SurfaceWidth());
  const int h = static_cast<int>(d.SurfaceHeight());
  const int font = std::max(10, std::min(w, h) / 45);
  d.FillRect(0, 0, w, h, 0xFFFFFF);
  d.SetTextColour(kBlack);
  d.SetBackgroundColour(0xFFFFFF);
  d.SelectFont(font, 0);
  return font;
}

std::string Label(double v) { return FormatShort(static_cast<float>(v), 4); }

void Line(Device& d, int x0, int y0, int x1, int y1) {
  d.MoveTo(x0, y0);
  d.LineTo(x1, y1);
}

void Frame(Device& d, const Box& b) {
  d.SelectPen(kBlack, 1);
  d.MoveTo(b.left, b.top);
  d.LineTo(b.right, b.top);
  d.LineTo(b.right, b.bottom);
  d.LineTo(b.left, b.bottom);
  d.LineTo(b.left, b.top);
}

void Text(Device& d, int x, int y, int flags, const std::string& text) {
  d.SetTextAlign(flags);
  d.Text(x, y, text);
}

// The finite values' range, widened when it is a single value.
std::pair<double, double> Range(const std::vector<double>& values) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (double v : values)
    if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  if (!(lo <= hi)) return {0, 1};
  if (lo == hi) return {lo - (lo == 0 ? 1 : std::fabs(lo) * 0.1), hi + (hi == 0 ? 1 : std::fabs(hi) * 0.1)};
  return {lo, hi};
}

int Scale(double v, double lo, double hi, int a, int b) {
  return static_cast<int>(std::lround(a + (v - lo) / (hi - lo) * (b - a)));
}

// Axis names along the bottom and rotated up the left side; the title on top.
void Captions(Device& d, const Box& plot, int font, const std::string& x, const std::string& y,
              const std::string& title) {
  d.SelectFont(font, 0);
  Text(d, (plot.left + plot.right) / 2, plot.bottom + 2 * font + 8, align::Centre | align::Top, x);
  Text(d, (plot.left + plot.right) / 2, plot.top - font, align::Centre | align::Bottom, title);
  d.SelectFont(font, 1);
  Text(d, plot.left - 4 * font - 10, (plot.top + plot.bottom) / 2, align::Centre | align::Bottom, y);
  d.SelectFont(font, 0);
}

// Value ticks and grid lines along a continuous vertical axis.
void VerticalTicks(Device& d, const Box& plot, double lo, double hi, bool grid) {
  for (double t : NiceTicks(lo, hi, 6)) {
    const int y = Scale(t, lo, hi, plot.bottom, plot.top);
    if (grid) {
      d.SelectPen(kGridGrey, 1);
      Line(d, plot.left + 1, y, plot.right - 1, y);
    }
    d.SelectPen(kBlack, 1);
    Line(d, plot.left - 5, y, plot.left, y);
    Text(d, plot.left - 8, y + 6, align::Right | align::Bottom, Label(t));
  }
}

void HorizontalTicks(Device& d, const Box& plot, double lo, double hi, int font) {
  for (double t : NiceTicks(lo, hi, 8)) {
    const int x = Scale(t, lo, hi, plot.left, plot.right);
    d.SelectPen(kGridGrey, 1);
    Line(d, x, plot.top + 1, x, plot.bottom - 1);
    d.SelectPen(kBlack, 1);
    Line(d, x, plot.bottom, x, plot.bottom + 5);
    Text(d, x, plot.bottom + 8 + font, align::Centre | align::Bottom, Label(t));
  }
}

std::vector<double> NiceTicks(double lo, double hi, int count) {
  std::vector<double> ticks;
  if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi) || count < 1) return ticks;
  const double raw = (hi - lo) / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) {
      step = m * power;
      break;
    }
  for (double t = std::ceil(lo / step - 1e-9) * step; t <= hi + step * 1e-9; t += step)
    ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
  return ticks;
}

}  // namespace vantor::chart
