#include "engine/continuous_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/cell_rates.h"
#include "engine/rk_pair.h"
#include "engine/integrator.h"
#include "engine/stage.h"
#include "engine/stopped.h"
#include "vantor/analysis/spikes.h"
#include "vantor/engine/protocol.h"

namespace vantor {
namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// Step-size control of the pair: safety factor, bounds of the change per
// step, the exponents of the proportional-integral controller and that of
// the predictive one, which sees an error growing from step to step (the
// run up to a spike) before a step fails.
constexpr double kSafety = 0.92, kLargestShrink = 5.0, kLargestGrowth = 10.0;
constexpr double kErrorExponent = 0.17, kHistoryExponent = 0.04, kTrendExponent = 0.1;
constexpr double kLogSmallestHistory = -9.210340371976182;  // log 1e-4: the least error remembered
// The sampling rule looks for a crossing of the "Maximum dV for plot" band
// at points at most this far apart (an eighth of what is left of the step)
// before it narrows it down.
constexpr int kScanPoints = 8;
constexpr int kMostScanPoints = 64;  // however short the tangent's reach
constexpr double kShortestUsefulStep = 1e-7;  // ms
constexpr int kBisections = 48;

// What the run reads from the parameters: read again only where a sample
// may have changed them (a dialog during the run).
struct RunSettings {
  Protocol protocol;
  double rtol = 0.0;
  ContinuousState atol{};  // each value's absolute tolerance in its own units

  void Read(const ParameterSet& params, const RunTuning& tuning) {
    protocol = Protocol::Of(params);
    rtol = tuning.tolerance > 0.0 ? tuning.tolerance
                                  : ToleranceFromMaxChange(params.Value(param::MaxChangeInGates));
    // Past the size too: the pair's loops run over whole vectors of four.
    for (int i = 0; i < kMaxContinuousState; ++i)
      atol[i] = rtol * (i == cell::V ? 1.0 : (i == cell::CaL || i == cell::CaT) ? 1e-8 : 1e-3);
  }
};

// The first landing point after t: the trial end, the step onset and offset,
// the next synaptic event, the stimulus' next edge.
double NextLanding(const Protocol& protocol, const SynapticAccumulators& synapses,
                   const StimulusDrive& drive, double t) {
  const double next = std::fmin(protocol.NextLanding(t), synapses.NextEvent());
  return drive.Active() ? std::fmin(next, drive.NextEdge(t)) : next;
}

struct ValueSlope {
  double value, slope;
};

// The first point of [a, b] where f turns from below 0 to at or above it
// (f(a) < 0 <= f(b)): Newton steps from x kept inside a shrinking bracket,
// until they move less than `close`. fd(x) gives f(x) and its slope.
template <class FD>
double Root(double a, double b, double x, double close, FD fd) {
  for (int i = 0; i < kBisections && b - a > close; ++i) {
    const ValueSlope at = fd(x);
    const double fx = at.value;
    (fx >= 0.0 ? b : a) = x;
    const double d = at.slope;
    double next = d != 0.0 ? x - fx / d : a;
    // Converged: the last correction may round to the bracket's end, or just
    // past it, where a bisection would only start the search over.
    if (std::fabs(next - x) < close) return std::min(std::max(next, a), b);
    if (!(next > a && next < b)) next = a + (b - a) / 2;
    x = next;
  }
  return b;
}

// The same in time (ms) from the middle, to a relative 1e-12.
template <class FD>
double Root(double a, double b, FD fd) {
  return Root(a, b, a + (b - a) / 2, 1e-12 * std::fmax(1.0, std::fabs(b)), fd);
}

class Recorder {
 public:
  Recorder(const ParameterSet& params, const RungeKuttaPair& rk, CellRates& rates,
           SampleTaker& taker, const StimulusDrive& drive)
      : params_(params),
        rk_(rk),
        rates_(rates),
        taker_(taker),
        drive_(drive),
        mayChange_(taker.MayChangeParameters()),
        currents_(taker.WantsCurrents()) {}

