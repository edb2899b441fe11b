#include "vantor/render/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vantor/text/number_format.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "render/axis.h"
#include "render/band_labels.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/layout.h"
#include "vantor/render/run_legend.h"

namespace vantor {
namespace {

constexpr std::size_t kListingLineLimit = 140;
constexpr int kListingRows = 6;  // text lines the strip below the bands holds

// A little-endian IEEE single as read into a float's bytes.
float LittleEndianFloat(float raw) {
  unsigned char b[4];
  std::memcpy(b, &raw, 4);
  const uint32_t bits = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                        (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int GateNumber(float value) {
  return (value >= 0 && value < 1000) ? static_cast<int>(value) : 0;
}

// The colour role of trace d; the current traces take the two current
// colours in turn across the whole replay.
uint32_t RoleColour(Picture& picture, int d) {
  const Preferences& p = picture.preferences;
  switch (d) {
    case 1: return p.Colour(Preferences::VoltageColour);
    case 4: return p.Colour(Preferences::CalciumColour);
    case 19: return p.Colour(Preferences::Gate1Colour);
    case 20: return p.Colour(Preferences::Gate2Colour);
    case 21: return p.Colour(Preferences::Gate3Colour);
    default: break;
  }
  const bool alternate = picture.nextCurrentIsAlternate;
  picture.nextCurrentIsAlternate = !alternate;
  return p.Colour(alternate ? Preferences::AltCurrentColour : Preferences::CurrentColour);
}

// The name shown for a prompt: the text before "(" without the blanks that
// precede it, and without the "mM " of the concentrations.
std::string ListingName(const std::string& prompt) {
  std::string name = prompt.substr(0, prompt.find('('));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.find("mM") != std::string::npos) name.erase(0, name.size() < 3 ? name.size() : 3);
  return name;
}

void DrawRun(Picture& picture, const ParameterSet& params, const RecordedRun& run, std::FILE* file) {
  OutputTarget& target = picture.target;
  const double T = LayoutDuration(picture, params);
  const double unit = BandUnits(params, kBandsBottom, BandsTop(params), target.vmShareCap);
  target.bandTop = target.bandBottom = BandsTop(params);

  BandMarks marks;
  std::vector<GateName> gateNames;
  for (int d = 1; d <= kTraceCount; ++d) {
    const TraceRow& row = params.Trace(d - 1);
    if (row.plot == 0) continue;
    const uint32_t role = RoleColour(picture, d);
    SelectTraceColour(picture, role);
    AdvanceBand(target, params, d - 1, unit);
    const AxisScale range =
        SetupAxis(target, row.minimum, row.maximum, AxisKind::Y, TickMode::Nice, "Current (nA)");
    FitLabelsToBand(target, 1.0);

    float s = (row.maximum - row.minimum) * 0.5f;
    std::string unitText = row.unit;
    std::string prefix = row.prefix;
    if (d >= 5 && d <= 18 && row.cond != 0) {
      unitText = "\xE6S";
      prefix = "g";
    }
    FormatEngineering(unitText, s, 1, &s);
    if (row.maximum + row.minimum < 0) s = -s;

    if (d == 19) {
      prefix.clear();
      s = row.maximum;
    }
    // The three gate traces share one band and one colour: each has its own
    // line style, shown beside its name.
    const int style = d >= 19 ? d - 19 : 0;
    if (d >= 19) {
      static constexpr int kGateParam[3] = {param::Gate1, param::Gate2, param::Gate3};
      static constexpr double kGateLabelHeight[3] = {0.7, 0.4, 0.1};
      const int g = d - 19;
      gateNames.push_back({GateTable::GateName(GateNumber(params.Value(kGateParam[g]))), style,
                           target.DeviceY(row.maximum * kGateLabelHeight[g])});
    }
    SelectTraceColour(picture, role);
    if (d > 1 && d < 20) {
      float shown = 0;
      const std::string label = ScaleBarLabel(s, unitText, prefix, row.suffix, shown);
      DrawBandScale(target, T, s, shown, range, label, marks);
    }
    target.SetTraceClip(ClipBox{0, T, range.minimum, range.maximum});
    target.SetLineStyle(style);
    if (d > 2) DrawTraceFromRecord(target, d, file);
    if (d == 2 && run.injected) {
      const auto& points = *run.injected;
      for (std::size_t i = 0; i < points.size(); ++i)
        if (i == 0)
          target.MoveToPlot(points[i][0], points[i][1]);
        else
          target.LineToPlot(points[i][0], points[i][1]);
    } else if (d == 2) {
      DrawInjectedCurrent(target, run.protocol.value_or(Protocol::Of(params)));
    }
    if (d == 1 && picture.replay.mode == kReplayFullRedraw) DrawTraceFromRecord(target, 1, file);
    target.SetLineStyle(0);
    target.ClearTraceClip();
  }
  // The gate traces come last, so their band is still the current one.
  DrawGateNames(target, T, gateNames);
  DrawLeftOutLabels(target, marks);
}

}  // namespace

void DrawTraceFromRecord(OutputTarget& target, int traceNumber, std::FILE* file) {
  if (file == nullptr || traceNumber < 1 || traceNumber > kTraceCount) return;
  const std::size_t n = traceNumber == 1 ? 1 : static_cast<std::size_t>(traceNumber - 1);  // slot
  bool open = false;
  auto point = [&](float t, float v) {
    if (!std::isfinite(t) || !std::isfinite(v)) {
      open = false;
      return;
    }
    if (open) {
      target.LineToPlot(t, v);
    } else {
      target.MoveToPlot(t, v);
      open = true;
    }
  };
  if (std::fseek(file, 0, SEEK_SET) != 0) return;
  // Whole samples through the stream's buffer: a seek per value costs a
  // system call each, far more than the bytes skipped. A sample cut short
  // still gives its pair when the cut comes after the trace's slot.
  unsigned char bytes[kSampleBytes];
  for (;;) {
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    if (got < 4 * (n + 1)) break;
    float t = 0, v = 0;
    std::memcpy(&t, bytes, 4);
    std::memcpy(&v, bytes + 4 * n, 4);
    point(LittleEndianFloat(t), LittleEndianFloat(v));
    if (got < sizeof bytes) break;
  }
}

void DrawInjectedCurrent(OutputTarget& target, const InjectionProtocol& p) {
  // Each stretch flat, joined by an upright line where the current jumps.
  const std::vector<ProtocolPiece> pieces = p.Pieces();
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const ProtocolPiece& piece = pieces[i];
    if (i > 0)
      target.LinePlotClipped(piece.from, pieces[i - 1].current, piece.from, piece.current);
    target.LinePlotClipped(piece.from, piece.current, piece.to, piece.current);
  }
}

std::vector<std::string> ParameterListingLines(const ParameterSet& params, bool extended) {
  const int count = extended ? kParameterCount : kVersion3Count;
  std::vector<std::string> lines;
  std::string line;
  for (int k = 0; k < count; ++k) {
    // How this picture is being output says nothing about the run.
    if (k == param::PlotChoice) continue;
    line += ListingName(params.Prompt(k));
    line += ": ";
    line += FormatNumber(params.Value(k), 6, 9, AutoTrimmed);
    line += ", ";
    if (line.size() > kListingLineLimit) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void DrawParameterListing(Picture& picture, const ParameterSet& params) {
  OutputTarget& target = picture.target;
  const std::vector<std::string> lines = ParameterListingLines(params, picture.extendedMode);
  // The strip holds six lines at seven points; a longer listing is set
  // smaller and closer so that none of it falls off the page.
  const int rows = static_cast<int>(lines.size()) > kListingRows ? static_cast<int>(lines.size())
                                                                  : kListingRows;
  target.SetCharSize(7.0 * kListingRows / rows);
  target.SetColour(picture.preferences.Colour(Preferences::VoltageColour));
  target.SetTextAlignment(text_align::Left, text_align::Bottom);
  target.bandTop = 0.01;
  target.bandBottom = 0.09;
  SetupAxis(target, 0.015, 6.0, AxisKind::Y, TickMode::Nice, "Current (nA)");
  const double T = LayoutDuration(picture, params);
  for (std::size_t k = 0; k < lines.size(); ++k)
    target.TextPlot(T * 0.01, (k + 1.0) * kListingRows / rows, lines[k]);
}

// The run's samples from memory when it kept them there, else its record file.
static std::FILE* OpenSamples(const RecordedRun& run) {
  if (run.samples && !run.samples->empty())
    return fmemopen(const_cast<char*>(run.samples->data()), run.samples->size(), "rb");
  if (run.samples || run.recordName.empty()) return nullptr;
  return std::fopen(run.recordName.c_str(), "rb");
}

void ReplayRuns(Picture& picture, const ParameterSet& params) {
  ReplayState& replay = picture.replay;
  const int count = static_cast<int>(replay.overlays.size());
  const float choice = params.Value(param::PlotChoice);
  // The replay that ends an overlay run draws that run only, in the colour
  // its live trace had and a full redraw gives it.
  replay.runIndex = replay.mode == kReplayOverlay ? count : 0;
  picture.nextCurrentIsAlternate = true;
  // Every run sets its labels where the first one did (over them, in its
  // own colour); only what the set-up drew stands in their way.
  const std::size_t setupTexts = picture.target.texts.Count();
  int p = -1;
  // At most every kept run and the current one; the current one ends it.
  for (int guard = 0; guard <= count; ++guard) {
    RecordedRun run = replay.current;
    if (count > 0 && replay.mode < kReplayOverlay) {
      ++p;
      if (p < count) run = replay.overlays[static_cast<std::size_t>(p)];
      replay.mode = kReplayFullRedraw;
    }
    const bool last = run.recordName == replay.current.recordName;
    if (run.hidden) {
      ++replay.runIndex;
      if (last) break;
      continue;
    }
    std::FILE* file = OpenSamples(run);

    picture.target.texts.KeepFirst(setupTexts);
    DrawRun(picture, params, run, file);
    const bool listing = choice != 0 || picture.target.printing;
    const int labelPoints = picture.target.FontSize();
    if (listing) {
      // The listing is that of the run drawn (with an overlay on the plotter,
      // the first one), not of whatever run the parameters now hold.
      ParameterSet runParams = params;
      if (run.parameters.size() == static_cast<std::size_t>(kParameterCount))
        for (int k = 0; k < kParameterCount; ++k) runParams.SetValue(k, run.parameters[k]);
      DrawParameterListing(picture, runParams);
    }
    if (choice != 0 && picture.target.Plotter() != nullptr && picture.target.Plotter()->Active())
      picture.plotterOutputFailed = !picture.target.Plotter()->ClosePlotter();
    // On paper every run of an overlay is followed by the listing; the next
    // run's labels go back to the size they had. The plotter is closed by
    // now, so its file ends as before.
    if (listing) picture.target.SetCharSize(labelPoints);

    if (file != nullptr) std::fclose(file);
    ++replay.runIndex;
    if (last) break;
  }
  // The legend names every run on the picture; after an overlay run it
  // goes over the entries already there, which it draws the same.
  DrawRunLegend(picture, params, 0, count);
  replay.runIndex = count;
}

void RedrawPlot(Picture& picture, const ParameterSet& params, Messages& messages,
                const std::string& plotterFileName) {
  picture.replay.mode = kReplayFullRedraw;
  PlotSetup(picture, params, plotterFileName, params.Comment(), messages);
  ReplayRuns(picture, params);
  picture.replay.mode = kReplayOrdinary;
  picture.target.ReleaseDrawingObjects();
}

void AddRunToOverlay(ReplayState& replay) { replay.overlays.push_back(replay.current); }

namespace {
void RemoveRecord(const std::string& name, TemporaryFiles* temporaries) {
  if (name.empty()) return;
  if (temporaries != nullptr) temporaries->Remove(name);
  else std::remove(name.c_str());
}
}  // namespace

bool RemoveRun(ReplayState& replay, int index, TemporaryFiles* temporaries) {
  const int kept = static_cast<int>(replay.overlays.size());
  if (index < 0 || index > kept || kept == 0) return false;
  if (index == kept && replay.current.recordName.empty() && !replay.current.samples) return false;
  if (index == kept) {
    RemoveRecord(replay.current.recordName, temporaries);
    replay.current = replay.overlays.back();
    replay.overlays.pop_back();
  } else {
    RemoveRecord(replay.overlays[static_cast<std::size_t>(index)].recordName, temporaries);
    replay.overlays.erase(replay.overlays.begin() + index);
  }
  replay.runIndex = static_cast<int>(replay.overlays.size());
  return true;
}

void DeleteRunRecords(ReplayState& replay, TemporaryFiles* temporaries) {
  const auto remove = [temporaries](const std::string& name) { RemoveRecord(name, temporaries); };
  remove(replay.current.recordName);
  replay.current = RecordedRun{};
  for (const RecordedRun& run : replay.overlays) remove(run.recordName);
  replay.overlays.clear();
}

}  // namespace vantor
