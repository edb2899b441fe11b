// The progress line of a long run on a terminal: simulated time, share of
// the trial and speed, redrawn in place on standard error at most a few
// times a second, and only once the run has taken more than a second.
#pragma once

#include <chrono>
#include <string>

namespace vantor::cli {

class ProgressLine {
 public:
  // Shown only when `enabled` and standard error is a terminal.
  ProgressLine(bool enabled, double duration);
  ~ProgressLine();  // clears the line
  // After each sample with its time (ms).
  void Update(float t);
  // The line as shown (for tests): "t = 1234.5 ms  12.3 %  4567 ms/s".
  static std::string Text(double t, double duration, double seconds);
  // Takes the line away (before other messages are printed).
  void Clear();

 private:
  bool enabled_;
  double duration_;
  long calls_ = 0;
  bool shown_ = false;
  std::chrono::milliseconds showAfter_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace vantor::cli
