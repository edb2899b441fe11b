// What a run is driven with beyond the parameters' own step: the clamp mode,
// a holding level and a list of segments added to it, and optionally a
// family (one level varied over a list of values, one run per value). The
// text form is in stimulus_file.h; the form a run evaluates is
// stimulus_drive.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

enum class ClampMode { Current, Voltage };

enum class SegmentKind { Step, Ramp, Train, Sine, Chirp, Noise, Waveform };

// One segment; which fields count depends on the kind. Times in ms,
// frequencies in Hz, levels in nA (current clamp) or mV (voltage clamp).
struct Segment {
  SegmentKind kind = SegmentKind::Step;
  double onset = 0;
  double offset = 0;  // step, ramp, sine, chirp, noise
  double level = 0;   // step level; ramp end ("to")
  double from = 0;    // ramp start
  double amplitude = 0;  // train, sine, chirp
  int count = 0;         // train: pulses
  double width = 0;      // train: pulse width
  double interval = 0;   // train: onset to onset
  double frequency = 0;  // sine
  double phase = 0;      // sine, degrees
  double f0 = 0, f1 = 0;  // chirp
  bool logSweep = false;  // chirp: logarithmic instead of linear
  double mean = 0, sd = 0, tau = 0;  // noise
  double dt = 0.1;                   // noise grid (ms)
  std::uint64_t seed = 1;            // noise
  double scale = 1;                  // waveform: values multiplied by this
  std::string file;                  // waveform: as written (relative to the stimulus file)
  // Waveform points as read (time from onset, value before scaling).
  std::vector<double> times, values;
  int line = 0;  // where it was read, for messages; not part of the value

  bool operator==(const Segment& o) const;
};

// Which level a family varies: the holding level, the parameters' own step
// amplitude (current clamp), or segment N of the file (1-based).
struct Family {
  static constexpr int kHolding = 0;
  static constexpr int kParameterStep = -1;
  int target = kHolding;
  std::vector<double> values;
  // Given as FROM:TO:COUNT (kept so that it is written back that way).
  struct Range {
    double from = 0, to = 0;
    int count = 0;
    bool operator==(const Range&) const = default;
  };
  std::optional<Range> range;
  int line = 0;
  bool operator==(const Family& o) const {
    return target == o.target && values == o.values && range == o.range;
  }
};

struct Stimulus {
  ClampMode mode = ClampMode::Current;
  // Current clamp: nA added to the parameters' base current. Voltage clamp:
  // the holding potential (mV).
  double holding = 0;
  double seriesResistance = 0;  // MOhm, voltage clamp; 0 is an ideal clamp
  std::vector<Segment> segments;
  std::optional<Family> family;
  std::string name;  // the file it was read from, for messages; not part of the value

  bool operator==(const Stimulus& o) const {
    return mode == o.mode && holding == o.holding && seriesResistance == o.seriesResistance &&
           segments == o.segments && family == o.family;
  }
};

// The level a family varies in a segment: a step's level, a ramp's end, the
// amplitude of a train, sine or chirp, the mean of noise, the scale of a
// waveform.
double& FamilyLevel(Segment& segment);

// One stimulus per family value (the family removed), or the stimulus
// itself when it has none. `paramStep` receives each run's parameter step
// amplitude when the family varies it (else stays empty).
struct FamilyMember {
  Stimulus stimulus;
  std::optional<double> parameterStep;  // nA, replaces the parameters' amplitude
  std::string label;                    // "holding -70 mV", "segment 2 level 0.5 nA"
};
std::vector<FamilyMember> ExpandFamily(const Stimulus& stimulus);

}  // namespace vantor
