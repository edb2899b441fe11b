// The membrane potential of a recorded run at a given time, for the
// pointer read-out. Looks it up in the record file by bisection, so a run
// of millions of samples costs no memory and a few reads per lookup.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "vantor/engine/run_sample.h"

namespace vantor::app {

class RecordLookup {
 public:
  // Forgets any earlier record; an empty path means none.
  void Use(const std::string& path) { path_ = path; }
  bool Empty() const { return path_.empty(); }

  // (t, V) at time `t` (ms), V linearly interpolated between the samples
  // around it; none outside the recorded times or when the file cannot be
  // read. A sample cut short at the end of the file does not count.
  std::optional<std::pair<float, float>> At(float t) const;
  // Every slot at time `t` so interpolated (slot 0 is t itself).
  std::optional<RunSample> SampleAt(float t) const;

 private:
  std::string path_;
};

}  // namespace vantor::app