  // The sample at time s of the last accepted step (or its start state).
  bool At(double s, double iInj) {
    // A landing point the step before ended on (V turning there): its
    // sample is already taken, and times must keep rising. Where V jumps
    // there (an ideal clamp's command), the band starts again from the new
    // value, so the jump shows between this sample and the next.
    if (!(s > lastTime_)) {
      rk_.DenseState(s, y_);
      lastV_ = y_[cell::V];
      return true;
    }
    lastTime_ = s;
    ContinuousState& y = y_;
    rk_.DenseState(s, y);
    // The currents only for a sink that reads them (most analyses read V).
    if (currents_) rates_.Evaluate(s, iInj, y.data(), dy_.data(), &sample_, &precise_);
    if (drive_.Active() && currents_) {
      const double current = rates_.ClampCurrent();
      taker_.Drive(drive_.VoltageClamp() ? drive_.Level(s, within_) : current, current);
    }
    CellState state;
    for (int i = 0; i < kCellStateSize; ++i) state[i] = static_cast<float>(y[i]);
    sample_[slot::V] = state[cell::V];
    lastV_ = y[cell::V];
    next_ = s + params_.Value(param::MaxDtForPlot);
    ++count_;
    const bool taken = taker_.Take(s, state, y.data(), sample_, precise_);
    // A dialog may have changed a parameter meanwhile.
    if (mayChange_) rates_.Refresh();
    return taken;
  }

  // Every sample the rule asks for inside the last accepted step, the
  // highest point of V in it when V turns there, and the end when it is a
  // landing point.
  bool Step(double iInj, bool landed) {
    const double t0 = rk_.DenseStart(), t1 = rk_.DenseEnd();
    within_ = t0 + (t1 - t0) / 2;
    rates_.Within(within_);
    const double band = params_.Value(param::MaxDvForPlot);
    const RungeKuttaPair::Quartic v = rk_.DenseQuartic(cell::V);
    double peak = kNever;
    if (rk_.Slope()[cell::V] < 0.0 && risingAtStart_) peak = Peak(v, t0, t1);
    double at = t0;
    // A bound of the quartic over the whole step: while it keeps V inside the
    // band around the last sample there is no crossing to look for (so it is
    // on most steps between spikes).
    const double swing =
        std::fabs(v.c[1]) + std::fabs(v.c[2]) + std::fabs(v.c[3]) + std::fabs(v.c[4]);
    const double perH = 1.0 / v.h;
    while (true) {
      // (std::min, inlined: no value here is a NaN but next_, and one ignores it.)
      const double end = std::min(std::min(t1, next_), peak);
      // The search runs in the step's own unit θ (no division per point or
      // Newton step).
      const double from = (at - t0) * perH, span = (end - at) * perH;
      const bool mayLeave = std::fabs(v.c[0] - lastV_) + swing >= band * 0.999 &&
                            MayLeave(v, from, span, lastV_, band * 0.999);
      double crossing = kNever;
      if (mayLeave) {
        const double theta = Crossing(v, from, span, lastV_, band,
                                      1e-12 * std::max(1.0, std::fabs(end)) * perH);
        if (theta < kNever) crossing = t0 + theta * v.h;
      }
      if (crossing < kNever) {
        if (!At(crossing, iInj)) return false;
        at = crossing;
      } else if (end == peak) {
        if (!At(peak, iInj)) return false;
        at = peak;
        peak = kNever;
      } else if (end == next_ && next_ < t1) {
        if (!At(next_, iInj)) return false;
        at = end;
      } else {
        break;
      }
    }
    risingAtStart_ = rk_.Slope()[cell::V] > 0.0;
    if (landed || t1 >= next_) return At(t1, iInj);
    return true;
  }

  // The first θ in (from, from + span] where the quartic comes `band` away
  // from `level` (kNever: nowhere at the points looked at). The points step
  // by what the tangent at `from` takes to reach the band (a little more, and
  // at most an eighth of the span), so that on a fast upstroke the first one
  // is most often already outside; Newton (Root) then starts where the line
  // through the last two points meets the band, inside their bracket, and
  // stops once it moves less than `close`.
  static double Crossing(const RungeKuttaPair::Quartic& v, double from, double span, double level,
                         double band, double close) {
    const double* c = v.c;
    double p = v.Poly(from) - level;
    const double slope = std::fabs(v.PolySlope(from));
    double stride = span / kScanPoints;
    const double tangent = slope > 0.0 ? (band - std::fabs(p)) / slope * 1.25 : stride;
    if (tangent > 0.0 && tangent < stride) stride = std::max(tangent, span / kMostScanPoints);
    double a = from, before = std::fabs(p) - band;
    const double last = from + span;
    while (a < last) {
      const double b = std::min(a + stride, last);
      const double above = v.Poly(b) - level;
      const double out = std::fabs(above) - band;
      if (out <= 0.0) {
        a = b;
        before = out;
        continue;
      }
      // Which edge of the band it left by decides the sign of the slope.
      const double sign = above > 0.0 ? 1.0 : -1.0;
      const double edge = level + sign * band;
      const double guess = before < 0.0 ? a + (b - a) * (before / (before - out)) : a;
      return Root(a, b, std::min(std::max(guess, a), b), close, [&](double x) {
        // Value and slope in one Horner pass.
        double f = c[4], d = 0.0;
        for (int m = 3; m >= 0; --m) {
          d = d * x + f;
          f = f * x + c[m];
        }
        return ValueSlope{sign * (f - edge), sign * d};
      });
    }
    return kNever;
  }

