#include "vantor/render/run_legend.h"

#include <algorithm>

#include "vantor/render/layout.h"
#include "vantor/render/palette.h"
#include "vantor/render/text_align.h"
#include "vantor/text/number_format.h"

namespace vantor {
namespace {

// The name of a parameter as the listing shows it: the prompt up to "(",
// without the "mM " of the concentrations.
std::string ShortName(const std::string& prompt) {
  std::string name = prompt.substr(0, prompt.find('('));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.rfind("mM ", 0) == 0 || name.rfind("nM ", 0) == 0) name.erase(0, 3);
  return name;
}

float ValueOf(const RecordedRun& run, const ParameterSet& params, int k) {
  return run.parameters.size() == static_cast<std::size_t>(kParameterCount) ? run.parameters[k]
                                                                              : params.Value(k);
}

// Legend text size: small beside the labels, never below the legible size.
constexpr double kLegendPoints = 10;

}  // namespace

std::vector<const RecordedRun*> PictureRuns(const ReplayState& replay) {
  std::vector<const RecordedRun*> runs;
  for (const RecordedRun& run : replay.overlays) runs.push_back(&run);
  if (!replay.current.recordName.empty() || replay.current.samples) runs.push_back(&replay.current);
  return runs;
}

std::string RunDifferences(const RecordedRun& first, const RecordedRun& run,
                           const ParameterSet& params, int most) {
  std::string text;
  int shown = 0;
  for (int k = 0; k < kParameterCount; ++k) {
    if (k == param::PlotChoice) continue;  // how it was output, not what ran
    const float a = ValueOf(first, params, k), b = ValueOf(run, params, k);
    if (a == b) continue;
    if (shown == most) {
      text += ", ...";
      break;
    }
    if (!text.empty()) text += ", ";
    text += ShortName(params.Prompt(k)) + ' ' + FormatNumber(b, 6, 9, AutoTrimmed);
    ++shown;
  }
  return text;
}

std::string RunLegendText(const ReplayState& replay, int index, const ParameterSet& params) {
  const std::vector<const RecordedRun*> runs = PictureRuns(replay);
  if (index < 0 || index >= static_cast<int>(runs.size())) return {};
  const RecordedRun& run = *runs[static_cast<std::size_t>(index)];
  std::string text = !run.label.empty() ? run.label : "Run " + std::to_string(index + 1);
  if (!run.drive.empty()) text += ": " + run.drive;
  if (index > 0) {
    const std::string differences = RunDifferences(*runs.front(), run, params);
    if (!differences.empty())
      text += (run.drive.empty() ? ": " : ", ") + differences;
    else if (run.drive.empty())
      text += ": the same parameters";
  }
  return text;
}

void DrawRunLegend(Picture& picture, const ParameterSet& params, int from, int to) {
  const std::vector<const RecordedRun*> runs = PictureRuns(picture.replay);
  if (runs.size() < 2) return;
  OutputTarget& target = picture.target;
  const int formerPoints = target.FontSize();
  const int formerH = target.AlignH(), formerV = target.AlignV();
  const double points = std::max<double>(kLegendPoints, LegiblePoints(target));
  target.SetCharSize(points);
  target.SetTextAlignment(text_align::Left, text_align::Middle);
  const double W = target.surface.pageWidth, H = target.surface.pageHeight;
  const double line = points * target.fontScale * 1.35;
  const double x = W * 0.012, sample = std::max(12.0, W * 0.025);
  // Below the title's line, at the top left of the V-m band.
  const double top = std::max(H * 0.065, 2 + 2.2 * line);
  from = std::max(from, 0);
  to = std::min(to, static_cast<int>(runs.size()) - 1);
  const bool logged = target.logTexts;
  target.logTexts = false;  // the labels keep their places whatever the legend says
  // On the screen and on paper the legend stands on a patch of background,
  // so that the traces running under it do not cross its words.
  // A hidden run leaves no line: the shown ones close up, each in its own colour.
  std::vector<int> rowOf(runs.size(), -1);
  int rows = 0, firstRow = -1, lastRow = -1;
  for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
    if (runs[static_cast<std::size_t>(i)]->hidden) continue;
    rowOf[static_cast<std::size_t>(i)] = rows;
    if (i >= from && i <= to) {
      if (firstRow < 0) firstRow = rows;
      lastRow = rows;
    }
    ++rows;
  }
  if (firstRow < 0) {
    target.logTexts = logged;
    target.SetCharSize(formerPoints);
    target.SetTextAlignment(formerH, formerV);
    return;
  }
  if (Device* device = target.CurrentDevice()) {
    int widest = 0;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i)
      if (!runs[static_cast<std::size_t>(i)]->hidden)
        widest = std::max(widest, target.MeasureInCurrentFont(RunLegendText(picture.replay, i, params)).width);
    const double left = x - line * 0.3, upper = top + firstRow * line - line * 0.6;
    device->FillRect(TruncDevice(left), TruncDevice(upper),
                     TruncDevice(sample + line * 0.7 + widest + line * 0.3),
                     TruncDevice((lastRow - firstRow + 1) * line + line * 0.2),
                     picture.preferences.Colour(Preferences::BackgroundColour));
  }
  for (int i = from; i <= to; ++i) {
    if (rowOf[static_cast<std::size_t>(i)] < 0) continue;
    const double y = top + rowOf[static_cast<std::size_t>(i)] * line;
    target.SetColour(RunColour(i));
    target.LineDevice(x, y, x + sample, y);
    target.TextDevice(x + sample + line * 0.4, y, RunLegendText(picture.replay, i, params));
  }
  target.logTexts = logged;
  target.SetCharSize(formerPoints);
  target.SetTextAlignment(formerH, formerV);
}

}  // namespace vantor
