#include "vantor/engine/run_driver.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "engine/continuous_run.h"
#include "engine/integrator.h"
#include "engine/ions.h"
#include "engine/progress_guard.h"
#include "engine/run_constants.h"
#include "engine/stage.h"
#include "engine/stimulus_drive.h"
#include "engine/stopped.h"
#include "vantor/engine/protocol.h"

namespace vantor {
namespace {

const char* SlotName(int s) {
  static const char* const kNames[kSampleSlots] = {
      "the time", "V-m",  "I-cap", "[Ca++]-i", "I-C",  "I-H",     "I-T",
      "I-A",      "I-L",  "I-Na",  "I-K",      "I-M",  "I-AHP",   "I-Nap",
      "I-AMPA",   "I-NMDA", "I-GABAa", "I-GABAb", "g-1", "g-2",    "g-3"};
  return kNames[s];
}

std::string NotFinite(float t, const char* name) {
  return StoppedAt(t, std::string(name) +
                        " is not a finite number. Check the gate table and the parameters.");
}

// Where a sample's own slots come from in the state: the calcium shell shown
// and the state values chosen by "Gate #1" .. "#3" (-1 keeps that slot).
struct RecordedSlots {
  int calcium = cell::CaL;
  std::array<int, 3> chosen{-1, -1, -1};

  static RecordedSlots Of(const ParameterSet& params, const GateTable& gates) {
    RecordedSlots slots;
    if (gates.Row(gate::mAHP).H != 0.0f) slots.calcium = cell::CaT;
    for (int i = 0; i < 3; ++i) {
      // Only an exact index 0 .. 15 selects a value; anything else keeps the slot.
      const float chosen = params.Value(param::Gate1 + i);
      if (chosen >= 0.0f && chosen < static_cast<float>(kCellStateSize) &&
          chosen == std::trunc(chosen))
        slots.chosen[i] = static_cast<int>(chosen);
    }
    return slots;
  }
};

// The values a sample takes from the accepted state at the moment it is
// recorded: the time, the calcium trace and the three chosen state values.
void FillRecordedSlots(const RecordedSlots& slots, float t, const CellState& accepted,
                       RunSample& sample) {
  sample[slot::Time] = t;
  sample[slot::Calcium] = accepted[slots.calcium] * 1e6f;
  for (int i = 0; i < 3; ++i)
    if (slots.chosen[i] >= 0) sample[slot::Gate1 + i] = accepted[slots.chosen[i]];
}

// The same in double precision from Model 4's unrounded state.
void FillPreciseSlots(const RecordedSlots& slots, double t, const double* exact,
                      PreciseSample& sample) {
  sample[slot::Time] = t;
  sample[slot::V] = exact[cell::V];
  sample[slot::Calcium] = exact[slots.calcium] * 1e6;
  for (int i = 0; i < 3; ++i)
    if (slots.chosen[i] >= 0) sample[slot::Gate1 + i] = exact[slots.chosen[i]];
}

// The first slot that holds no finite number, -1 when all do. The common
// case is settled by one pass over the exponents without a branch per slot:
// one more than an exponent of all ones (an infinity or a NaN) carries into
// the sign bit, any other exponent does not.
int FirstNonFinite(const RunSample& sample) {
  constexpr std::uint32_t kExponent = 0x7f800000u, kExponentOne = 0x00800000u;
  std::uint32_t carried = 0;
  for (const float value : sample)
    carried |= (std::bit_cast<std::uint32_t>(value) & kExponent) + kExponentOne;
  if (!(carried & 0x80000000u)) return -1;
  for (int s = 0; s < kSampleSlots; ++s)
    if (!std::isfinite(sample[s])) return s;
  return -1;
}

// The value a float stands for as decimal text: 0.05f as 0.05, not as the
// 0.05000000074505806 it widens to.
double DecimalValue(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double decimal = value;
  std::from_chars(text, written.ptr, decimal);
  return decimal;
}

// Records a sample of Model 4 through the same checks, sink and pump.
class ContinuousTaker : public SampleTaker {
 public:
  ContinuousTaker(const ParameterSet& params, const GateTable& gates, RunSink& sink,
                  const std::function<void()>& pump, DriveSink* drive, bool pumpKeepsParameters)
      : params_(params),
        gates_(gates),
        sink_(sink),
        pump_(pump),
        drive_(drive),
        mayChange_(pump && !pumpKeepsParameters),
        slots_(RecordedSlots::Of(params, gates)) {}
  void Drive(double command, double current) override {
    if (drive_) drive_->Drive(command, current);
  }
  bool Take(double t, const CellState& state, const double* exact, RunSample& sample,
            PreciseSample& precise) override {
    FillRecordedSlots(slots_, static_cast<float>(t), state, sample);
    if (const int s = FirstNonFinite(sample); s >= 0) {
      failure = NotFinite(static_cast<float>(t), SlotName(s));
      return false;
    }
    FillPreciseSlots(slots_, t, exact, precise);
    sink_.Precise(sample, precise);
    if (pump_) {
      pump_();
      // A dialog may have chosen other values to record meanwhile.
      if (mayChange_) slots_ = RecordedSlots::Of(params_, gates_);
    }
    return true;
  }
  bool MayChangeParameters() const override { return mayChange_; }
  bool WantsCurrents() const override { return drive_ != nullptr || sink_.NeedsCurrents(); }