  // Whether the quartic may come `band` away from `level` on [x, x + span]
  // (in θ): a bound from its Taylor coefficients at x. Most of what is left
  // of a step after a sample is far too short to leave the band.
  static bool MayLeave(const RungeKuttaPair::Quartic& v, double x, double span, double level,
                       double band) {
    const double* c = v.c;
    const double d1 = c[1] + x * (2 * c[2] + x * (3 * c[3] + x * 4 * c[4]));
    const double d2 = c[2] + x * (3 * c[3] + x * 6 * c[4]);
    const double d3 = c[3] + x * 4 * c[4];
    const double reach =
        span * (std::fabs(d1) +
                span * (std::fabs(d2) + span * (std::fabs(d3) + span * std::fabs(c[4]))));
    return std::fabs(v.Poly(x) - level) + reach >= band;
  }

  // Where the initialisation pass left the record: its sample at t = 0.
  void Start(double v) {
    lastV_ = v;
    next_ = params_.Value(param::MaxDtForPlot);
  }
  long Count() const { return count_; }

 private:
  // The highest V in [a, b] where V rises at a and falls at b: where its
  // slope turns from positive to negative.
  static double Peak(const RungeKuttaPair::Quartic& v, double a, double b) {
    const double theta =
        Root((a - v.start) / v.h, (b - v.start) / v.h, 0.5,
             1e-12 * std::fmax(1.0, std::fabs(b)) / v.h,
             [&](double x) { return ValueSlope{-v.PolySlope(x), -v.PolyCurvature(x)}; });
    return v.start + theta * v.h;
  }

  const ParameterSet& params_;
  const RungeKuttaPair& rk_;
  CellRates& rates_;
  SampleTaker& taker_;
  const StimulusDrive& drive_;
  const bool mayChange_;
  const bool currents_;
  double within_ = 0;
  RunSample sample_{};
  PreciseSample precise_{};
  ContinuousState y_{}, dy_{};  // a sample's state and (unused) slopes
  double lastV_ = 1000.0, next_ = 0.0;
  double lastTime_ = 0.0;  // of the last sample taken (the initialisation pass took t = 0)
  bool risingAtStart_ = false;  // V rose at the end of the previous step
  long count_ = 0;
};

}  // namespace

double ToleranceFromMaxChange(float maxChangePercent) {
  return static_cast<double>(maxChangePercent) / 5e7;
}

