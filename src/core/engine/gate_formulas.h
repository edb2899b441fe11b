// The formula of each gate row, for the callers that want them inlined (a
// stage names its rows, so the dispatch folds away). Same operations as
// GateSteadyState, which calls these.
#pragma once

#include <cmath>
#include <type_traits>

#include "engine/gate_rate.h"
#include "vantor/params/gate_table.h"

namespace vantor::gate_formulas {

// Each row below is the whole formula of one gate; coefficients a row does not
// name are ignored. Everything is evaluated in double and stored as float.

inline double Boltzmann(double v, double g, double h) { return 1.0 / (std::exp((v - g) / h) + 1.0); }

template <class R>
BasicGateRate<R> FromRates(double alpha, double beta, double phi) {
  if constexpr (std::is_same_v<R, double>) {
    BasicGateRate<R> r;
    r.drive = alpha * phi;
    r.decay = (alpha + beta) * phi;
    return r;
  } else {
    return {static_cast<R>(alpha / (alpha + beta)), static_cast<R>(1.0 / ((alpha + beta) * phi))};
  }
}

template <class R>
BasicGateRate<R> FromTau(double inf, double tau) {
  if constexpr (std::is_same_v<R, double>) {
    BasicGateRate<R> r;
    r.decay = 1.0 / tau;
    r.drive = inf * r.decay;
    return r;
  } else {
    return {static_cast<R>(inf), static_cast<R>(tau)};
  }
}

// The rates of mNa when both share centre and slope (B = E, C = F), from
// z = V + B and e = exp(-z / C), with the row's A and D: w / (1 - 1/e) =
// -w e / (1 - e), so one division serves both while e is a finite number.
inline GateRateD MNaFromExp(double a, double d, double z, double w, double e, double phi) {
  if (e < 1e300) {
    const double r = 1.0 / (1.0 - e);
    return FromRates<double>(a * z * r, -d * w * e * r, phi);
  }
  return FromRates<double>(a * z / (1.0 - e), d * w / (1.0 - 1.0 / e), phi);
}

template <class R>
BasicGateRate<R> MNa(const GateRow& c, const BasicGateContext<R>& in) {
  const double z = GuardedSum<R>(in.v, c.B);
  const double w = GuardedSum<R>(in.v, c.E);
  if constexpr (std::is_same_v<R, double>) {
    // The shipped table gives both rates the same centre and slope: then
    // one exponential serves both (the continuous method only).
    if (c.B == c.E && c.C == c.F)
      return MNaFromExp(c.A, c.D, z, w, std::exp(-z / c.C), in.factors.phi);
  }
  const double alpha = c.A * z / (1.0 - std::exp(-z / c.C));
  const double beta = c.D * w / (1.0 - std::exp(w / c.F));
  return FromRates<R>(alpha, beta, in.factors.phi);
}

template <class R>
BasicGateRate<R> HNa(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double alpha = c.A * std::exp((c.B - v) / c.C);
  const double beta = c.D / (std::exp((c.E - v) / c.F) + 1.0);
  return FromRates<R>(alpha, beta, in.factors.phi);
}

template <class R>
BasicGateRate<R> MK(const GateRow& c, const BasicGateContext<R>& in) {
  const double z = GuardedDifference<R>(c.B, in.v);
  const double alpha = c.A * z / (std::exp(z / c.C) - 1.0);
  const double beta = c.D * std::exp((c.E - in.v) / c.F);
  return FromRates<R>(alpha, beta, in.factors.phi);
}

// Shared by mA and mT: a bell-shaped time constant plus a floor E.
inline double BellTau(const GateRow& c, double v) {
  return 1.0 / (std::exp((v - c.A) / c.B) + std::exp((v - c.C) / c.D)) + c.E;
}

template <class R>
BasicGateRate<R> MA(const GateRow& c, const BasicGateContext<R>& in) {
  return FromTau<R>(Boltzmann(in.v, c.G, c.H), BellTau(c, in.v) / in.factors.phi);
}

template <class R>
BasicGateRate<R> HA(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double tau0 =
      in.v >= c.E ? c.F : 1.0 / (std::exp((v - c.A) / c.B) + std::exp((v - c.C) / c.D));
  return FromTau<R>(Boltzmann(v, c.G, c.H), tau0 / in.factors.phi);
}

template <class R>
BasicGateRate<R> MT(const GateRow& c, const BasicGateContext<R>& in) {
  return FromTau<R>(Boltzmann(in.v, c.G, c.H), BellTau(c, in.v) / in.factors.phiMT);
}

template <class R>
BasicGateRate<R> HT(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double tau0 = in.v >= c.A ? std::exp((v + c.D) / c.E) + c.F : std::exp((v + c.B) / c.C);
  return FromTau<R>(Boltzmann(v, c.G, c.H), tau0 / in.factors.phiHT);
}

template <class R>
BasicGateRate<R> MC(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double alpha = c.A * static_cast<double>(in.caL) * std::exp(v / c.B);
  const double beta = c.C * std::exp(-v / c.D);
  return FromRates<R>(alpha, beta, in.factors.phi);
}

template <class R>
BasicGateRate<R> ML(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double w = GuardedSum<R>(in.v, c.E);
  const double alpha = c.A / (std::exp((v - c.C) * c.B) + 1.0);
  const double beta = c.D * w / (std::exp(w / c.F) - 1.0);
  return FromTau<R>(Boltzmann(v, c.G, c.H), 1.0 / ((alpha + beta) * in.factors.phi));
}

template <class R>
BasicGateRate<R> MH(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = static_cast<double>(in.v) - in.hShift;
  const double inf = 1.0 / (std::exp((v - c.G) / c.H) + 1.0);
  const double tau = c.A / (std::exp(v * c.E + c.D) + std::exp(v * c.C + c.B)) / in.factors.phi;
  return FromTau<R>(inf, tau);
}

template <class R>
BasicGateRate<R> MM(const GateRow& c, const BasicGateContext<R>& in) {
  const double v = in.v;
  const double tau =
      c.A / ((std::exp((v + c.C) / c.D) + std::exp(-(v + c.E) / c.F)) * c.B) / in.factors.phi;
  return FromTau<R>(Boltzmann(v, c.G, c.H), tau);
}

template <class R>
BasicGateRate<R> MNap(const GateRow& c, const BasicGateContext<R>& in) {
  const double z = GuardedSum<R>(in.v, c.B);
  const double w = GuardedSum<R>(in.v, c.E);
  const double alpha = c.A * z / (1.0 - std::exp(-z / c.C));
  const double beta = c.D * w / (1.0 - std::exp(w / c.F));
  return FromTau<R>(Boltzmann(in.v, c.G, c.H), 1.0 / ((alpha + beta) * in.factors.phi));
}

template <class R>
BasicGateRate<R> MAHP(const GateRow& c, const BasicGateContext<R>& in) {
  const double alpha = (c.A * 1e9) * TruncatedPower(in.caL, c.B);
  const double beta = c.C;
  return FromRates<R>(alpha, beta, in.factors.phi);
}

// Inlined into its callers: the continuous method calls it for every gate at
// every evaluation, a stage once for each enabled gate with a fixed row.
template <class R>
[[gnu::always_inline]] inline BasicGateRate<R> Dispatch(int row, const GateRow& c,
                                                        const BasicGateContext<R>& in) {
  switch (row) {
    case gate::mNa: return MNa(c, in);
    case gate::hNa: return HNa(c, in);
    case gate::mK: return MK(c, in);
    case gate::mA: return MA(c, in);
    case gate::hA: return HA(c, in);
    case gate::mT: return MT(c, in);
    case gate::hT: return HT(c, in);
    case gate::mC: return MC(c, in);
    case gate::mL: return ML(c, in);
    case gate::mH: return MH(c, in);
    case gate::mM: return MM(c, in);
    case gate::mNap: return MNap(c, in);
    case gate::mAHP: return MAHP(c, in);
    default: return {};
  }
}

}  // namespace vantor::gate_formulas
