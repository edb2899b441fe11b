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

// The part of the trial the rate, latency and interval measures look at (ms).
struct MeasureWindow {
  double from = 0;
  double to = 0;
};

// The current step while it is on (the end of the trial cuts it), or the
// whole trial when the step never is. Only the timing counts, not the
// amplitude, so every point of an f-I curve looks at the same window.
MeasureWindow DefaultWindow(const ParameterSet& params);

struct MeasureOptions {
  double threshold = 0;  // mV
  MeasureWindow window;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Not-a-number marks a measure that does not exist for the run (no latency
// without a spike, no interval mean without two spikes ...).
struct Measures {
  int spikes = 0;        // over the whole trial
  double rateHz = 0;     // spikes in the window per second of the window
  double latencyMs = kNoValue;      // first spike in the window after the window's start
  double isiMeanMs = kNoValue;      // intervals between the spikes in the window
  double isiCv = kNoValue;          // their standard deviation over their mean (two or more)
  double adaptation = kNoValue;     // mean of (next - this) / (next + this) over successive intervals
  double peakMv = kNoValue;         // highest and lowest recorded V-m, whole trial
  double troughMv = kNoValue;
  double endMv = kNoValue;          // the last recorded V-m
  ActivityClass activity = ActivityClass::Silent;
};

Measures Measure(const VmTrace& trace, const MeasureOptions& options);

// The measures in a fixed order, for tables, CSV columns and JSON keys.
enum class MeasureId : int {
  Spikes, Rate, Latency, IsiMean, IsiCv, Adaptation, Peak, Trough, End, Class,
};
constexpr int kMeasureCount = 10;

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