RunResult RunContinuous(const ParameterSet& params, const GateTable& gates,
                        const RunConstants& constants, const CellState& start,
                        const RunTuning& tuning, SampleTaker& taker, RunFlags& flags,
                        RunResult result, const StimulusDrive& drive) {
  CellRates rates(params, gates, constants);
  rates.SetDrive(&drive);

  RungeKuttaPair rk(rates);
  RunSettings settings;
  settings.Read(params, tuning);
  const bool ideal = drive.VoltageClamp() && drive.SeriesResistance() == 0.0;
  // After a discontinuity: the stimulus' next pieces, and in an ideal clamp V
  // put on the command again (it is integrated from the command's slope).
  auto restart = [&](double at, ContinuousState& y0, double after) {
    rates.Within(after);
    if (ideal) y0[cell::V] = drive.Level(at, after);
    rk.Restart(at, y0, settings.protocol.InjectedCurrentExact(after));
  };
  ContinuousState y{};
  for (int i = 0; i < kCellStateSize; ++i) y[i] = start[i];

  const double trial = params.Value(param::TrialDuration);
  double t = 0.0;
  rates.Synapses().AddEventsUpTo(t, y.data() + kCellStateSize);
  restart(t, y, 1e-9);
  Recorder recorder(params, rk, rates, taker, drive);
  recorder.Start(y[cell::V]);
  const bool mayChange = taker.MayChangeParameters();
  // The next landing point stays until the run reaches it, events are added
  // or the parameters change.
  double landing = NextLanding(settings.protocol, rates.Synapses(), drive, t);
  // The controller's memory: the last accepted step and the log of its error.
  double h = kFirstStep, logHistory = kLogSmallestHistory, lastStep = 0.0;
  bool justRejected = false;
  auto fail = [&](std::string message) {
    result.samples += recorder.Count();
    result.outcome = RunOutcome::Failed;
    result.message = std::move(message);
    return result;
  };
  auto end = [&](RunOutcome outcome) {
    result.samples += recorder.Count();
    result.outcome = outcome;
    return result;
  };

  while (t < trial) {
    const double hair = 1e-12 * std::max(1.0, t);
    if (landing - t <= hair) {
      // Two landing points a rounding apart (a synaptic event computed in
      // double next to a protocol time): one discontinuity, taken here.
      t = landing;
      ContinuousState here = rk.State();
      rates.Synapses().AddEventsUpTo(t, here.data() + kCellStateSize);
      restart(t, here, t + 1e-9 * std::max(1.0, t));
      landing = NextLanding(settings.protocol, rates.Synapses(), drive, t);
      continue;
    }
    const bool lands = t + h >= landing;
    const double step = lands ? landing - t : h;
    if (!(step > hair))
      return fail(StoppedAt(t, "the time step became too small for the time to advance."));
    // Far below what any spike needs: a gate whose time constant has
    // collapsed (V driven thousands of mV away) makes the explicit method
    // crawl for ever; the exponential steps of methods 1 .. 3 stay stable.
    if (!(h > kShortestUsefulStep))
      return fail(StoppedAt(t, "the cell became too stiff for method 4 (steps below 1e-7 ms). "
                             "Methods 1, 2 and 3 can run it."));
    const double iInj = settings.protocol.InjectedCurrentExact(t + step / 2);
    rates.Within(t + step / 2);
    const double err = rk.Attempt(step, iInj, settings.rtol, settings.atol);
    ++result.passes;
    if (!(err <= 1.0)) {  // reject, a blow-up included
      ++result.rejected;
      // The full fifth-order estimate of the step that would just pass.
      const double shrink = std::isfinite(err)
                                ? std::min(kLargestShrink, std::pow(err, 0.2) / kSafety)
                                : kLargestShrink * 2;
      h = step / shrink;
      justRejected = true;
      continue;
    }
    // The step divides by err^a / history^b (one exponential of the logarithms;
    // err = 0 gives 0) or, where the error grows from step to step, by the
    // larger predictive factor (last step / this step) (err^2 / history)^c.
    const double logErr = std::log(err);
    const double proportional =
        std::exp(kErrorExponent * logErr - kHistoryExponent * logHistory);
    const double predictive =
        lastStep / step * std::exp(kTrendExponent * (2.0 * logErr - logHistory));
    const double factor = std::max(
        1.0 / kLargestGrowth,
        std::min(kLargestShrink, std::max(proportional, predictive) / kSafety));
    logHistory = std::max(logErr, kLogSmallestHistory);
    lastStep = step;
    // No growth right after a rejection; a step cut short to land says little
    // about the next.
    const double grown = justRejected ? std::min(step / factor, step) : step / factor;
    justRejected = false;
    if (!lands || grown < h) h = grown;
    const double before = rk.State()[cell::V];
    rk.Accept(lands ? landing : t + step);
    const double reached = rk.Time();
    if (tuning.spikes && RisesThrough(before, rk.State()[cell::V], tuning.spikeThreshold)) {
      const RungeKuttaPair::Quartic v = rk.DenseQuartic(cell::V);
      tuning.spikes->Spike(Root(t, reached, [&](double s) {
        return ValueSlope{v.Value(s) - tuning.spikeThreshold, v.Slope(s)};
      }));
    }
    if (!recorder.Step(iInj, lands)) return fail(taker.failure);
    t = reached;
    // A dialog may have changed a parameter while a sample was taken.
    if (mayChange) settings.Read(params, tuning);
    if (lands) {
      // A discontinuity: events add to the drive, the injected current may
      // change, and the last stage of the step no longer holds.
      ContinuousState here = rk.State();
      rates.Synapses().AddEventsUpTo(t, here.data() + kCellStateSize);
      for (int i = cell::CaL; i <= cell::CaT; ++i) here[i] = std::fmax(here[i], kCalciumFloor);
      restart(t, here, t + 1e-9 * std::max(1.0, t));
    }
    if (lands || mayChange) landing = NextLanding(settings.protocol, rates.Synapses(), drive, t);
    if (flags.windowClosing) return end(RunOutcome::WindowClosed);
    if (flags.stop) return end(RunOutcome::Stopped);
  }
  return end(RunOutcome::Completed);
}

}  // namespace vantor
