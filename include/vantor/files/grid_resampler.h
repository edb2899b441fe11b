// Samples of a run, recorded at irregular times, turned into rows on a fixed
// grid 0, step, 2 step, ...: each grid time between two samples takes the
// straight line between them, value by value (the CSV's --dt and the Python
// module's `dt` both use it, so both give the same numbers).
#pragma once

#include "vantor/engine/run_sample.h"

namespace vantor {

class GridResampler {
 public:
  explicit GridResampler(double step) : step_(step) {}

  double Step() const { return step_; }

  // Takes the next sample (times rising; slots 0 .. 20 and what drove it,
  // command and current) and hands `row(t, slots, drive)` every grid time up
  // to and including the sample's: at the sample itself, or interpolated
  // from the one before. Slot 0 of the slots handed over is not set.
  template <class Row>
  void Take(const PreciseSample& now, const double* drive, Row&& row) {
    double values[kSampleSlots], between[2];
    for (;;) {
      const double t = static_cast<double>(next_) * step_;
      if (t > now[0]) break;
      if (!hasPrevious_ || t >= now[0] || previous_[0] >= now[0]) {
        row(t, now.data(), drive);
      } else {
        const double t0 = previous_[0];
        const double w = (t - t0) / (now[0] - t0);
        for (int s = 1; s < kSampleSlots; ++s) {
          const double a = previous_[s];
          values[s] = a + (now[s] - a) * w;
        }
        for (int d = 0; d < 2; ++d)
          between[d] = previousDrive_[d] + (drive[d] - previousDrive_[d]) * w;
        row(t, values, between);
      }
      ++next_;
    }
    previous_ = now;
    hasPrevious_ = true;
    previousDrive_[0] = drive[0];
    previousDrive_[1] = drive[1];
  }

  // A new run starts at time 0 (the next of a family).
  void Restart() {
    next_ = 0;
    hasPrevious_ = false;
  }

 private:
  double step_;
  long next_ = 0;  // index of the next grid time
  PreciseSample previous_{};
  bool hasPrevious_ = false;
  double previousDrive_[2] = {};
};

}  // namespace vantor
