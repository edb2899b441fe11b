#include "render/axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vantor/text/number_format.h"
#include "vantor/text/text_helpers.h"
#include "vantor/render/cgm_writer.h"
#include "vantor/render/hpgl_plotter.h"

namespace vantor {
namespace {

// Enough widenings by 1.1 to pass several decades; a finite range needs a
// handful, so reaching this means the arithmetic has gone wrong.
constexpr int kMaxWidenings = 400;
constexpr int kMaxTicks = 1000;
constexpr int kMaxDecimals = 60;
// Below this the title would no longer be read; a title that still does not
// fit then runs into its neighbours rather than vanish.
constexpr int kSmallestTitlePoints = 10;

// The leading digit of a positive value rounded to one significant digit.
int LeadingDigit(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0e", value);
  return (text[0] >= '0' && text[0] <= '9') ? text[0] - '0' : 0;
}

// The step rounded to one significant digit the way labels print it.
double RoundStep(double step) {
  const std::string text = FormatPadded(static_cast<float>(step), 1);
  const double rounded = std::strtod(text.c_str(), nullptr);
  return (std::isfinite(rounded) && rounded > 0) ? rounded : step;
}

std::string TickLabel(double v, const AxisScale& scale) {
  // Ticks are counted from the minimum; a value that should be zero can come
  // out as a tiny negative, which would print as "-0".
  if (std::fabs(v) < scale.step * 1e-6) v = 0;
  char text[512];
  std::snprintf(text, sizeof text, "%*.*f", scale.width, scale.decimals, v);
  std::string label = text;
  TrimBlanks(label);
  return label;
}

void MeasureCharacter(OutputTarget& target) {
  const TextExtent a = target.Measure("A");
  target.charHeight = a.height;
  target.charWidth = a.width;
}

// The title is centred on the band. When the band is short it would reach
// up into the time bar's text (which hangs from 5 per cent of the page below
// the top); it then moves down into the band's free part below that text and,
// if it is still too long, is set smaller. Returns the y to write it at.
double FitTitle(OutputTarget& target, std::string_view title, double yMid) {
  const double H = target.surface.pageHeight;
  const TextExtent extent = target.Measure(title);
  if (extent.width <= 0) return yMid;
  const double barTextEnd = 0.05 * H + target.charHeight;
  // The layer lifts centred text by half its height.
  if (yMid - extent.height / 2.0 - extent.width / 2.0 >= barTextEnd) return yMid;
  const double bandEnd = (1 - target.bandBottom) * H;
  const double room = bandEnd - barTextEnd;
  double height = extent.height;
  if (extent.width > room) {
    const int size = target.FontSize();
    const int points =
        std::max(TruncDevice(size * std::max(room, 0.0) / extent.width), kSmallestTitlePoints);
    if (points < size) {
      target.SetCharSize(points);
      height = extent.height * points / static_cast<double>(size);
    }
  }
  return (barTextEnd + bandEnd) / 2 + height / 2;
}

void DrawVerticalAxis(OutputTarget& target, const AxisScale& scale, std::string_view title) {
  const double W = target.surface.pageWidth;
  const double H = target.surface.pageHeight;
  const double tick = std::trunc(H * 0.02);

  target.SetTextStyle(0, 0);
  if (!target.clipboardCopy) MeasureCharacter(target);
  if (target.charHeight == 0) {
    // Nothing measured yet (a copy as the very first picture): assume the
    // cell of a 14-point font at this scale.
    target.charHeight = TruncDevice(14 * target.fontScale);
    target.charWidth = TruncDevice(target.charHeight * 0.6);
  }
  if (target.CgmActive()) {
    const uint32_t c = target.labelColour;
    target.Cgm()->CgmTextColour(RedOf(c), GreenOf(c), BlueOf(c));
  }
  target.SetTextStyle(3, 0);
  const double x = W * target.plotRight + tick;
  target.SetTextAlignment(text_align::Left, text_align::Middle);

  target.SetColour(target.axisColour);
  target.LineDevice(x, (1 - target.bandTop) * H, x, (1 - target.bandBottom) * H);

  const double r = scale.maximum - scale.minimum;
  const double yMid = (r / 2 + scale.minimum) * target.surface.sy + target.surface.oy;
  target.SetColour(target.labelColour);
  target.TextDevice(x + 6 * target.charHeight, yMid, std::string_view());
  if (!target.clipboardCopy) MeasureCharacter(target);
  const double titleY = FitTitle(target, title, yMid);
  const double tickEnd = x - W * 0.008;
  const double labelX = x + 0.6 * target.charHeight;
  // The title stands clear of the widest tick label (long labels of a narrow
  // range would reach under it); its text hangs left from the point.
  double widest = 0;
  for (int i = 0; i < kMaxTicks; ++i) {
    const double v = scale.minimum + i * scale.step;
    if (!(v <= scale.maximum + 0.1 * scale.step)) break;
    widest = std::max<double>(widest, target.Measure(TickLabel(v, scale)).width);
  }
  double titleX = x + 4 * target.charHeight;
  const double titleHeight = target.Measure(title).height;
  if (titleX - titleHeight < labelX + widest + 2) titleX = labelX + widest + 2 + titleHeight;
  target.TextDevice(titleX, titleY, title);

  target.SetTextStyle(0, 0);
  target.SetTextAlignment(text_align::Left, text_align::Middle);
  target.SetColour(target.axisColour);
  target.SetColour(target.labelColour);
  for (int i = 0; i < kMaxTicks; ++i) {
    const double v = scale.minimum + i * scale.step;
    if (!(v <= scale.maximum + 0.1 * scale.step)) break;
    const double p = v * target.surface.sy + target.surface.oy;
    target.LineDevice(x, p, tickEnd, p);
    target.TextDevice(labelX, p, TickLabel(v, scale));
  }
}

}  // namespace

AxisScale ScaleAxis(double minimum, double maximum, int tickLimit, TickMode mode) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
    minimum = -1;
    maximum = 1;
  }
  if (maximum == minimum) {
    if (minimum == 0) {
      minimum = -1;
      maximum = 1;
    } else {
      minimum *= 0.9;
      maximum *= 1.1;
    }
  }
  if (maximum < minimum) std::swap(minimum, maximum);
  if (!(maximum - minimum > 0) || !std::isfinite(maximum - minimum)) {
    minimum = -1;  // a range too small or too large to scale
    maximum = 1;
  }

  AxisScale scale;
  const int n = tickLimit < 4 ? 4 : tickLimit;
  scale.ticks = n;
  double step = (maximum - minimum) / n;
  if (mode == TickMode::Nice) {
    double r = maximum - minimum;
    int found = 0;
    for (int widening = 0; widening < kMaxWidenings && std::isfinite(r); ++widening) {
      found = 0;
      for (int k = n; k >= 1; --k) {
        const int digit = LeadingDigit(r / k);
        if (digit == 1 || digit == 2 || digit == 5) {
          found = k;
          break;
        }
      }
      if (found > 3) break;
      r *= 1.1;
    }
    if (found > 3 && std::isfinite(r)) {
      step = RoundStep(r / found);
      const double low = std::floor(minimum / step + 0.1) * step;
      const double high = std::ceil(maximum / step - 0.1) * step;
      if (std::isfinite(low) && std::isfinite(high) && high > low) {
        minimum = low;
        maximum = high;
      } else {
        step = (maximum - minimum) / n;
      }
    }
  }
  scale.minimum = minimum;
  scale.maximum = maximum;
  scale.step = step;
  if (step < 1) {
    int decimals = static_cast<int>(-std::floor(std::log10(step)));
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    scale.decimals = decimals;
    scale.width = decimals + 2;
  } else {
    scale.decimals = 0;
    scale.width = 4;
  }
  return scale;
}

