#include "engine/gate_rate.h"

#include <cmath>

namespace vantor {

double TruncatedPower(double x, float exponent) {
  if (!(exponent >= 1.0f)) return 1.0;  // n <= 0, and a coefficient that is not a number
  // Past a few dozen factors the product has long under- or overflowed for any
  // calcium level; pow gives the same and keeps a huge B from costing time.
  if (exponent > 64.0f) return std::pow(x, std::trunc(static_cast<double>(exponent)));
  const int n = static_cast<int>(exponent);
  double p = 1.0;
  for (int i = 0; i < n; ++i) p *= x;
  return p;
}

}  // namespace vantor
