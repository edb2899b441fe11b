#include "vantor/render/sweep_chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/chart_frame.h"
#include "vantor/text/number_format.h"

namespace vantor {
namespace {

using namespace chart;

void LineChart(Device& d, const SweepChart& c, const Box& plot, int font) {
  std::vector<SweepChart::Point> points = c.points;
  std::sort(points.begin(), points.end(),
            [](const auto& a, const auto& b) { return a.x[0] < b.x[0]; });
  std::vector<double> xs, ys;
  for (const auto& p : points) xs.push_back(p.x[0]), ys.push_back(p.value);
  auto [x0, x1] = Range(xs);
  auto [y0, y1] = Range(ys);
  if (y0 > 0 && y0 < 0.5 * y1) y0 = 0;  // rates and counts read best from 0
  const std::vector<double> yt = NiceTicks(y0, y1, 6);
  if (!yt.empty()) y0 = std::min(y0, yt.front()), y1 = std::max(y1, yt.back());

  VerticalTicks(d, plot, y0, y1, true);
  HorizontalTicks(d, plot, x0, x1, font);
  d.SelectPen(kLineBlue, 2);
  bool drawing = false;
  for (const auto& p : points) {
    if (!std::isfinite(p.value)) {
      drawing = false;  // a run without the measure breaks the line
      continue;
    }
    const int x = Scale(p.x[0], x0, x1, plot.left, plot.right);
    const int y = Scale(p.value, y0, y1, plot.bottom, plot.top);
    if (drawing) d.LineTo(x, y);
    else d.MoveTo(x, y);
    drawing = true;
  }
  for (const auto& p : points)
    if (std::isfinite(p.value)) {
      const int x = Scale(p.x[0], x0, x1, plot.left, plot.right);
      const int y = Scale(p.value, y0, y1, plot.bottom, plot.top);
      d.FillRect(x - 3, y - 3, 7, 7, kLineBlue);
    }
  Frame(d, plot);
}

// Labels of a grid axis, thinned so that they do not run into each other.
int LabelStride(std::size_t count, int length, int room) {
  const int per = std::max(1, length / static_cast<int>(std::max<std::size_t>(count, 1)));
  return std::max(1, (room + per - 1) / per);
}

void ColourBar(Device& d, const Box& bar, double lo, double hi) {
  const int steps = std::max(1, bar.Height());
  for (int i = 0; i < steps; ++i) {
    const double share = 1.0 - (i + 0.5) / steps;
    d.FillRect(bar.left, bar.top + i, bar.Width(), 1, ScaleColour(share));
  }
  Frame(d, bar);
  for (double t : NiceTicks(lo, hi, 6)) {
    const int y = Scale(t, lo, hi, bar.bottom, bar.top);
    d.SelectPen(kBlack, 1);
    Line(d, bar.right, y, bar.right + 5, y);
    Text(d, bar.right + 8, y + 6, align::Left | align::Bottom, Label(t));
  }
}

void HeatMap(Device& d, const SweepChart& c, const Box& plot, const Box& bar, int font) {
  std::vector<double> values;
  for (const auto& p : c.points) values.push_back(p.value);
  const auto [lo, hi] = Range(values);
  const bool grid = c.gridValues.size() == 2 && !c.gridValues[0].empty();
  if (grid) {
    const auto& xv = c.gridValues[0];
    const auto& yv = c.gridValues[1];
    const std::size_t nx = xv.size(), ny = yv.size();
    for (std::size_t i = 0; i < c.points.size() && i < nx * ny; ++i) {
      // Grid order: the first axis (x) slowest, the second (y) fastest.
      const std::size_t ix = i / ny, iy = i % ny;
      const int x0 = plot.left + static_cast<int>(plot.Width() * ix / nx);
      const int x1 = plot.left + static_cast<int>(plot.Width() * (ix + 1) / nx);
      const int y1 = plot.bottom - static_cast<int>(plot.Height() * iy / ny);
      const int y0 = plot.bottom - static_cast<int>(plot.Height() * (iy + 1) / ny);
      const double v = c.points[i].value;
      d.FillRect(x0, y0, x1 - x0, y1 - y0,
                 std::isfinite(v) ? ScaleColour((v - lo) / (hi - lo)) : kMissingGrey);
    }
    d.SelectPen(kBlack, 1);
    const int xStride = LabelStride(nx, plot.Width(), 7 * font);
    for (std::size_t ix = 0; ix < nx; ix += xStride) {
      const int x = plot.left + static_cast<int>(plot.Width() * (2 * ix + 1) / (2 * nx));
      Line(d, x, plot.bottom, x, plot.bottom + 5);
      Text(d, x, plot.bottom + 8 + font, align::Centre | align::Bottom, Label(xv[ix]));
    }
    const int yStride = LabelStride(ny, plot.Height(), 2 * font);
    for (std::size_t iy = 0; iy < ny; iy += yStride) {
      const int y = plot.bottom - static_cast<int>(plot.Height() * (2 * iy + 1) / (2 * ny));
      Line(d, plot.left - 5, y, plot.left, y);
      Text(d, plot.left - 8, y + font / 2, align::Right | align::Bottom, Label(yv[iy]));
    }
  } else {
    // Random points: a coloured square at each.
    std::vector<double> xs, ys;
    for (const auto& p : c.points) xs.push_back(p.x[0]), ys.push_back(p.x[1]);
    const auto [x0, x1] = Range(xs);
    const auto [y0, y1] = Range(ys);
    HorizontalTicks(d, plot, x0, x1, font);
    VerticalTicks(d, plot, y0, y1, false);
    for (const auto& p : c.points) {
      const int x = Scale(p.x[0], x0, x1, plot.left, plot.right);
      const int y = Scale(p.x[1], y0, y1, plot.bottom, plot.top);
      d.FillRect(x - 4, y - 4, 9, 9,
                 std::isfinite(p.value) ? ScaleColour((p.value - lo) / (hi - lo)) : kMissingGrey);
    }
  }
  Frame(d, plot);
  ColourBar(d, bar, lo, hi);
}

}  // namespace

uint32_t ScaleColour(double share) {
  // A perceptually ordered scale: dark blue, teal, green, yellow.
  static const double kStops[][3] = {
      {68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
  constexpr int kLast = 4;
  if (!std::isfinite(share)) share = 0;
  share = std::clamp(share, 0.0, 1.0) * kLast;
  const int i = std::min(static_cast<int>(share), kLast - 1);
  const double f = share - i;
  uint32_t colour = 0;
  for (int ch = 0; ch < 3; ++ch) {
    const double v = kStops[i][ch] + (kStops[i + 1][ch] - kStops[i][ch]) * f;
    colour |= static_cast<uint32_t>(std::lround(v)) << (8 * ch);
  }
  return colour;
}

void DrawSweepChart(Device& d, const SweepChart& c) {
  const int w = static_cast<int>(d.SurfaceWidth());
  const int h = static_cast<int>(d.SurfaceHeight());
  const int font = BlankChart(d);
  const bool heat = c.axisNames.size() == 2;
  const int barRoom = heat ? 8 * font : 0;
  const Box plot{7 * font, 3 * font, w - 2 * font - barRoom, h - 5 * font};
  const Box bar{plot.right + 2 * font, plot.top, plot.right + 3 * font + font / 2, plot.bottom};
  if (heat) {
    HeatMap(d, c, plot, bar, font);
    Captions(d, plot, font, c.axisNames[0], c.axisNames[1],
             c.measureName + " by " + c.axisNames[0] + " and " + c.axisNames[1]);
  } else {
    LineChart(d, c, plot, font);
    Captions(d, plot, font, c.axisNames.empty() ? "" : c.axisNames[0], c.measureName,
             c.measureName + (c.axisNames.empty() ? "" : " against " + c.axisNames[0]));
  }
  d.RestoreInitialObjects(true, true);
}

}  // namespace vantor
