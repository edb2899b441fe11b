#include "engine/synapses.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/temperature.h"

namespace vantor {
namespace {

// 1 - e^(-x), which is exactly 1 in double precision once x > 40: the
// exponential, slow once it underflows, is then not taken.
double Rise(double x) { return x > 40.0 ? 1.0 : 1.0 - std::exp(-x); }

// exp(x) is exactly 0 in double precision for every x below -746, so a term
// whose decay has run that far adds exactly 0 to a sum.
constexpr double kUnderflow = 746.0;

// True when a dual exponential of this row is exactly 0 once its decay has
// underflowed: the rise stays finite and the scale neither divides by 0 nor
// is infinite.
bool VanishesWhenDecayed(const GateRow& c, double scale) {
  return c.A > 0.0f && c.B > 0.0f && c.C != 0.0f && std::isfinite(c.C) && std::isfinite(scale);
}

// The decay s / B beyond which a dual exponential of this row, times scale,
// adds exactly 0 to a single-precision sum: a double below 2^-150 rounds to 0
// as a float, and the margin of one e-fold covers the rounding of the
// product. Past it the rise lies in [0, 1] (s > 0), so the term is bounded by
// the decay times |scale / C|. Never beyond the double underflow above.
double ZeroAfter(const GateRow& c, double scale) {
  const double bound = std::log(std::fabs(scale / c.C)) + 150.0 * std::numbers::ln2 + 1.0;
  return std::clamp(bound, 0.0, kUnderflow);
}

// The s past which Rise(s / A) is exactly 1, a little beyond s = 40 A so that
// comparing s decides as comparing s / A would; never for a rise that does not
// end.
double RiseDoneAfter(const GateRow& c) {
  if (c.A > 0.0f && std::isfinite(c.A)) return 41.0 * c.A;
  return std::numeric_limits<double>::infinity();
}

// One component of a train: the rise and decay of an event of this row,
// (1 - e^(-s/A)) e^(-s/B) / C, and the times s past which the rise is exactly
// 1 and a term times `scale` exactly 0, so that neither the exponentials nor
// the divisions are taken there. Both bounds lie a little beyond the exact
// ones, so the comparisons in s decide as those in s / A and s / B would.
struct DualExponential {
  DualExponential(const GateRow& row, double scale) : c(row) {
    if (VanishesWhenDecayed(c, scale)) zero = ZeroAfter(c, scale) * c.B * (1.0 + 1e-9);
  }
  bool Zero(double s) const { return s > zero; }
  double At(double s) const {
    return (s > riseDone ? 1.0 : Rise(s / c.A)) * std::exp(-s / c.B) / c.C;
  }

