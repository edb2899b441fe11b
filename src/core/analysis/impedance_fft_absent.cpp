// The impedance profile when the program was built without GSL.
#include "vantor/analysis/ramp_chirp.h"

namespace vantor {

ImpedanceProfile ImpedanceFrom(const std::vector<double>&, const std::vector<double>&,
                               const std::vector<double>&, double, double, double, double) {
  ImpedanceProfile z;
  z.error = "this build has no FFT (it was built without GSL, libgsl-dev)";
  return z;
}

}  // namespace vantor
