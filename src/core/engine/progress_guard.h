// Keeps a run from spinning for ever: single-precision time stops moving once
// the step is below half its resolution, and a step that has collapsed to 0
// (or is not a number) never moves it again.
#pragma once

#include <cmath>

namespace vantor {

class ProgressGuard {
 public:
  // Ordinary runs see at most a handful of rejections in a row.
  static constexpr long kStalledPassLimit = 10000;

  // After a pass that started at `before` and left the time at `after` and the
  // next step at `dt`; false when the run can make no further headway.
  bool Update(float before, float after, float dt, bool initialisation) {
    if (!(dt > 0.0f && std::isfinite(dt))) return false;
    stalled_ = (initialisation || after != before) ? 0 : stalled_ + 1;
    return stalled_ <= kStalledPassLimit;
  }

 private:
  long stalled_ = 0;
};

}  // namespace vantor
