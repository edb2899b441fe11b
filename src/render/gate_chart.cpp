#include "vantor/render/gate_chart.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/chart_frame.h"
#include "vantor/text/number_text.h"

namespace vantor {

using namespace chart;

namespace {

constexpr uint32_t kColours[] = {0xB4771F, 0x0E7FFF, 0x2CA02C, 0x2827D6, 0xBD6794,
                                 0x4B568C, 0xC277E3, 0x7F7F7F, 0x22BDBC, 0xCFBE17,
                                 0x000000, 0x800000, 0x606000};
// The time constants span decades; the axis shows at most this many.
constexpr int kMostDecades = 7;

// Code page 437: ° is 0xF8, µ 0xE6, τ 0xE7, ∞ 0xEC.
std::string Celsius(float c) { return FormatShortest(c) + " \xF8" "C"; }

// One curve as a polyline; points outside lo .. hi or not finite break it.
void Curve(Device& d, const Box& plot, const std::vector<double>& xs, const std::vector<double>& ys,
           double x0, double x1, double y0, double y1, bool logScale) {
  bool drawing = false;
  for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    double y = ys[i];
    if (logScale) y = y > 0 ? std::log10(y) : NAN;
    if (!std::isfinite(xs[i]) || !std::isfinite(y) || y < y0 - 1e-9 || y > y1 + 1e-9) {
      drawing = false;
      continue;
    }
    const int px = Scale(xs[i], x0, x1, plot.left, plot.right);
    const int py = Scale(y, y0, y1, plot.bottom, plot.top);
    if (drawing) d.LineTo(px, py);
    else d.MoveTo(px, py);
    drawing = true;
  }
}

// The decades lo .. hi (log10 ms) that hold the time constants.
std::pair<double, double> Decades(const std::vector<const GateCurve*>& curves) {
  double lo = INFINITY, hi = -INFINITY;
  for (const GateCurve* c : curves)
    for (double t : c->tau)
      if (std::isfinite(t) && t > 0) lo = std::min(lo, std::log10(t)), hi = std::max(hi, std::log10(t));
  if (!(lo <= hi)) return {-1, 2};
  double a = std::floor(lo), b = std::ceil(hi);
  if (b <= a) b = a + 1;
  if (b - a > kMostDecades) a = b - kMostDecades;
  return {a, b};
}

void DecadeTicks(Device& d, const Box& plot, double lo, double hi) {
  for (double e = lo; e <= hi + 1e-9; e += 1) {
    const int y = Scale(e, lo, hi, plot.bottom, plot.top);
    d.SelectPen(kGridGrey, 1);
    Line(d, plot.left + 1, y, plot.right - 1, y);
    d.SelectPen(kBlack, 1);
    Line(d, plot.left - 5, y, plot.left, y);
    Text(d, plot.left - 8, y + 6, align::Right | align::Bottom, Label(std::pow(10.0, e)));
  }
}

void Column(Device& d, const Box& top, const Box& bottom, int font,
            const std::vector<const GateCurve*>& curves, const std::vector<int>& colours,
            const std::string& xName, const std::string& where) {
  double x0 = INFINITY, x1 = -INFINITY;
  for (const GateCurve* c : curves)
    if (!c->x.empty()) x0 = std::min(x0, c->x.front()), x1 = std::max(x1, c->x.back());
  if (!(x0 < x1)) x0 = 0, x1 = 1;
  VerticalTicks(d, top, 0, 1, true);
  HorizontalTicks(d, top, x0, x1, font);
  const auto [t0, t1] = Decades(curves);
  DecadeTicks(d, bottom, t0, t1);
  HorizontalTicks(d, bottom, x0, x1, font);
  for (std::size_t i = 0; i < curves.size(); ++i) {
    d.SelectPen(GateColour(colours[i]), 2);
    Curve(d, top, curves[i]->x, curves[i]->inf, x0, x1, 0, 1, false);
    Curve(d, bottom, curves[i]->x, curves[i]->tau, x0, x1, t0, t1, true);
  }
  Frame(d, top);
  Frame(d, bottom);
  Captions(d, top, font, xName, "steady state x\xEC", "Steady state, " + where);
  Captions(d, bottom, font, xName, "\xE7 (ms, log scale)", "Time constant, " + where);
}

}  // namespace

uint32_t GateColour(int i) {
  constexpr int n = sizeof kColours / sizeof kColours[0];
  return kColours[((i % n) + n) % n];
}

void DrawGateChart(Device& d, const GateChart& chart) {
  const int w = static_cast<int>(d.SurfaceWidth());
  const int h = static_cast<int>(d.SurfaceHeight());
  const int font = BlankChart(d);
  std::vector<const GateCurve*> voltage, calcium;
  std::vector<int> voltageColours, calciumColours;
  for (std::size_t i = 0; i < chart.curves.size(); ++i) {
    const bool ca = chart.curves[i].axis == GateAxis::Calcium;
    (ca ? calcium : voltage).push_back(&chart.curves[i]);
    (ca ? calciumColours : voltageColours).push_back(static_cast<int>(i));
  }
  int widest = 0;
  for (const GateCurve& c : chart.curves) widest = std::max(widest, d.MeasureText(c.name).width);
  const int legend = widest + 5 * font;
  const int columns = (voltage.empty() ? 0 : 1) + (calcium.empty() ? 0 : 1);
  if (columns == 0) {
    Text(d, w / 2, h / 2, align::Centre | align::Bottom, "no gates chosen");
    d.RestoreInitialObjects(true, true);
    return;
  }
  // Each panel: the title above, the ticks and the axis name below, the
  // value labels and the rotated name to the left.
  const int columnWidth = (w - legend) / columns;
  const int panelHeight = (h - 2 * (3 * font + 5 * font)) / 2;
  int column = 0;
  const auto place = [&](const std::vector<const GateCurve*>& curves, const std::vector<int>& colours,
                         const std::string& xName, const std::string& where) {
    const int left = column * columnWidth + 8 * font, right = (column + 1) * columnWidth - 2 * font;
    const Box top{left, 3 * font, right, 3 * font + panelHeight};
    const Box bottom{left, top.bottom + 8 * font, right, top.bottom + 8 * font + panelHeight};
    Column(d, top, bottom, font, curves, colours, xName, where);
    ++column;
  };
  if (!voltage.empty()) place(voltage, voltageColours, "V-m (mV)", Celsius(chart.celsius));
  if (!calcium.empty())
    place(calcium, calciumColours, "[Ca]i (\xE6M)",
          Celsius(chart.celsius) + ", " + FormatShortest(static_cast<float>(chart.vForCalcium)) + " mV");
  // The legend: a short line of each gate's colour and its name.
  const int x = w - legend + font;
  for (std::size_t i = 0; i < chart.curves.size(); ++i) {
    const int y = 3 * font + static_cast<int>(i) * (font * 3 / 2) + font;
    d.SelectPen(GateColour(static_cast<int>(i)), 3);
    Line(d, x, y - font / 3, x + 2 * font, y - font / 3);
    Text(d, x + 2 * font + font / 2, y + font / 3, align::Left | align::Bottom, chart.curves[i].name);
  }
  d.RestoreInitialObjects(true, true);
}

}  // namespace vantor
