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
// The longest interval inside a lone burst (above 125 Hz).
constexpr double kLoneBurstIntervalMs = 8;

bool InWindow(double t, const MeasureWindow& w) { return t >= w.from && t <= w.to; }

// The last quarter of the window holds samples, all above the block level,
// and no spike.
bool InBlock(VmView trace, const std::vector<double>& spikes, const MeasureWindow& w) {
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

// Where the intervals split into short ones and long ones (gaps at least
// kBurstGapRatio times the longest short one): that longest short interval,
// or 0 when they do not split.
double LongestShort(const std::vector<double>& isis) {
  std::vector<double> sorted = isis;
  std::sort(sorted.begin(), sorted.end());
  double bestRatio = 0;
  double longestShort = 0;
  for (std::size_t j = 0; j + 1 < sorted.size(); ++j) {
    const double ratio = sorted[j] > 0 ? sorted[j + 1] / sorted[j] : 0;
    if (ratio > bestRatio) bestRatio = ratio, longestShort = sorted[j];
  }
  return bestRatio >= kBurstGapRatio ? longestShort : 0;
}

// Bursts that repeat: at least three groups of two or more spikes at short
// intervals, split by gaps. Two groups are one pause in a train (an
// inhibitory input, say), not a pattern.
bool RepeatedBursts(const std::vector<double>& isis, double longestShort) {
  if (isis.size() < 3 || longestShort <= 0) return false;
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
  return bursts >= 3;
}

// One lone burst: three or more spikes at most kLoneBurstIntervalMs apart,
// all within a quarter of the window (a rebound burst, an onset burst).
bool LoneBurst(const std::vector<double>& spikes, const MeasureWindow& w) {
  if (spikes.size() < 3) return false;
  for (std::size_t k = 1; k < spikes.size(); ++k)
    if (spikes[k] - spikes[k - 1] > kLoneBurstIntervalMs) return false;
  return spikes.back() - spikes.front() <= (w.to - w.from) / 4;
}

// The intervals inside the groups a split leaves (all when it leaves none).
std::vector<double> InsideGroups(const std::vector<double>& isis, double longestShort) {
  if (longestShort <= 0) return isis;
  std::vector<double> inside;
  for (double d : isis)
    if (d <= longestShort) inside.push_back(d);
  return inside;
}

double Cv(const std::vector<double>& d) {
  if (d.size() < 2) return kNoValue;
  double sum = 0;
  for (double x : d) sum += x;
  const double mean = sum / static_cast<double>(d.size());
  double squares = 0;
  for (double x : d) squares += (x - mean) * (x - mean);
  return std::sqrt(squares / static_cast<double>(d.size())) / mean;
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

ActivityClass Classify(VmView trace, const std::vector<double>& all,
                       const std::vector<double>& inWindow, const std::vector<double>& isis,
                       const MeasureWindow& w) {
  if (InBlock(trace, all, w)) return ActivityClass::DepolarisationBlock;
  if (inWindow.empty()) return ActivityClass::Silent;
  if (inWindow.size() == 1) return ActivityClass::SingleSpike;
  const double longestShort = LongestShort(isis);
  if (RepeatedBursts(isis, longestShort) || LoneBurst(inWindow, w)) return ActivityClass::Bursting;
  // A pause is no irregularity: the scatter counts inside the trains around it.
  const std::vector<double> inside = InsideGroups(isis, longestShort);
  if (inside.size() >= 3 && Cv(inside) > kIrregularCv && !SteadyTrend(inside))
    return ActivityClass::Irregular;
  return ActivityClass::Tonic;
}

double Mean(const std::vector<Spike>& spikes, double (*feature)(const Spike&)) {
  double sum = 0;
  int n = 0;
  for (const Spike& s : spikes) {
    const double x = feature(s);
    if (std::isfinite(x)) sum += x, ++n;
  }
  return n > 0 ? sum / n : kNoValue;
}

// The first train of the synaptic input that has events and a conductance.
double FirstTrain(const ParameterSet& p) {
  double first = kNoValue;
  const auto train = [&](int onset, int g, int count) {
    if (p.Value(g) > 0 && p.Value(count) > 0 && !(first <= p.Value(onset))) first = p.Value(onset);
  };
  train(param::EpscOnset, param::gEPSP, param::EpspCount);
  train(param::IpscOnset, param::gIPSP, param::IpspCount);
  return first;
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

namespace {

bool StepWindow(const ParameterSet& params) {
  const double onset = params.Value(param::StepOnset);
  // The step is on for Onset < t < Offset; it never is when that is empty
  // or lies beyond the trial.
  return onset < params.Value(param::StepOffset) && onset < params.Value(param::TrialDuration) &&
         params.Value(param::InjectedCurrent) != 0;
}

// The step's onset, else the first synaptic train within the trial; NaN for none.
double StimulusOnset(const ParameterSet& params) {
  if (StepWindow(params)) return std::max(0.0, static_cast<double>(params.Value(param::StepOnset)));
  const double train = FirstTrain(params);
  return train < params.Value(param::TrialDuration) ? train : kNoValue;
}

}  // namespace

MeasureWindow DefaultWindow(const ParameterSet& params) {
  const double duration = params.Value(param::TrialDuration);
  const double stimulus = StimulusOnset(params);
  if (StepWindow(params)) {
    const bool depolarising = params.Value(param::InjectedCurrent) > 0;
    return {stimulus, depolarising ? std::min<double>(params.Value(param::StepOffset), duration) : duration,
            stimulus};
  }
  return {0, duration, std::isnan(stimulus) ? 0 : stimulus};
}

MeasureWindow WindowFor(const ParameterSet& params, const MeasureSettings& settings) {
  if (!settings.windowGiven) return DefaultWindow(params);
  const double stimulus = StimulusOnset(params);
  return {settings.from, settings.to, std::isnan(stimulus) ? settings.from : stimulus};
}

Measures Measure(VmView trace, const MeasureOptions& options) {
  return Measure(trace, FindSpikes(trace, options.rule), options);
}

Measures Measure(VmView trace, const std::vector<Spike>& found, const MeasureOptions& options) {
  Measures m;
  const MeasureWindow& w = options.window;
  m.window = w;
  const std::vector<double> all = SpikeTimes(found);
  m.spikes = static_cast<int>(all.size());
  std::vector<double> spikes;
  std::vector<Spike> shapes;
  for (std::size_t k = 0; k < all.size(); ++k)
    if (InWindow(all[k], w)) spikes.push_back(all[k]), shapes.push_back(found[k]);

  const double length = w.to - w.from;
  m.rateHz = length > 0 ? static_cast<double>(spikes.size()) * 1000.0 / length : kNoValue;
  for (double s : spikes)
    if (s >= w.stimulus) {
      m.latencyMs = s - w.stimulus;
      break;
    }

  std::vector<double> isis;
  for (std::size_t k = 1; k < spikes.size(); ++k) isis.push_back(spikes[k] - spikes[k - 1]);
  if (!isis.empty()) {
    double sum = 0;
    for (double d : isis) sum += d;
    m.isiMeanMs = sum / static_cast<double>(isis.size());
  }
  if (isis.size() >= 2) {
    m.isiCv = Cv(isis);
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
  m.onsetMv = Mean(shapes, [](const Spike& s) { return s.onsetMv; });
  m.spikePeakMv = Mean(shapes, [](const Spike& s) { return s.peakMv; });
  m.amplitudeMv = Mean(shapes, [](const Spike& s) { return s.Amplitude(); });
  m.halfWidthMs = Mean(shapes, [](const Spike& s) { return s.halfWidthMs; });
  m.maxDvdt = Mean(shapes, [](const Spike& s) { return s.maxDvdt; });
  m.ahpDepthMv = Mean(shapes, [](const Spike& s) { return s.AhpDepth(); });
  m.ahpTimeMs = Mean(shapes, [](const Spike& s) { return s.ahpTime; });
  m.activity = Classify(trace, all, spikes, isis, w);
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
      {MeasureId::Onset, "onset_mv", "spike onset", "mV"},
      {MeasureId::SpikePeak, "spike_peak_mv", "spike peak", "mV"},
      {MeasureId::Amplitude, "amplitude_mv", "spike amplitude", "mV"},
      {MeasureId::HalfWidth, "half_width_ms", "half-width", "ms"},
      {MeasureId::MaxDvdt, "max_dvdt", "max dV/dt", "mV/ms"},
      {MeasureId::AhpDepth, "ahp_depth_mv", "AHP depth", "mV"},
      {MeasureId::AhpTime, "ahp_time_ms", "AHP time", "ms"},
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
    case MeasureId::Onset: return m.onsetMv;
    case MeasureId::SpikePeak: return m.spikePeakMv;
    case MeasureId::Amplitude: return m.amplitudeMv;
    case MeasureId::HalfWidth: return m.halfWidthMs;
    case MeasureId::MaxDvdt: return m.maxDvdt;
    case MeasureId::AhpDepth: return m.ahpDepthMv;
    case MeasureId::AhpTime: return m.ahpTimeMs;
  }
  return kNoValue;
}

}  // namespace vantor
