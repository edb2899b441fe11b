#include "engine/kinetics.h"

#include <cmath>

#include "engine/gate_formulas.h"

namespace vantor {

template <class R>
BasicGateRate<R> GateSteadyState(int row, const GateRow& c, const BasicGateContext<R>& in) {
  return gate_formulas::Dispatch(row, c, in);
}

template GateRate GateSteadyState(int, const GateRow&, const GateContext&);
template GateRateD GateSteadyState(int, const GateRow&, const GateContextD&);

void GateDerivatives(const GateTable& gates, const int* rows, int count,
                     const GateContextD& in, const double* x, double* dxdt, double mKFromMNa) {
  // mNa's exp(-(V + B) / C), kept for mK (negative: not taken). The rows come
  // in increasing order, mNa before mK. Where a guard replaces a linear term
  // (V on a centre exactly) each row takes its own formula.
  double naExp = -1.0;
  for (int i = 0; i < count; ++i) {
    const int row = rows[i];
    const GateRow& c = gates.Row(row);
    GateRateD rate;
    if (mKFromMNa != 0.0 && row == gate::mNa && in.v != -c.B) {
      const double z = in.v + c.B;
      naExp = std::exp(-z / c.C);
      rate = gate_formulas::MNaFromExp(c, z, z, naExp, in.factors.phi);
    } else if (row == gate::mK && naExp >= 0.0 && in.v != c.B) {
      rate = gate_formulas::MKFromExp(c, in, c.B - in.v, naExp * mKFromMNa);
    } else {
      rate = gate_formulas::Dispatch(row, c, in);
    }
    dxdt[row] = rate.drive - rate.decay * x[row];
  }
}

float RelaxationShare(float r) {
  if (r >= 0.1f) return static_cast<float>(1.0 - std::exp(-static_cast<double>(r)));
  return r;
}

}  // namespace vantor
