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
                     const GateContextD& in, const double* x, double* dxdt) {
  for (int i = 0; i < count; ++i) {
    const int row = rows[i];
    const GateRateD rate = gate_formulas::Dispatch(row, gates.Row(row), in);
    dxdt[row] = rate.drive - rate.decay * x[row];
  }
}

float RelaxationShare(float r) {
  if (r >= 0.1f) return static_cast<float>(1.0 - std::exp(-static_cast<double>(r)));
  return r;
}

}  // namespace vantor