  const GateRow& c;
  double riseDone = RiseDoneAfter(c);
  double zero = std::numeric_limits<double>::infinity();
};

// The time of the previous event of a train; a frequency of 0 means a single
// event, which the caller's onset test then ends.
float PreviousEvent(float tk, float frequency) {
  if (frequency != 0.0f) return tk - 1000.0f / frequency;
  return 0.0f;
}

}  // namespace

bool IpspActive(const ParameterSet& params, float t) {
  return params.Value(param::gIPSP) != 0.0f && t > params.Value(param::IpscOnset);
}

bool EpspActive(const ParameterSet& params, float t) {
  return params.Value(param::gEPSP) != 0.0f && t > params.Value(param::EpscOnset);
}

int SynapticEventCount(float count) {
  if (!(count >= 1.0f)) return 0;
  if (count >= static_cast<float>(kMaxSynapticEvents)) return kMaxSynapticEvents;
  return static_cast<int>(count);
}

SynapticConductances IpspConductances(const ParameterSet& params, const GateTable& gates, float t,
                                      float phi) {
  const GateRow& a = gates.Row(gate::GABAa);
  const GateRow& b = gates.Row(gate::GABAb);
  const float onset = params.Value(param::IpscOnset);
  const float g = params.Value(param::gIPSP);
  const float frequency = params.Value(param::IpspFrequency);
  const double kinetics = phi * static_cast<double>(params.Value(param::IpscKinetics));
  const double phiB = GabaBTemperatureFactor(params.Value(param::Temperature));
  const double weightA = params.Value(param::GabaAWeight);
  const double weightB = params.Value(param::GabaBWeight);

  // Terms that are exactly 0 are skipped: the sums come out the same.
  const DualExponential fast(a, g * weightA);
  const bool slowVanishes = b.A > 0.0f && b.E >= 0.0f && std::isfinite(b.B) && b.F != 0.0f &&
                            std::isfinite(b.F) && std::isfinite(g * weightB);
  const double slowRiseDone = RiseDoneAfter(b);
  SynapticConductances sum;
  float tk = t;
  for (int n = SynapticEventCount(params.Value(param::IpspCount)); n != 0; --n) {
    const float since = tk - onset;
    const double s = since * kinetics;
    const double sb = since * phiB;
    if (!fast.Zero(s)) sum.fast += static_cast<float>(fast.At(s) * g * weightA);
    if (!(slowVanishes && sb / b.D > kUnderflow && sb / b.C > kUnderflow)) {
      const double up = sb > slowRiseDone ? 1.0 : Rise(sb / b.A);
      const double rise = up == 1.0 ? 1.0 : std::pow(up, static_cast<double>(b.E));
      const double decay = (1.0 - b.B) * std::exp(-sb / b.D) + b.B * std::exp(-sb / b.C);
      sum.slow += static_cast<float>(rise * decay * g / b.F * weightB);
    }
    tk = PreviousEvent(tk, frequency);
    if (tk < onset) break;
  }
  return sum;
}

float NmdaUnblocked(const GateRow& nmda, float v, float mgOutMilliMolar, float frt) {
  double mg = mgOutMilliMolar / 1000.0;
  if (mg < 1e-20) mg = 1e-20;
  const double block = nmda.E * std::exp(nmda.F * 2.0 * v * frt / 1000.0);
  return static_cast<float>(1.0 - 1.0 / (block / mg + 1.0));
}

// AMPA and NMDA before the block: the block is the same for every event.
SynapticConductances EpspTimeCourse(const ParameterSet& params, const GateTable& gates, float t,
                                    float phi) {
  const GateRow& ampa = gates.Row(gate::AMPA);
  const GateRow& nmda = gates.Row(gate::NMDA);
  const float onset = params.Value(param::EpscOnset);
  const float g = params.Value(param::gEPSP);
  const float frequency = params.Value(param::EpspFrequency);
  const double kinetics = phi * static_cast<double>(params.Value(param::EpscKinetics));
  const double weightAmpa = params.Value(param::AmpaWeight);
  const double weightNmda = params.Value(param::NmdaWeight);

  // Terms that are exactly 0 are skipped: the sums come out the same.
  const DualExponential ampaShape(ampa, g * weightAmpa);
  const DualExponential nmdaShape(nmda, g * weightNmda);
  SynapticConductances sum;
  float tk = t;
  for (int n = SynapticEventCount(params.Value(param::EpspCount)); n != 0; --n) {
    const double s = (tk - onset) * kinetics;
    if (!ampaShape.Zero(s)) sum.fast += static_cast<float>(ampaShape.At(s) * g * weightAmpa);
    double sn = (tk - onset - nmda.D) * kinetics;  // NMDA.D is a delay (ms)
    if (sn < 0.0) sn = 0.0;
    if (!nmdaShape.Zero(sn)) sum.slow += static_cast<float>(nmdaShape.At(sn) * g * weightNmda);
    tk = PreviousEvent(tk, frequency);
    if (tk < onset) break;
  }
  return sum;
}

SynapticConductances EpspConductances(const ParameterSet& params, const GateTable& gates, float t,
                                      float v, float phi, float frt) {
  SynapticConductances g = EpspTimeCourse(params, gates, t, phi);
  g.slow *= NmdaUnblocked(gates.Row(gate::NMDA), v, params.Value(param::MgOut), frt);
  return g;
}

namespace {

SynapticTrain MakeTrain(float g, float onset, float frequency, float count) {
  SynapticTrain train;
  if (g == 0.0f) return train;  // the common case, on every pass
  train.count = SynapticEventCount(count);
  train.on = g != 0.0f && train.count > 0 && std::isfinite(onset);
  train.onset = onset;
  // The drive steps back by 1000 / frequency; anything but a positive finite
  // spacing leaves the onset as the only event.
  const float period = frequency != 0.0f ? 1000.0f / frequency : 0.0f;
  if (period > 0.0f && std::isfinite(period) && train.count > 1) train.period = period;
  else train.count = train.count > 0 ? 1 : 0;
  return train;
}

}  // namespace

float SynapticTrain::EventTime(int j) const {
  return static_cast<float>(onset + j * static_cast<double>(period));
}

SynapticTrain::Window SynapticTrain::EventsAround(float t) const {
  Window w;
  if (!on) return w;
  if (period == 0.0f) {
    w.times[w.n++] = onset;
    return w;
  }
  // The nearest index from below, widened by one each way for rounding.
  const double index = std::floor((static_cast<double>(t) - onset) / period);
  if (!(index <= count)) return w;  // well past the last event (or not a number)
  const int j0 = index < 0.0 ? 0 : static_cast<int>(index);
  for (int j = j0 > 0 ? j0 - 1 : 0; j <= j0 + 2 && j < count; ++j) w.times[w.n++] = EventTime(j);
  return w;
}

SynapticTrain IpspTrain(const ParameterSet& params) {
  return MakeTrain(params.Value(param::gIPSP), params.Value(param::IpscOnset),
                   params.Value(param::IpspFrequency), params.Value(param::IpspCount));
}

SynapticTrain EpspTrain(const ParameterSet& params) {
  return MakeTrain(params.Value(param::gEPSP), params.Value(param::EpscOnset),
                   params.Value(param::EpspFrequency), params.Value(param::EpspCount));
}

SynapticDrive EvaluateSynapticDrive(const ParameterSet& params, const GateTable& gates, float t,
                                    float phi) {
  SynapticDrive drive;
  drive.ipsp = IpspActive(params, t);
  if (drive.ipsp) drive.gaba = IpspConductances(params, gates, t, phi);
  drive.epsp = EpspActive(params, t);
  if (drive.epsp) {
    const SynapticConductances g = EpspTimeCourse(params, gates, t, phi);
    drive.ampa = g.fast;
    drive.nmdaOpen = g.slow;
  }
  return drive;
}

namespace {

constexpr int kSynapticRows[4] = {gate::AMPA, gate::NMDA, gate::GABAa, gate::GABAb};

bool SameBits(const void* a, const void* b, std::size_t size) {
  return std::memcmp(a, b, size) == 0;
}

}  // namespace

SynapticDrive SynapticDriveCache::At(const ParameterSet& params, const GateTable& gates, float t,
                                     float phi) {
  // Without an active train there is nothing worth keeping.
  if (!IpspActive(params, t) && !EpspActive(params, t)) {
    valid_ = false;
    return EvaluateSynapticDrive(params, gates, t, phi);
  }
  bool same = valid_ && SameBits(&t, &t_, sizeof t) && SameBits(&phi, &phi_, sizeof phi) &&
              SameBits(params.Values().data(), values_.data(), sizeof values_);
  for (int i = 0; same && i < 4; ++i)
    same = SameBits(&gates.Row(kSynapticRows[i]), &rows_[i], sizeof(GateRow));
  if (same) return drive_;
  drive_ = EvaluateSynapticDrive(params, gates, t, phi);
  t_ = t;
  phi_ = phi;
  values_ = params.Values();
  for (int i = 0; i < 4; ++i) rows_[i] = gates.Row(kSynapticRows[i]);
  valid_ = true;
  return drive_;
}

}  // namespace vantor
