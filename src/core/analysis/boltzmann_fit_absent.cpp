// The fits when the program was built without GSL.
#include "vantor/analysis/clamp_curves.h"

namespace vantor {
namespace {

BoltzmannFit Absent() {
  BoltzmannFit fit;
  fit.error = "this build has no fits (it was built without GSL, libgsl-dev)";
  return fit;
}

}  // namespace

BoltzmannFit FitActivation(const std::vector<double>&, const std::vector<double>&) {
  return Absent();
}
BoltzmannFit FitInactivation(const std::vector<double>&, const std::vector<double>&) {
  return Absent();
}
BoltzmannFit FitTailActivation(const std::vector<double>&, const std::vector<double>&) {
  return Absent();
}
ExponentialFit FitExponential(const std::vector<double>&, const std::vector<double>&, double,
                              double) {
  ExponentialFit fit;
  fit.error = Absent().error;
  return fit;
}

}  // namespace vantor
