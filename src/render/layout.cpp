#include "vantor/render/layout.h"

#include <cmath>
#include <string>

#include "vantor/text/number_format.h"
#include "render/axis.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/palette.h"

namespace vantor {
namespace {

// The share of the page width a title may take, centred over the traces.
constexpr double kTitleWidth = 0.74;

float PlotWeight(const ParameterSet& params, int row) { return params.Trace(row).plot; }

}  // namespace

double BandsTop(const ParameterSet& params) {
  return PlotWeight(params, trace::Vm) != 0 ? kBandsTop : kBandsTopWithoutVm;
}

double OtherWeights(const ParameterSet& params) {
  double sum = 0;
  for (int row = trace::IInj; row <= trace::G1; ++row) sum += PlotWeight(params, row);
  return sum;
}

double VmShare(const ParameterSet& params, double cap) {
  if (OtherWeights(params) == 0) return 1.0;  // V-m alone takes the page
  double share = PlotWeight(params, trace::Vm) / 100.0;
  if (!(share >= 0)) share = 0;
  if (share > kMaxVmShare) share = kMaxVmShare;
  if (share > cap) share = cap;
  return share;
}

double LeastBandHeight(const OutputTarget& target) { return 1.6 * target.MinimumLabelHeight(); }

double VmShareCap(const OutputTarget& target, const ParameterSet& params, double pageHeight) {
  const double others = OtherWeights(params);
  if (others == 0 || PlotWeight(params, trace::Vm) == 0 || !(pageHeight > 0)) return 1.0;
  // Each band loses its gap at the top, so a weight needs the gap besides.
  const double perWeight = LeastBandHeight(target) / pageHeight + kBandGap;
  const double span = BandsTop(params) - kBandsBottom;
  const double cap = 1.0 - others * perWeight / span;
  if (VmShare(params) <= cap) return 1.0;
  return cap > kLeastVmShare ? cap : kLeastVmShare;
}

// The gaps between bands are taken from the tops of the bands themselves
// (AdvanceBand), so the weights share the whole height from highEdge to
// lowEdge; reserving the gaps here as well would leave them unused at the
// bottom of the page, a strip that grows with every band shown.
double BandUnits(const ParameterSet& params, double lowEdge, double highEdge, double cap) {
  const double others = OtherWeights(params);
  const double vFrac = VmShare(params, cap);
  const double d = others != 0 ? others / (1 - vFrac + 0.00001) : vFrac;
  return d / (highEdge - lowEdge);
}

void AdvanceBand(OutputTarget& target, const ParameterSet& params, int row, double unit) {
  if (row == trace::G2 || row == trace::G3) return;
  const double others = OtherWeights(params);
  target.bandTop = target.bandBottom - kBandGap;
  double w = PlotWeight(params, row);
  if (row == trace::Vm) {
    w = VmShare(params, target.vmShareCap);
    if (others != 0) w = w * others / (1 - w);
  }
  target.bandBottom -= w / unit;
}

void SelectTraceColour(Picture& picture, uint32_t /*roleColour*/) {
  picture.target.SetColour(RunColour(picture.replay.runIndex));
}

std::string ScaleBarLabel(float s, std::string_view unit, std::string_view prefix,
                          std::string_view suffix, float& shown) {
  if (prefix.empty()) {
    // The value comes back as the fraction the per-cent text shows, so the
    // head is a tenth of the arrow as for every other trace.
    return FormatEngineering("%open", s, 1, &shown);
  }
  std::string label = FormatEngineering(unit, s, 1, &shown);
  label += ' ';
  label += prefix;
  label += '-';
  label += suffix;
  return label;
}

void DrawScaleBarArrow(OutputTarget& target, double x, double T, float s, float shown) {
  const double half = 0.007 * T;
  const double d = s < 0 ? -1 : 1;
  const double h = s - d * shown * 0.1;
  target.LinePlot(x - half, 0, x + half, 0);
  target.LinePlot(x, 0, x, s);
  target.LinePlot(x - half, h, x, s);
  target.LinePlot(x + half, h, x, s);
}

void DrawScaleBar(OutputTarget& target, float trialDuration, float s, std::string_view unit,
                  std::string_view prefix, std::string_view suffix) {
  const double T = trialDuration;
  float shown = 0;
  const std::string label = ScaleBarLabel(s, unit, prefix, suffix, shown);
  DrawScaleBarArrow(target, T * 1.04, T, s, shown);
  target.TextPlot(T * 1.06, s >= 0 ? s / 3.0 : 2.0 * s / 3.0, label);
}

double PictureDuration(const ReplayState& replay, const ParameterSet& params) {
  const double own = params.Value(param::TrialDuration);
  auto duration = [own](const RecordedRun& run) {
    const double T = run.protocol ? run.protocol->trialDuration : own;
    return std::isfinite(T) ? T : 0.0;
  };
  double longest = duration(replay.current);
  if (replay.current.recordName.empty() && !replay.current.protocol) longest = own;
  for (const RecordedRun& run : replay.overlays) longest = std::max(longest, duration(run));
  return longest;
}

int LegiblePoints(const OutputTarget& target) {
  if (!(target.fontScale > 0) || !std::isfinite(target.fontScale)) return 1;
  const double least = target.MinimumLabelHeight();
  int points = std::max(1, TruncDevice(std::ceil(least / target.fontScale)));
  while (points < 1000 && TruncDevice(points * target.fontScale) < least) ++points;
  return points;
}

void FitTextWidth(OutputTarget& target, std::string& text, double width) {
  if (target.CurrentDevice() == nullptr || text.empty()) return;
  TextExtent e = target.MeasureInCurrentFont(text);
  if (e.width <= width) return;
  // Widths do not scale exactly with the size, so the estimate is checked.
  const int least = LegiblePoints(target);
  int points = std::max(least, TruncDevice(target.FontSize() * width / e.width));
  while (points < target.FontSize()) {
    target.SetCharSize(points);
    e = target.MeasureInCurrentFont(text);
    if (e.width <= width || points <= least) break;
    --points;
  }
  if (e.width <= width) return;
  std::string cut = text;
  while (cut.size() > 1) {
    cut.pop_back();
    if (target.Measure(cut + "...").width <= width) break;
  }
  text = cut + "...";
}

double LayoutDuration(const Picture& picture, const ParameterSet& params) {
  return picture.timeAxis > 0 ? picture.timeAxis : params.Value(param::TrialDuration);
}

void FillBackground(Picture& picture) {
  Device* device = picture.target.CurrentDevice();
  if (device == nullptr) return;
  device->FillRect(0, 0, TruncDevice(device->SurfaceWidth()), TruncDevice(device->SurfaceHeight()),
                   picture.preferences.Colour(Preferences::BackgroundColour));
}

// The time bar with its length below it. Where it would run into the tick
// labels of the V-m axis (a narrow page, long tick labels) it moves right of
// them; where there is no room there, its text is set smaller, and as a last
// resort it stands at the top right of the trace area.
static void DrawTimeBar(OutputTarget& target, double T) {
  const double W = target.surface.pageWidth, H = target.surface.pageHeight;
  const double sy = target.surface.sy, oy = target.surface.oy;
  const double y = (H * 0.03 - oy) / sy;
  const double textY = y + H * 0.02 / sy;
  float shown = 0;
  std::string text = FormatEngineering("ms", static_cast<float>(T / 10), 1, &shown);
  const double x1 = T * 1.04 + shown / 1.2;
  const double x2 = x1 + shown;
  if (target.CurrentDevice() == nullptr) {
    target.LinePlot(x1, y, x2, y);
    target.SetTextAlignment(text_align::Centre, text_align::Top);
    target.TextPlot((x1 + x2) / 2, textY, text);
    return;
  }
  const double d1 = target.DeviceX(x1), d2 = target.DeviceX(x2);
  const double barY = target.DeviceY(y), textTop = target.DeviceY(textY);
  const double pen = target.penWidth;
  auto boxAt = [&](double shift, double down) {
    const TextExtent e = target.MeasureInCurrentFont(text);
    const double mid = (d1 + d2) / 2 + shift;
    return LabelBox{std::min(d1 + shift, mid - e.width / 2.0), barY - pen + down,
                    std::max(d2 + shift, mid + e.width / 2.0), textTop + e.height + down};
  };
  LabelBox box = boxAt(0, 0);
  double shift = 0, down = 0;
  // Moved, it keeps a little distance from what it moved away from.
  const double gap = std::max(4.0, W * 0.01);
  bool moved = !target.texts.Free(box) || box.right > W - 1;
  if (moved) {
    double x = 0;
    bool found = false;
    for (int attempt = 0; attempt < 2 && !found; ++attempt) {
      if (attempt == 1) {
        const int least = LegiblePoints(target);
        if (target.FontSize() <= least) break;
        target.SetCharSize(least);
        box = boxAt(0, 0);
      }
      found = target.texts.FindColumn(box.left - gap, W - 1, box.right - box.left + gap, box.top,
                                      box.bottom, x);
    }
    if (found) {
      shift = x + gap - box.left;
    } else {
      // Inside the trace area, at its right end, below whatever is there.
      shift = W * target.plotRight - 4 - box.right;
      for (int step = 0; step < 8; ++step) {
        const LabelBox* met = target.texts.FirstMet(boxAt(shift, down));
        if (met == nullptr) break;
        down += met->bottom + 2 - boxAt(shift, down).top;
      }
    }
  }
  if (!moved) {
    target.LinePlot(x1, y, x2, y);
    target.SetTextAlignment(text_align::Centre, text_align::Top);
    target.TextPlot((x1 + x2) / 2, textY, text);
  } else {
    target.LineDevice(d1 + shift, barY + down, d2 + shift, barY + down);
    target.SetTextAlignment(text_align::Centre, text_align::Top);
    target.TextDevice((d1 + d2) / 2 + shift, textTop + down, text);
  }
  target.texts.Reserve(boxAt(shift, down));
}

void PlotSetup(Picture& picture, const ParameterSet& params, const std::string& plotterFileName,
               std::string_view title, Messages& messages) {
  OutputTarget& target = picture.target;
  const Preferences& prefs = picture.preferences;
  const uint32_t voltage = prefs.Colour(Preferences::VoltageColour);
  // Runs of different lengths share the time axis of the longest.
  picture.timeAxis = PictureDuration(picture.replay, params);
  const double T = picture.timeAxis;
  target.ClearTraceClip();

  const float choice = params.Value(param::PlotChoice);
  if (choice != 0 && target.Plotter() != nullptr) {
    const std::string name = choice > 2 ? plotterFileName : std::string("LPT1");
    target.Plotter()->OpenPlotter(name, choice == 2, messages);
  }

  if (Device* device = target.CurrentDevice()) {
    target.surface.pageWidth = device->SurfaceWidth();
    target.surface.pageHeight = device->SurfaceHeight();
  }
  if (target.printing) FillBackground(picture);
  const double W = target.surface.pageWidth;
  const double H = target.surface.pageHeight;
  const int m = std::min(TruncDevice(W), TruncDevice(H));
  target.penWidth = std::max(1, TruncDevice(m * 4.0 / 900.0));
  target.fontScale = m / 330.0 * (target.printing ? 0.7 : 1.0);

  if (Device* device = target.CurrentDevice())
    device->SetBackgroundColour(prefs.Colour(Preferences::BackgroundColour));
  if (picture.replay.mode == kReplayOrdinary && !target.printing) FillBackground(picture);

  target.plotRight = 0.75;
  target.plotLeft = 0.01;
  target.drawAxis = false;
  SetupAxis(target, 0, T, AxisKind::X, TickMode::Counted, "Time (msec)");

  // The title belongs to the picture, not to the run drawn last: it keeps
  // the first run's colour however many runs lie over it.
  target.SetColour(RunColour(0));
  target.SetTextAlignment(text_align::Centre, text_align::Top);
  target.SetTextStyle(0, 0);
  // Every text from here on is kept track of, for placing the labels after.
  target.texts.Clear();
  target.logTexts = true;
  // A long title is set smaller so that it stays over the traces, clear of
  // the page edges and of the axis on the right.
  std::string shownTitle(title);
  FitTextWidth(target, shownTitle, W * kTitleWidth);
  target.TextDevice(W * 0.75 / 2, 2, shownTitle);
  target.SetTextAlignment(text_align::Left, text_align::Bottom);

  target.bandTop = target.bandBottom = BandsTop(params);
  // Many traces on a low page: V-m gives way so that each keeps a legible band.
  target.vmShareCap = VmShareCap(target, params, H);
  const double unit = BandUnits(params, kBandsBottom, BandsTop(params), target.vmShareCap);
  const TraceRow& vm = params.Trace(trace::Vm);
  ClipBox vmClip;
  picture.liveTrace = vm.plot != 0;
  if (picture.liveTrace) {
    AdvanceBand(target, params, trace::Vm, unit);
    target.drawAxis = true;
    target.axisColour = voltage;
    target.labelColour = voltage;
    const AxisScale range =
        SetupAxis(target, vm.minimum, vm.maximum, AxisKind::Y, TickMode::Nice, "Potential (mV)");
    target.drawAxis = false;
    vmClip = ClipBox{0, T, range.minimum, range.maximum};
    if (target.vmShareCap < 1.0) {
      // Says why V-m is lower than its share asks, at the band's foot.
      const int asked = static_cast<int>(std::lround(VmShare(params) * 100));
      const int given = static_cast<int>(std::lround(VmShare(params, target.vmShareCap) * 100));
      std::string note = "V-m has " + std::to_string(given) + " % of the height (not " +
                         std::to_string(asked) + " %) so that every trace stays readable";
      const int points = target.FontSize();
      const uint32_t colour = target.Colour();
      target.SetCharSize(LegiblePoints(target));
      target.SetColour(RunColour(0));
      FitTextWidth(target, note, W * (target.plotRight - target.plotLeft) * 0.9);
      target.SetTextAlignment(text_align::Left, text_align::Bottom);
      target.TextDevice(W * target.plotLeft + 2, (1 - target.bandBottom) * H - 2, note);
      target.SetCharSize(points);
      target.SetColour(colour);
    }
  } else {
    // No V-m band: the time bar still needs a vertical scale to stand in,
    // so V-m's range is laid over the whole trace area without drawing
    // anything there; the bands of the other traces are not moved.
    const double top = target.bandTop, bottom = target.bandBottom;
    target.bandTop = kBandsTop - kBandGap;
    target.bandBottom = kBandsBottom;
    target.axisColour = voltage;
    target.labelColour = voltage;
    SetupAxis(target, vm.minimum, vm.maximum, AxisKind::Y, TickMode::Nice, "Potential (mV)");
    target.SetColour(voltage);  // the bar has the axis colour, as when V-m is shown
    target.bandTop = top;
    target.bandBottom = bottom;
  }

  // Time scale bar, 3 per cent of the page below the top, right of the traces.
  DrawTimeBar(target, T);

  target.SetTextAlignment(text_align::Left, text_align::Bottom);
  SelectTraceColour(picture, voltage);
  if (picture.liveTrace) {
    target.SetTraceClip(vmClip);
    target.MoveToPlot(0, params.Value(param::StartingVm));
  }
}

}  // namespace vantor
