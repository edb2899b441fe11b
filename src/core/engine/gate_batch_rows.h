// The per-row code of GateBatch, inline: the rate evaluation that calls it
// keeps its values in registers across the rows.
#pragma once

#include <utility>

#include "engine/gate_batch.h"
#include "engine/gate_formulas.h"

namespace vantor {

namespace gate_batch_detail {

// The double-precision forms of the row formulas' own helpers.
using gate_formulas::MNaFromExp;
inline GateRateD FromRates(double alpha, double beta, double phi) {
  return gate_formulas::FromRates<double>(alpha, beta, phi);
}
inline GateRateD FromTau(double inf, double tau) {
  return gate_formulas::FromTau<double>(inf, tau);
}

// A row's own formula, where a guard applies (V exactly on a centre): rare,
// and kept out of the way of the common path.
[[gnu::noinline, gnu::cold]] GateRateD OwnRate(int row, const GateRow& c, const GateContextD& in);
}  // namespace gate_batch_detail

template <int R, bool kShared>
[[gnu::always_inline]] inline void GateBatch::RowExponents(const Row& r, const GateContextD& in,
                                                           double* x) {
  const double v = in.v;
  double* o = x + r.first;
  if constexpr (R == gate::mNa) {
    if (!kShared && r.mode == Mode::Own) {
      o[0] = -GuardedSum(v, r.B) * r.perC;
      o[1] = GuardedSum(v, r.E) * r.perF;
    } else {
      o[0] = -(v + r.B) * r.perC;  // perC is 1 / 3C for the cube
    }
  } else if constexpr (R == gate::hNa) {
    if (!kShared && r.mode == Mode::Own) {
      o[0] = (r.B - v) * r.perC;
      o[1] = (r.E - v) * r.perF;
    } else {
      o[0] = (r.E - v) * r.perF;
    }
  } else if constexpr (R == gate::mK) {
    if (!kShared && r.mode == Mode::Own) {
      o[0] = GuardedDifference(r.B, v) * r.perC;
      o[1] = (r.E - v) * r.perF;
    } else {
      o[0] = (r.E - v) * r.perF;
    }
  } else if constexpr (R == gate::mA || R == gate::hA || R == gate::mT) {
    o[0] = (v - r.G) * r.perH;
    o[1] = (v - r.A) * r.perB;
    o[2] = (v - r.C) * r.perD;
  } else if constexpr (R == gate::hT) {
    o[0] = (v - r.G) * r.perH;
    o[1] = v >= r.A ? (v + r.D) * r.perE : (v + r.B) * r.perC;
  } else if constexpr (R == gate::mC) {
    o[0] = v * r.perB;
    o[1] = -v * r.perD;
  } else if constexpr (R == gate::mL) {
    o[0] = (v - r.C) * r.B;
    o[1] = GuardedSum(v, r.E) * r.perF;
    o[2] = (v - r.G) * r.perH;
  } else if constexpr (R == gate::mH) {
    const double s = v - in.hShift;
    o[0] = (s - r.G) * r.perH;
    o[1] = s * r.E + r.D;
    o[2] = s * r.C + r.B;
  } else if constexpr (R == gate::mM) {
    o[0] = (v - r.G) * r.perH;
    o[1] = (v + r.C) * r.perD;
    o[2] = -(v + r.E) * r.perF;
  } else if constexpr (R == gate::mNap) {
    o[0] = -GuardedSum(v, r.B) * r.perC;
    o[1] = GuardedSum(v, r.E) * r.perF;
    o[2] = (v - r.G) * r.perH;
  }
}

template <int R, bool kShared>
[[gnu::always_inline]] inline void GateBatch::RowDerivative(const Row& r, const GateContextD& in,
                                                            const double* e, const double* state,
                                                            double* dxdt) {
  using gate_batch_detail::FromRates, gate_batch_detail::FromTau, gate_batch_detail::MNaFromExp;
  const double v = in.v, phi = in.factors.phi;
  const double* x = e + r.first;
  GateRateD rate;
  if constexpr (R == gate::mNa) {
    if (!kShared && r.mode == Mode::Own) {
      const double z = GuardedSum(v, r.B), w = GuardedSum(v, r.E);
      rate = FromRates(r.A * z / (1.0 - x[0]), r.D * w / (1.0 - x[1]), phi);
    } else if (v == -r.B) {
      rate = gate_batch_detail::OwnRate(gate::mNa, *r.source, in);
    } else {
      const double na = kShared || r.mode == Mode::SharedNaThird ? x[0] * x[0] * x[0] : x[0];
      rate = MNaFromExp(r.A, r.D, v + r.B, v + r.B, na, phi);
    }
  } else if constexpr (R == gate::hNa) {
    const bool own = !kShared && r.mode == Mode::Own;
    const double alpha = own ? r.A * x[0] : r.A * (e[r.naExp] * r.factor);
    rate = FromRates(alpha, r.D / (x[own ? 1 : 0] + 1.0), phi);
  } else if constexpr (R == gate::mK) {
    if (!kShared && r.mode == Mode::Own) {
      const double z = GuardedDifference(r.B, v);
      rate = FromRates(r.A * z / (x[0] - 1.0), r.D * x[1], phi);
    } else if (v == r.B) {
      rate = gate_batch_detail::OwnRate(gate::mK, *r.source, in);
    } else {
      const double n = e[r.naExp];
      const double na = kShared || r.cubeNa ? n * n * n : n;
      rate = FromRates(r.A * (r.B - v) / (na * r.factor - 1.0), r.D * x[0], phi);
    }
  } else if constexpr (R == gate::mA) {
    rate = FromTau(1.0 / (x[0] + 1.0), (1.0 / (x[1] + x[2]) + r.E) / phi);
  } else if constexpr (R == gate::hA) {
    const double tau0 = v >= r.E ? r.F : 1.0 / (x[1] + x[2]);
    rate = FromTau(1.0 / (x[0] + 1.0), tau0 / phi);
  } else if constexpr (R == gate::mT) {
    rate = FromTau(1.0 / (x[0] + 1.0), (1.0 / (x[1] + x[2]) + r.E) / in.factors.phiMT);
  } else if constexpr (R == gate::hT) {
    const double tau0 = v >= r.A ? x[1] + r.F : x[1];
    rate = FromTau(1.0 / (x[0] + 1.0), tau0 / in.factors.phiHT);
  } else if constexpr (R == gate::mC) {
    rate = FromRates(r.A * in.caL * x[0], r.C * x[1], phi);
  } else if constexpr (R == gate::mL) {
    const double w = GuardedSum(v, r.E);
    const double alpha = r.A / (x[0] + 1.0), beta = r.D * w / (x[1] - 1.0);
    rate = FromTau(1.0 / (x[2] + 1.0), 1.0 / ((alpha + beta) * phi));
  } else if constexpr (R == gate::mH) {
    rate = FromTau(1.0 / (x[0] + 1.0), r.A / (x[1] + x[2]) / phi);
  } else if constexpr (R == gate::mM) {
    rate = FromTau(1.0 / (x[0] + 1.0), r.A / ((x[1] + x[2]) * r.B) / phi);
  } else if constexpr (R == gate::mNap) {
    const double z = GuardedSum(v, r.B), w = GuardedSum(v, r.E);
    const double alpha = r.A * z / (1.0 - x[0]), beta = r.D * w / (1.0 - x[1]);
    rate = FromTau(1.0 / (x[2] + 1.0), 1.0 / ((alpha + beta) * phi));
  } else if constexpr (R == gate::mAHP) {
    rate = FromRates((r.A * 1e9) * TruncatedPower(in.caL, r.exponentB), r.C, phi);
  }
  dxdt[R] = rate.drive - rate.decay * state[R];
}

// Each row's code with its row fixed, behind one well-predicted test of
// whether it is enabled; rows First .. Last - 1.
template <int First, int Last, class F>
[[gnu::always_inline]] inline void ForEachRow(unsigned on, F&& f) {
  [&]<int... I>(std::integer_sequence<int, I...>) __attribute__((always_inline)) {
    ((on & (1u << (First + I)) ? f(std::integral_constant<int, First + I>{}) : void()), ...);
  }(std::make_integer_sequence<int, Last - First>{});
}

// The sodium and potassium rows first, then the others behind one test:
// most cells switch on few of them.
template <bool kSodiumPotassium, class F>
[[gnu::always_inline]] inline void ForEachRow(unsigned on, F&& f) {
  ForEachRow<gate::mNa, gate::mK + 1>(on, f);
  constexpr unsigned kOthers = ((1u << (gate::mAHP + 1)) - 1) & ~((1u << (gate::mK + 1)) - 1);
  if (!kSodiumPotassium && (on & kOthers)) ForEachRow<gate::mK + 1, gate::mAHP + 1>(on, f);
}

template <bool kSodiumPotassium>
[[gnu::always_inline]] inline void GateBatch::Exponents(const GateContextD& in, double* x) const {
  if (kSodiumPotassium && shared_) {
    RowExponents<gate::mNa, true>(rows_[gate::mNa], in, x);
    RowExponents<gate::hNa, true>(rows_[gate::hNa], in, x);
    RowExponents<gate::mK, true>(rows_[gate::mK], in, x);
    return;
  }
  ForEachRow<kSodiumPotassium>(
      on_, [&](auto row) { RowExponents<decltype(row)::value, false>(rows_[row], in, x); });
}

template <bool kSodiumPotassium>
[[gnu::always_inline]] inline void GateBatch::Derivatives(const GateContextD& in, const double* e,
                                                          const double* state,
                                                          double* dxdt) const {
  if (kSodiumPotassium && shared_) {
    RowDerivative<gate::mNa, true>(rows_[gate::mNa], in, e, state, dxdt);
    RowDerivative<gate::hNa, true>(rows_[gate::hNa], in, e, state, dxdt);
    RowDerivative<gate::mK, true>(rows_[gate::mK], in, e, state, dxdt);
    return;
  }
  ForEachRow<kSodiumPotassium>(on_, [&](auto row) {
    RowDerivative<decltype(row)::value, false>(rows_[row], in, e, state, dxdt);
  });
}

}  // namespace vantor
