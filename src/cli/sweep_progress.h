// The progress line of a sweep on standard error: runs done of the total,
// runs per second and the time left, redrawn in place a few times a second.
#pragma once

#include <chrono>

namespace vantor::cli {

class SweepProgress {
 public:
  // Shown only when standard error is a terminal and `wanted`.
  SweepProgress(long done, long total, bool wanted);
  ~SweepProgress();  // ends the line
  void Update(long done);

 private:
  void Draw(long done);
  using Clock = std::chrono::steady_clock;
  bool shown_;
  long startDone_;
  long total_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool drawn_ = false;
};

}  // namespace vantor::cli
