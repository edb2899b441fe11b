#include "vantor/render/iv_chart.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "render/chart_frame.h"
#include "vantor/text/number_format.h"

namespace vantor {
namespace {

using namespace chart;

constexpr uint32_t kSteadyOrange = 0x1F77E0;  // 0x00BBGGRR
constexpr uint32_t kFitRed = 0x2020C0;
constexpr int kCurvePoints = 200;

// The measured fraction at level i: g/gmax for activation, I/Imax after a
// prepulse; not a number where it cannot be told (at the reversal).
double MeasuredFraction(const IvChart& c, std::size_t i) {
  const BoltzmannFit& f = c.fit;
  if (!f.ok || f.scale == 0) return NAN;
  if (c.inactivation) return c.peaks[i] / f.scale;
  const double drive = c.levels[i] - f.reversal;
  if (std::fabs(drive) < 1e-6 * std::max(1.0, std::fabs(f.reversal))) return NAN;
  return c.peaks[i] / (f.scale * drive);
}

void Marker(Device& d, int x, int y, uint32_t colour, bool filled) {
  if (filled) {
    d.FillRect(x - 3, y - 3, 7, 7, colour);
    return;
  }
  d.SelectPen(colour, 2);
  d.MoveTo(x - 3, y - 3);
  d.LineTo(x + 3, y - 3);
  d.LineTo(x + 3, y + 3);
  d.LineTo(x - 3, y + 3);
  d.LineTo(x - 3, y - 3);
}

void Curve(Device& d, const Box& plot, double x0, double x1, double y0, double y1,
           const std::function<double(double)>& f) {
  d.SelectPen(kFitRed, 2);
  bool drawing = false;
  for (int i = 0; i <= kCurvePoints; ++i) {
    const double v = x0 + (x1 - x0) * i / kCurvePoints;
    const double y = f(v);
    if (!std::isfinite(y)) {
      drawing = false;
      continue;
    }
    const int px = Scale(v, x0, x1, plot.left, plot.right);
    const int py = Scale(std::clamp(y, y0, y1), y0, y1, plot.bottom, plot.top);
    if (drawing) d.LineTo(px, py);
    else d.MoveTo(px, py);
    drawing = true;
  }
}

// Ticks reaching past the data, so that the points never sit on the frame.
void Widen(double& lo, double& hi) {
  const std::vector<double> t = NiceTicks(lo, hi, 6);
  if (t.empty()) return;
  const double step = t.size() > 1 ? t[1] - t[0] : hi - lo;
  lo = std::min(lo, t.front() - (t.front() > lo - 1e-12 ? step : 0));
  hi = std::max(hi, t.back() + (t.back() < hi + 1e-12 ? step : 0));
}

void CurrentPanel(Device& d, const IvChart& c, const Box& plot, int font, double x0, double x1) {
  std::vector<double> ys = c.peaks;
  ys.insert(ys.end(), c.steadies.begin(), c.steadies.end());
  ys.push_back(0);
  auto [y0, y1] = Range(ys);
  Widen(y0, y1);
  VerticalTicks(d, plot, y0, y1, true);
  HorizontalTicks(d, plot, x0, x1, font);
  d.SelectPen(kBlack, 1);
  const int zero = Scale(0, y0, y1, plot.bottom, plot.top);
  Line(d, plot.left, zero, plot.right, zero);
  if (c.fit.ok) Curve(d, plot, x0, x1, y0, y1, [&](double v) { return FittedCurrent(c, v); });
  for (std::size_t i = 0; i < c.levels.size(); ++i) {
    const int x = Scale(c.levels[i], x0, x1, plot.left, plot.right);
    if (i < c.steadies.size() && std::isfinite(c.steadies[i]))
      Marker(d, x, Scale(c.steadies[i], y0, y1, plot.bottom, plot.top), kSteadyOrange, false);
    if (std::isfinite(c.peaks[i])) Marker(d, x, Scale(c.peaks[i], y0, y1, plot.bottom, plot.top), kLineBlue, true);
  }
  Frame(d, plot);
  // The key, top left inside the frame.
  int y = plot.top + font + 4;
  const int x = plot.left + font;
  Marker(d, x, y - font / 2, kLineBlue, true);
  Text(d, x + font, y, align::Left | align::Bottom, c.inactivation ? "peak test current" : "peak");
  if (!c.steadies.empty()) {
    y += font + 4;
    Marker(d, x, y - font / 2, kSteadyOrange, false);
    Text(d, x + font, y, align::Left | align::Bottom, "steady state");
  }
  if (c.fit.ok) {
    y += font + 4;
    d.SelectPen(kFitRed, 2);
    Line(d, x - 4, y - font / 2, x + 4, y - font / 2);
    Text(d, x + font, y, align::Left | align::Bottom, "Boltzmann fit");
  }
}

void FractionPanel(Device& d, const IvChart& c, const Box& plot, int font, double x0, double x1) {
  const double y0 = -0.1, y1 = 1.1;
  VerticalTicks(d, plot, y0, y1, true);
  HorizontalTicks(d, plot, x0, x1, font);
  if (c.fit.ok) {
    Curve(d, plot, x0, x1, y0, y1, [&](double v) { return FittedFraction(c, v); });
    for (std::size_t i = 0; i < c.levels.size(); ++i) {
      const double f = MeasuredFraction(c, i);
      if (!std::isfinite(f) || f < y0 || f > y1) continue;
      Marker(d, Scale(c.levels[i], x0, x1, plot.left, plot.right),
             Scale(f, y0, y1, plot.bottom, plot.top), kLineBlue, true);
    }
    const int half = Scale(c.fit.vHalf, x0, x1, plot.left, plot.right);
    if (half > plot.left && half < plot.right) {
      d.SelectPen(kGridGrey, 1);
      Line(d, half, plot.top + 1, half, plot.bottom - 1);
    }
  }
  Frame(d, plot);
  const int x = c.inactivation ? plot.right - font : plot.left + font;
  const int side = c.inactivation ? align::Right : align::Left;
  int y = plot.top + font + 4;
  if (!c.fit.ok) {
    Text(d, x, y, side | align::Bottom, "no fit: " + c.fit.error.substr(0, 60));
    return;
  }
  auto said = [](double v, const char* unit) { return FormatShort(static_cast<float>(v), 4) + unit; };
  Text(d, x, y, side | align::Bottom, "V1/2 = " + said(c.fit.vHalf, " mV"));
  y += font + 4;
  Text(d, x, y, side | align::Bottom, "slope k = " + said(c.fit.slope, " mV"));
  y += font + 4;
  Text(d, x, y, side | align::Bottom,
       c.inactivation ? "Imax = " + said(c.fit.scale, " nA")
                      : "gmax = " + said(c.fit.scale, " uS") + ", E = " + said(c.fit.reversal, " mV"));
  y += font + 4;
  Text(d, x, y, side | align::Bottom, "residual " + said(c.fit.residual, " nA") + " (RMS)");
}

}  // namespace

double FittedCurrent(const IvChart& c, double v) {
  const BoltzmannFit& f = c.fit;
  if (!f.ok) return NAN;
  return c.inactivation ? f.scale * FittedFraction(c, v) : f.scale * (v - f.reversal) * FittedFraction(c, v);
}

double FittedFraction(const IvChart& c, double v) {
  const BoltzmannFit& f = c.fit;
  if (!f.ok || f.slope == 0) return NAN;
  return c.inactivation ? 1.0 / (1.0 + std::exp((v - f.vHalf) / f.slope))
                        : 1.0 / (1.0 + std::exp((f.vHalf - v) / f.slope));
}

void DrawIvChart(Device& d, const IvChart& c) {
  const int w = static_cast<int>(d.SurfaceWidth());
  const int h = static_cast<int>(d.SurfaceHeight());
  const int font = BlankChart(d);
  auto [x0, x1] = Range(c.levels);
  const double pad = 0.04 * (x1 - x0);
  x0 -= pad, x1 += pad;
  const int gap = 8 * font;
  const int panel = (w - 7 * font - gap - 2 * font) / 2;
  const Box left{7 * font, 3 * font, 7 * font + panel, h - 5 * font};
  const Box right{left.right + gap, left.top, left.right + gap + panel, left.bottom};
  const char* axis = c.inactivation ? "prepulse (mV)" : "level (mV)";
  CurrentPanel(d, c, left, font, x0, x1);
  Captions(d, left, font, axis, c.inactivation ? "peak test current (nA)" : "current (nA)",
           c.inactivation ? "test current after each prepulse" : "I-V: peak and steady-state current");
  FractionPanel(d, c, right, font, x0, x1);
  Captions(d, right, font, axis, c.inactivation ? "I / Imax" : "g / gmax",
           c.inactivation ? "steady-state inactivation" : "activation");
  d.RestoreInitialObjects(true, true);
}

}  // namespace vantor