int TickLimit(const OutputTarget& target, AxisKind kind) {
  const double span = kind == AxisKind::Y ? (target.bandTop - target.bandBottom) * 12
                                          : (target.plotRight - target.plotLeft) * 16;
  // Band edges come from the layout weights of a file; a hostile set of
  // weights can put them anywhere, and only a span within int converts.
  int n = std::isfinite(span) && span > -1e6 && span < 1e6 ? static_cast<int>(span) : 4;
  return n < 4 ? 4 : n;
}

AxisScale SetupAxis(OutputTarget& target, double minimum, double maximum, AxisKind kind,
                    TickMode mode, std::string_view title) {
  if (HpglPlotter* plotter = target.Plotter();
      plotter != nullptr && plotter->Active() && !plotter->HeaderDone())
    plotter->WriteHeader(target.surface.pageWidth, target.surface.pageHeight);

  const AxisScale scale = ScaleAxis(minimum, maximum, TickLimit(target, kind), mode);
  const double W = target.surface.pageWidth;
  const double H = target.surface.pageHeight;
  const double r = scale.maximum - scale.minimum;
  if (kind == AxisKind::Y) {
    const double a = (target.bandTop - target.bandBottom) * H / r;
    target.surface.sy = -a;
    target.surface.oy = H - (target.bandBottom * H - scale.minimum * a);
  } else {
    target.surface.sx = (target.plotRight - target.plotLeft) * W / r;
    target.surface.ox = target.plotLeft * W - scale.minimum * target.surface.sx;
  }
  if (target.drawAxis && kind == AxisKind::Y) DrawVerticalAxis(target, scale, title);
  return scale;
}

}  // namespace vantor
