// One run of a sweep: its number in the plan, the values of the varied
// parameters, and what the run measured.
#pragma once

#include <vector>

#include "vantor/analysis/measured_run.h"

namespace vantor {

struct SweepResult {
  long run = 0;
  std::vector<float> point;
  MeasuredRun measured;
};

}  // namespace vantor
