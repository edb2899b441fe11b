#include "vantor/analysis/clamp_curves.h"

#include <cmath>

namespace vantor {

bool MeasureStep(const std::vector<double>& times, const std::vector<double>& currents,
                 double onset, double offset, StepCurrents& out) {
  bool any = false;
  for (std::size_t i = 0; i < times.size() && i < currents.size(); ++i) {
    if (!(times[i] > onset) || times[i] > offset) continue;
    if (!any || std::fabs(currents[i]) > std::fabs(out.peak)) {
      out.peak = currents[i];
      out.peakTime = times[i];
    }
    out.steady = currents[i];
    any = true;
  }
  return any;
}

}  // namespace vantor
