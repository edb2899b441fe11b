#include "render/band_labels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "vantor/render/layout.h"

namespace vantor {
namespace {

constexpr int kLabelPoints = 14;  // the size PlotSetup leaves for labels

double BandTopY(const OutputTarget& t) { return (1 - t.bandTop) * t.surface.pageHeight; }
double BandBottomY(const OutputTarget& t) { return (1 - t.bandBottom) * t.surface.pageHeight; }

}  // namespace

void FitLabelsToBand(OutputTarget& target, double share) {
  const double room = (BandBottomY(target) - BandTopY(target)) * share;
  int points = kLabelPoints;
  if (target.fontScale > 0 && room < kLabelPoints * target.fontScale)
    points = std::max(1, TruncDevice(room / target.fontScale));
  points = std::max(points, LegiblePoints(target));
  if (points != target.FontSize()) target.SetCharSize(points);
}

void DrawBandScale(OutputTarget& target, double T, float s, float shown, const AxisScale& range,
                   const std::string& label, BandMarks& marks) {
  const double W = target.surface.pageWidth;
  const double pad = target.penWidth + 2.0;
  // The arrow keeps to its band like the traces; a cut end gets the mark.
  constexpr double kAll = std::numeric_limits<double>::max();
  const ClipBox box{-kAll, kAll, range.minimum, range.maximum};
  auto within = [&](double v) { return std::clamp(v, box.yLow, box.yHigh); };
  const double xArrow = target.DeviceX(T * 1.04), half = std::fabs(target.DeviceX(0.007 * T) -
                                                                  target.DeviceX(0));
  const double yA = target.DeviceY(within(0)), yB = target.DeviceY(within(s));
  LabelBox arrow{xArrow - half - pad, std::min(yA, yB) - pad, xArrow + half + pad,
                 std::max(yA, yB) + pad};
  // An arrow that would touch the one of the band above moves aside.
  double shift = 0;
  double x = 0;
  if (std::isfinite(arrow.top) && std::isfinite(arrow.bottom) && !marks.arrows.Free(arrow) &&
      marks.arrows.FindColumn(arrow.left, W - 1, arrow.right - arrow.left, arrow.top,
                              arrow.bottom, x))
    shift = x - arrow.left;
  const double sx = target.surface.sx;
  const double plotShift = sx != 0 ? shift / sx : 0;
  target.SetTraceClip(box);
  const double half2 = 0.007 * T, xp = T * 1.04 + plotShift;
  const double d = s < 0 ? -1 : 1;
  const double h = s - d * shown * 0.1;
  target.LinePlotClipped(xp - half2, 0, xp + half2, 0);
  target.LinePlotClipped(xp, 0, xp, s);
  target.LinePlotClipped(xp - half2, h, xp, s);
  target.LinePlotClipped(xp + half2, h, xp, s);
  target.ClearTraceClip();
  arrow.left += shift;
  arrow.right += shift;
  marks.arrows.Reserve(arrow);

  // The label: in its band where it fits, else centred on the band in the
  // first free column; never over another text or an arrow.
  FitLabelsToBand(target, 1.0);
  const double x0 = target.DeviceX(T * 1.06) + shift;
  const double top = BandTopY(target), bottom = BandBottomY(target);
  const double yPlot = s >= 0 ? s / 3.0 : 2.0 * s / 3.0;
  const double yUsual = target.DeviceY(yPlot);
  LabelSpace taken = target.texts;
  for (const LabelBox& b : marks.arrows.Boxes()) taken.Reserve(b);
  std::string text = label;
  // From the usual size down to the legible one: the usual place in the
  // band (kept inside it), then lower and higher in the band, then a free
  // column beside; a band too short for the label centres it.
  const int least = LegiblePoints(target);
  for (;;) {
    text = label;
    FitTextWidth(target, text, W - 1 - x0);
    const TextExtent e = target.MeasureInCurrentFont(text);
    const double h = e.height;
    std::vector<double> ys;  // text bottoms to try
    if (h <= bottom - top) {
      ys = {std::clamp(yUsual, top + h, bottom), bottom, top + h};
    } else {
      ys = {(top + bottom + h) / 2};
    }
    for (double y : ys) {
      double at = x0;
      if (!std::isfinite(y) || !taken.FindColumn(x0, W - 1, e.width, y - h, y, at)) continue;
      if (at == x0 && shift == 0 && y == yUsual && text == label)
        target.TextPlot(T * 1.06, yPlot, text);  // where it always stood
      else
        target.TextDevice(at, y, text);
      return;
    }
    if (target.FontSize() <= least) break;
    target.SetCharSize(std::max(least, target.FontSize() * 3 / 4));
  }
  marks.leftOut.push_back(label);
}

void DrawGateNames(OutputTarget& target, double T, const std::vector<GateName>& names) {
  if (names.empty()) return;
  const double W = target.surface.pageWidth, H = target.surface.pageHeight;
  FitLabelsToBand(target, 1.0);
  const double top = BandTopY(target), bottom = BandBottomY(target);
  const double stroke = std::max(12.0, W * 0.02);
  const double gap = std::max(4.0, W * 0.005);
  const double h = target.MeasureInCurrentFont("A").height;
  const bool stacked = names.size() > 1 && bottom - top >= 3 * h;
  const double start = target.DeviceX(T * (stacked ? 1.22 : 1.06));
  double x = start;
  double rowTop = std::max(top, (top + bottom - h) / 2);
  for (const GateName& g : names) {
    const double w = stroke + gap + target.MeasureInCurrentFont(g.name).width;
    if (stacked) {
      x = start;
      rowTop = std::clamp(g.stackedY - h, top, bottom - h);
    }
    double at = -1;
    // Side by side; what does not fit goes on a row below.
    for (int row = 0; row < 4 && rowTop + h <= H; ++row) {
      if (target.texts.FindColumn(x, W - 1, w, rowTop, rowTop + h, at)) break;
      at = -1;
      x = start;
      rowTop += h;
    }
    if (at < 0) continue;  // no room anywhere: the line style alone tells it
    const double mid = rowTop + h / 2;
    target.SetLineStyle(g.style);
    target.LineDevice(at, mid, at + stroke, mid);
    target.SetLineStyle(0);
    target.TextDevice(at + stroke + gap, rowTop + h, g.name);
    target.texts.Reserve({at, rowTop, at + w, rowTop + h});
    x = at + w + gap;
  }
}

void DrawLeftOutLabels(OutputTarget& target, const BandMarks& marks) {
  if (marks.leftOut.empty()) return;
  const double W = target.surface.pageWidth, H = target.surface.pageHeight;
  target.SetCharSize(LegiblePoints(target));
  const double h = target.MeasureInCurrentFont("A").height;
  const double width = W * 0.98;
  // Under the bands and under every text set so far.
  double top = (1 - kBandsBottom) * H;
  for (const LabelBox& b : target.texts.Boxes()) top = std::max(top, b.bottom + 1);
  std::vector<std::string> lines{"Scale bars, top down:"};
  for (const std::string& label : marks.leftOut) {
    const std::string longer = lines.back() + "  " + label;
    if (target.Measure(longer).width <= width)
      lines.back() = longer;
    else
      lines.push_back(label);
  }
  for (std::string& line : lines) {
    if (top + h > H) break;
    FitTextWidth(target, line, width);
    target.TextDevice(W * 0.01, top + h, line);
    top += h;
  }
}

}  // namespace vantor
