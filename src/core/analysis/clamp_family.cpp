#include "vantor/analysis/clamp_family.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "vantor/engine/run_driver.h"
#include "vantor/engine/run_sample.h"
#include "vantor/engine/stimulus.h"

namespace vantor {
namespace {

constexpr const char* kChannels[] = {"C",   "H",   "T",    "A",    "L",     "Na",   "K",
                                     "M",   "AHP", "Nap",  "AMPA", "NMDA",  "GABAa", "GABAb"};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Keeps each sample's time and the current asked for: the clamp current
// handed just before it, or a channel's slot.
struct ClampTrace : RunSink, DriveSink {
  explicit ClampTrace(int slot) : slot(slot) {}
  void Drive(double, double current) override { pending = current; }
  void Sample(const RunSample& s) override {
    times.push_back(s[slot::Time]);
    currents.push_back(slot < 0 ? pending : s[slot]);
  }
  int slot;
  double pending = 0;
  std::vector<double> times, currents;
};

Segment Step(double onset, double offset, double level) {
  Segment s;
  s.onset = onset;
  s.offset = offset;
  s.level = level;
  return s;
}

}  // namespace

int ChannelSlot(const std::string& name) {
  std::string n = Lower(name);
  if (n.size() > 1 && n[0] == 'i') n = n.substr(n[1] == '-' ? 2 : 1);
  for (int k = 0; k < 14; ++k)
    if (n == Lower(kChannels[k])) return slot::IC + k;
  return -1;
}

std::string ChannelName(int s) {
  if (s < slot::IC || s > slot::IGABAb) return "I-clamp";
  return std::string("I-") + kChannels[s - slot::IC];
}

ClampFamily RunClampFamily(const ParameterSet& original, const GateTable& gates,
                           const ClampProtocol& protocol, RunFlags& flags) {
  ClampFamily family;
  ParameterSet params = original;
  const double duration = params.Value(param::TrialDuration);
  const double tailEnd = !protocol.tail ? protocol.offset
                         : protocol.tailLength > 0 ? protocol.offset + protocol.tailLength
                                                   : duration;
  if (!(protocol.offset > protocol.onset) || protocol.onset < 0 ||
      (protocol.prepulse && !(protocol.onset - *protocol.prepulse >= 0)) ||
      !(tailEnd <= duration) || (protocol.tail && !(tailEnd > protocol.offset))) {
    family.error = "the step and its tail must lie inside the trial";
    return family;
  }
  if (protocol.current >= 0 && (protocol.current < slot::IC || protocol.current > slot::IGABAb)) {
    family.error = "no such channel";
    return family;
  }
  if (protocol.current >= 0) params.Trace(protocol.current).cond = 0;  // its current, not its g
  if (params.Value(param::MaxDtForPlot) > 0.01f) params.SetValue(param::MaxDtForPlot, 0.01f);
  std::vector<double> peaks, tails;
  for (const double level : protocol.levels) {
    Stimulus stimulus;
    stimulus.mode = ClampMode::Voltage;
    stimulus.holding = protocol.holding;
    const double test = protocol.prepulse ? protocol.test : level;
    stimulus.segments.push_back(Step(protocol.onset, protocol.offset, test - protocol.holding));
    if (protocol.prepulse)
      stimulus.segments.push_back(
          Step(protocol.onset - *protocol.prepulse, protocol.onset, level - protocol.holding));
    if (protocol.tail)
      stimulus.segments.push_back(Step(protocol.offset, tailEnd, *protocol.tail - protocol.holding));
    ClampTrace trace(protocol.current);
    RunTuning tuning;
    tuning.stimulus = &stimulus;
    tuning.drive = &trace;
    const RunResult result = RunTrial(params, gates, trace, flags, {}, tuning);
    if (result.outcome != RunOutcome::Completed) {
      char text[64];
      std::snprintf(text, sizeof text, "the run at %g mV did not complete: ", level);
      family.error = text + result.message;
      return family;
    }
    ClampLevel c;
    c.level = level;
    MeasureStep(trace.times, trace.currents, protocol.onset, protocol.offset, c.step);
    c.rise = FitExponential(trace.times, trace.currents, protocol.onset, c.step.peakTime);
    c.decay = FitExponential(trace.times, trace.currents, c.step.peakTime, protocol.offset);
    if (protocol.tail && MeasureStep(trace.times, trace.currents, protocol.offset, tailEnd, c.tail)) {
      // The tail's first sample: the current the gates left by the step
      // give at the return potential, before they move.
      for (std::size_t k = 0; k < trace.times.size(); ++k)
        if (trace.times[k] > protocol.offset) {
          c.tailStart = trace.currents[k];
          c.tailStartTime = trace.times[k];
          break;
        }
      c.tailAmplitude = c.tailStart - c.tail.steady;
      c.tailDecay = FitExponential(trace.times, trace.currents, c.tailStartTime, tailEnd);
    }
    peaks.push_back(c.step.peak);
    tails.push_back(c.tailStart);
    family.levels.push_back(c);
  }
  family.fit = protocol.prepulse ? FitInactivation(protocol.levels, peaks)
                                 : FitActivation(protocol.levels, peaks);
  if (protocol.tail) family.tailFit = FitTailActivation(protocol.levels, tails);
  family.ok = true;
  return family;
}

}  // namespace vantor
