// The batched exponential against std::exp: within 1 ulp over the whole
// range, and the same 0, infinity and NaN at and past its ends.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/vector_exp.h"

namespace vantor {
namespace {

// Distance in units of the last place of the exact-ish value std::exp gives.
double Ulps(double got, double want) {
  if (got == want) return 0;
  const double ulp = std::nextafter(want, std::numeric_limits<double>::infinity()) - want;
  return std::fabs(got - want) / ulp;
}

TEST(VectorExp, EveryBatchAgreesWithStdExp) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> x = {0.0, -0.0, 1e-300, -1e-17, 1.0, -1.0, 709.7, -708.3, -745.0,
                           -746.0, 710.0, 1e6, -1e6, inf, -inf};
  for (double v = -745.0; v <= 709.0; v += 0.0973) x.push_back(v);
  x.push_back(std::nan(""));  // odd count: the last batch is partly padding
  std::vector<ExpBatch> batches = {ExpBatchSse2, ChooseExpBatch()};
  if (ProcessorHasAvx2()) batches.push_back(ExpBatchAvx2);
  const int n = static_cast<int>(x.size());
  x.resize(RoundedExpCount(n), 0.0);
  for (ExpBatch batch : batches) {
    std::vector<double> out(x.size(), -1.0);
    batch(x.data(), out.data(), n);
    double worst = 0;
    for (int i = 0; i < n; ++i) {
      const double want = std::exp(x[i]);
      if (std::isnan(want)) {
        EXPECT_TRUE(std::isnan(out[i]));
      } else if (want == 0.0 || std::isinf(want)) {
        EXPECT_EQ(out[i], want) << "exp(" << x[i] << ")";
      } else {
        worst = std::max(worst, Ulps(out[i], want));
      }
    }
    EXPECT_LE(worst, 1.0);
  }
}

}  // namespace
}  // namespace vantor
