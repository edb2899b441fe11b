#include "vantor/analysis/measures.h"

#include <algorithm>
#include <cmath>

namespace vantor {
namespace {

// A cell in depolarisation block sits above this level without firing.
constexpr double kBlockLevelMv = -40;
// Bursts: the shortest interval between bursts is at least this many times
// the longest one inside a burst.
constexpr double kBurstGapRatio = 3;
// Intervals that scatter more than this (CV) without a steady trend.
constexpr double kIrregularCv = 0.5;
// Successive intervals within this share count as "no change" for the trend.
constexpr double kTrendTolerance = 0.05;

bool InWindow(double t, const MeasureWindow& w) { return t >= w.from && t <= w.to; }

// The last quarter of the window holds samples, all above the block level,
// and no spike.
bool InBlock(const VmTrace& trace, const std::vector<double>& spikes, const MeasureWindow& w) {
  const double from = w.to - (w.to - w.from) / 4;
  bool any = false;
  for (std::size_t i = 0; i < trace.t.size(); ++i) {
    if (trace.t[i] < from || trace.t[i] > w.to) continue;
    if (!(trace.v[i] > kBlockLevelMv)) return false;
    any = true;
  }
  if (!any) return false;
  return std::none_of(spikes.begin(), spikes.end(), [&](double s) { return s >= from && s <= w.to; });
}

// Intervals that split into short ones (inside bursts) and long ones
// (between them), with at least two bursts of two or more spikes.
bool IsBursting(const std::vector<double>& isis) {
  if (isis.size() < 3) return false;
  std::vector<double> sorted = isis;
  std::sort(sorted.begin(), sorted.end());
  double bestRatio = 0;
  double longestShort = 0;
  for (std::size_t j = 0; j + 1 < sorted.size(); ++j) {
    const double ratio = sorted[j] > 0 ? sorted[j + 1] / sorted[j] : 0;
    if (ratio > bestRatio) bestRatio = ratio, longestShort = sorted[j];
  }
  if (bestRatio < kBurstGapRatio) return false;
  int bursts = 0;
  int inGroup = 1;  // spikes in the current group
  for (std::size_t k = 0; k <= isis.size(); ++k) {
    if (k == isis.size() || isis[k] > longestShort) {
      if (inGroup >= 2) ++bursts;
      inGroup = 1;
    } else {
      ++inGroup;
    }
  }
  return bursts >= 2;
}

// Every interval at least (or at most) the one before it, within the tolerance.
bool SteadyTrend(const std::vector<double>& isis) {
  bool rising = true, falling = true;
  for (std::size_t k = 1; k < isis.size(); ++k) {
    if (isis[k] < isis[k - 1] * (1 - kTrendTolerance)) rising = false;
    if (isis[k] > isis[k - 1] * (1 + kTrendTolerance)) falling = false;
  }
  return rising || falling;
}

ActivityClass Classify(const VmTrace& trace, const std::vector<double>& all,
                       const std::vector<double>& inWindow, const std::vector<double>& isis,
                       const Measures& m, const MeasureWindow& w) {
  if (InBlock(trace, all, w)) return ActivityClass::DepolarisationBlock;
  if (inWindow.empty()) return ActivityClass::Silent;
  if (inWindow.size() == 1) return ActivityClass::SingleSpike;
  if (IsBursting(isis)) return ActivityClass::Bursting;
  if (isis.size() >= 3 && m.isiCv > kIrregularCv && !SteadyTrend(isis))
    return ActivityClass::Irregular;
  return ActivityClass::Tonic;
}

}  // namespace

const char* ActivityClassName(ActivityClass c) {
  switch (c) {
    case ActivityClass::Silent: return "silent";
    case ActivityClass::SingleSpike: return "single spike";
    case ActivityClass::Tonic: return "tonic";
    case ActivityClass::Bursting: return "bursting";
    case ActivityClass::Irregular: return "irregular";
    case ActivityClass::DepolarisationBlock: return "depolarisation block";
  }
  return "silent";
}

MeasureWindow DefaultWindow(const ParameterSet& params) {
  const double duration = params.Value(param::TrialDuration);
  const double onset = params.Value(param::StepOnset);
  const double offset = params.Value(param::StepOffset);
  // The step is on for Onset < t < Offset; it never is when that is empty
  // or lies beyond the trial.
  if (onset < offset && onset < duration) return {onset, std::min(offset, duration)};
  return {0, duration};
}

Measures Measure(const VmTrace& trace, const MeasureOptions& options) {
  Measures m;
  const MeasureWindow& w = options.window;
  const std::vector<double> all = SpikeTimes(trace, options.threshold);
  m.spikes = static_cast<int>(all.size());
  std::vector<double> spikes;
  for (double s : all)
    if (InWindow(s, w)) spikes.push_back(s);

  const double length = w.to - w.from;
  m.rateHz = length > 0 ? static_cast<double>(spikes.size()) * 1000.0 / length : kNoValue;
  if (!spikes.empty()) m.latencyMs = spikes.front() - w.from;

  std::vector<double> isis;
  for (std::size_t k = 1; k < spikes.size(); ++k) isis.push_back(spikes[k] - spikes[k - 1]);
  if (!isis.empty()) {
    double sum = 0;
    for (double d : isis) sum += d;
    m.isiMeanMs = sum / static_cast<double>(isis.size());
  }
  if (isis.size() >= 2) {
    double squares = 0;
    for (double d : isis) squares += (d - m.isiMeanMs) * (d - m.isiMeanMs);
    m.isiCv = std::sqrt(squares / static_cast<double>(isis.size())) / m.isiMeanMs;
    double change = 0;
    for (std::size_t k = 1; k < isis.size(); ++k)
      change += (isis[k] - isis[k - 1]) / (isis[k] + isis[k - 1]);
    m.adaptation = change / static_cast<double>(isis.size() - 1);
  }

  if (!trace.v.empty()) {
    const auto [lo, hi] = std::minmax_element(trace.v.begin(), trace.v.end());
    m.peakMv = *hi;
    m.troughMv = *lo;
    m.endMv = trace.v.back();
  }
  m.activity = Classify(trace, all, spikes, isis, m, w);
  return m;
}

const std::vector<MeasureInfo>& MeasureTable() {
  static const std::vector<MeasureInfo> table = {
      {MeasureId::Spikes, "spikes", "spikes", ""},
      {MeasureId::Rate, "rate_hz", "firing rate", "Hz"},
      {MeasureId::Latency, "latency_ms", "first-spike latency", "ms"},
      {MeasureId::IsiMean, "isi_mean_ms", "mean interval", "ms"},
      {MeasureId::IsiCv, "isi_cv", "interval CV", ""},
      {MeasureId::Adaptation, "adaptation", "adaptation index", ""},
      {MeasureId::Peak, "peak_mv", "peak", "mV"},
      {MeasureId::Trough, "trough_mv", "trough", "mV"},
      {MeasureId::End, "end_mv", "end potential", "mV"},
      {MeasureId::Class, "class", "activity", ""},
  };
  return table;
}

bool FindMeasure(const std::string& name, MeasureId& id) {
  for (const MeasureInfo& info : MeasureTable())
    if (name == info.key || name == info.label) {
      id = info.id;
      return true;
    }
  return false;
}

double MeasureValue(const Measures& m, MeasureId id) {
  switch (id) {
    case MeasureId::Spikes: return m.spikes;
    case MeasureId::Rate: return m.rateHz;
    case MeasureId::Latency: return m.latencyMs;
    case MeasureId::IsiMean: return m.isiMeanMs;
    case MeasureId::IsiCv: return m.isiCv;
    case MeasureId::Adaptation: return m.adaptation;
    case MeasureId::Peak: return m.peakMv;
    case MeasureId::Trough: return m.troughMv;
    case MeasureId::End: return m.endMv;
    case MeasureId::Class: return static_cast<double>(m.activity);
  }
  return kNoValue;
}

}  // namespace vantor
