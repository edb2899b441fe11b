// Measures of one run, computed from its recorded V-m samples.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "vantor/analysis/spikes.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

enum class ActivityClass {
  Silent,
  SingleSpike,
  Tonic,
  Bursting,
  Irregular,
  DepolarisationBlock,
};

// "silent", "single spike", "tonic", "bursting", "irregular",
// "depolarisation block".
const char* ActivityClassName(ActivityClass c);

// The part of the trial the rate, latency, interval and spike-shape
// measures look at (ms), and where the stimulus starts: latencies count
// from there.
struct MeasureWindow {
  double from = 0;
  double to = 0;
  double stimulus = 0;
};

// A depolarising current step while it is on (the end of the trial cuts it);
// a hyperpolarising one from its onset to the end of the trial, since what it
// evokes (sag, rebound) comes as it ends; the whole trial when the step is
// zero or never on. The stimulus is the step's onset, or without a step the
// first synaptic train that has events and a conductance, else the window's
// start.
MeasureWindow DefaultWindow(const ParameterSet& params);

// What a front end asks of the measures: the spike rule, and a window that
// replaces the default one when `windowGiven`.
struct MeasureSettings {
  SpikeRule rule;
  bool windowGiven = false;
  double from = 0;
  double to = 0;
};

// The window `settings` give for a run of `params`.
MeasureWindow WindowFor(const ParameterSet& params, const MeasureSettings& settings);

struct MeasureOptions {
  SpikeRule rule;
  MeasureWindow window;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Not-a-number marks a measure that does not exist for the run (no latency
// without a spike, no interval mean without two spikes ...). Plain numbers
// only, so that a rank of an MPI sweep can send it as it is.
struct Measures {
  int spikes = 0;        // over the whole trial
  double rateHz = 0;     // spikes in the window per second of the window
  double latencyMs = kNoValue;      // first spike in the window from the stimulus onset
  double isiMeanMs = kNoValue;      // intervals between the spikes in the window
  double isiCv = kNoValue;          // their standard deviation over their mean (two or more)
  double adaptation = kNoValue;     // mean of (next - this) / (next + this) over successive intervals
  double peakMv = kNoValue;         // highest and lowest recorded V-m, whole trial
  double troughMv = kNoValue;
  double endMv = kNoValue;          // the last recorded V-m
  ActivityClass activity = ActivityClass::Silent;
  // Means over the spikes in the window (spikes.h says what each is).
  double onsetMv = kNoValue;
  double spikePeakMv = kNoValue;
  double amplitudeMv = kNoValue;
  double halfWidthMs = kNoValue;
  double maxDvdt = kNoValue;        // mV/ms
  double ahpDepthMv = kNoValue;
  double ahpTimeMs = kNoValue;      // from the peak
  MeasureWindow window;             // the window these were taken over
};

Measures Measure(VmView trace, const MeasureOptions& options);
// The same from spikes already found in `trace` with options.rule.
Measures Measure(VmView trace, const std::vector<Spike>& spikes,
                 const MeasureOptions& options);

// The measures in a fixed order, for tables, CSV columns and JSON keys.
enum class MeasureId : int {
  Spikes, Rate, Latency, IsiMean, IsiCv, Adaptation, Peak, Trough, End, Class,
  Onset, SpikePeak, Amplitude, HalfWidth, MaxDvdt, AhpDepth, AhpTime,
};
constexpr int kMeasureCount = 17;

struct MeasureInfo {
  MeasureId id;
  const char* key;    // CSV column and JSON key: "rate_hz"
  const char* label;  // table row: "firing rate"
  const char* unit;   // "Hz", "" for none
};
const std::vector<MeasureInfo>& MeasureTable();
// The measure named by its key or label; false when none.
bool FindMeasure(const std::string& name, MeasureId& id);
// The number a measure holds (the class as its position in the enum).
double MeasureValue(const Measures& m, MeasureId id);

}  // namespace vantor
