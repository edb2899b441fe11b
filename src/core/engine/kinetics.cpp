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

float RelaxationShare(float r) {
  if (r >= 0.1f) return static_cast<float>(1.0 - std::exp(-static_cast<double>(r)));
  return r;
}

}  // namespace vantor