 private:
  const ParameterSet& params_;
  const GateTable& gates_;
  RunSink& sink_;
  const std::function<void()>& pump_;
  DriveSink* drive_;
  const bool mayChange_;
  RecordedSlots slots_;
};

RunResult Ended(RunResult result, RunOutcome outcome, std::string message = {}) {
  result.outcome = outcome;
  result.message = std::move(message);
  return result;
}

}  // namespace

RunResult RunTrial(ParameterSet& params, const GateTable& gates, RunSink& sink, RunFlags& flags,
                   const std::function<void()>& pump, const RunTuning& tuning) {
  RunResult result;
  RunSample sample{};

  if (std::string why = RunRefusal(params); !why.empty())
    return Ended(result, RunOutcome::Refused, why);
  RunTuning chosen = tuning;
  if (chosen.tolerance == 0.0) chosen.tolerance = flags.tolerance;
  if (chosen.tolerance != 0.0 &&
      !(chosen.tolerance > kSmallestTolerance && chosen.tolerance < kLargestTolerance))
    return Ended(result, RunOutcome::Refused,
                 "The tolerance must lie between 1e-12 and 1e-2 (both excluded).");
  if (tuning.stimulus)
    if (std::string why = StimulusRefusal(*tuning.stimulus, params); !why.empty())
      return Ended(result, RunOutcome::Refused, why);
  ApplyConcentrationFloor(params);
  const RunConstants constants = ComputeRunConstants(params);
  if (std::string why = ConstantsRefusal(constants); !why.empty())
    return Ended(result, RunOutcome::Refused, why);

  float lastV = 1000.0f;
  float nextSample = 0.0f;
  // Laid out once here: nothing of it is allocated while the run steps.
  const StimulusDrive drive = tuning.stimulus
                                  ? StimulusDrive(*tuning.stimulus, params.Value(param::TrialDuration))
                                  : StimulusDrive();
  const bool clamp = drive.VoltageClamp();
  Integrator integrator;
  integrator.SetDrive(&drive);
  integrator.Start(params.Value(param::StartingVm));
  sample[slot::V] = clamp ? static_cast<float>(drive.Level(0.0, 1e-9))
                          : params.Value(param::StartingVm);
  ProgressGuard guard;

  while (integrator.Time() < params.Value(param::TrialDuration)) {
    const float t = integrator.Time();
    // The stimulus' pieces are those in the middle of the step to come.
    const double within = integrator.Step() > kInitialisationThreshold
                              ? t
                              : t + static_cast<double>(integrator.Step()) / 2;
    float iInj = Protocol::Of(params).InjectedCurrent(t);
    if (clamp)
      iInj = 0.0f;
    else if (drive.Active())
      iInj += static_cast<float>(drive.Level(t, within));
    const PassResult pass = integrator.Pass(params, gates, constants, iInj, sample);
    ++result.passes;
    if (pass.nonFinite >= 0)
      return Ended(result, RunOutcome::Failed, NotFinite(t, CellStateName(pass.nonFinite)));
    if (!pass.initialisation && !pass.accepted) ++result.rejected;

    if (!guard.Update(t, integrator.Time(), integrator.Step(), pass.initialisation))
      return Ended(result, RunOutcome::Failed,
                   StoppedAt(t, "the time step became too small for the time to advance."));

    const float now = integrator.Time();
    const float v = integrator.Accepted()[cell::V];
    // The last recorded V starts at 1000 mV so that the initialisation pass
    // records; it is named here as well so that a "Maximum dV for plot" of
    // 1000 mV or more cannot leave the record without its start.
    if (pass.initialisation || now > nextSample ||
        std::fabs(lastV - v) > params.Value(param::MaxDvForPlot) ||
        now == params.Value(param::TrialDuration) || pass.event) {
      FillRecordedSlots(RecordedSlots::Of(params, gates), now, integrator.Accepted(), sample);
      if (drive.Active() && tuning.drive) {
        if (!clamp) {
          tuning.drive->Drive(iInj, iInj);
        } else {
          const double command = drive.Level(now, within);
          const double rs = drive.SeriesResistance();
          tuning.drive->Drive(command, rs > 0.0 ? (command - v) / rs : integrator.LastIonic());
        }
      }
      if (const int s = FirstNonFinite(sample); s >= 0)
        return Ended(result, RunOutcome::Failed, NotFinite(now, SlotName(s)));
      if (pass.initialisation && integrator.MethodCode() == kContinuousMethodCode) {
        // Model 4 starts from it: its rows are all in double precision.
        PreciseSample start;
        for (int s = 0; s < kSampleSlots; ++s) start[s] = DecimalValue(sample[s]);
        sink.Precise(sample, start);
      } else {
        sink.Sample(sample);
      }
      ++result.samples;
      lastV = v;
      nextSample = now + params.Value(param::MaxDtForPlot);
      if (pump) pump();
    }
    if (flags.windowClosing) return Ended(result, RunOutcome::WindowClosed);
    if (flags.stop) return Ended(result, RunOutcome::Stopped);
    if (pass.initialisation && integrator.MethodCode() == kContinuousMethodCode) {
      ContinuousTaker taker(params, gates, sink, pump, tuning.drive, tuning.pumpKeepsParameters);
      return RunContinuous(params, gates, constants, integrator.Accepted(), chosen, taker, flags,
                           result, drive);
    }
  }
  return Ended(result, RunOutcome::Completed);
}

}  // namespace vantor
