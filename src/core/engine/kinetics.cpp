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
                     const GateContextD& in, const double* x, double* dxdt,
                     const SharedGateExponentials& shared) {
  // mNa's exponential and the one its cube root gave, kept for the later
  // rows (negative: not taken). The rows come in increasing order, mNa first.
  // Where a guard replaces a linear term (V on a centre exactly) each row
  // takes its own formula.
  double naExp = -1.0, third = -1.0;
  for (int i = 0; i < count; ++i) {
    const int row = rows[i];
    const GateRow& c = gates.Row(row);
    GateRateD rate;
    if ((shared.mK != 0.0 || shared.hNa != 0.0) && row == gate::mNa && in.v != -c.B) {
      const double z = in.v + c.B;
      if (shared.hNa != 0.0) {
        third = std::exp(-z / (3.0 * c.C));
        naExp = third * third * third;
      } else {
        naExp = std::exp(-z / c.C);
      }
      rate = gate_formulas::MNaFromExp(c, z, z, naExp, in.factors.phi);
    } else if (row == gate::hNa && third >= 0.0) {
      rate = gate_formulas::HNaFromExp(c, in, third * shared.hNa);
    } else if (row == gate::mK && shared.mK != 0.0 && naExp >= 0.0 && in.v != c.B) {
      rate = gate_formulas::MKFromExp(c, in, c.B - in.v, naExp * shared.mK);
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
