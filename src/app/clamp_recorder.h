// Keeps each recorded sample's time and the clamp current that drove it:
// what the curves of a voltage-clamp family are measured on.
#pragma once

#include <vector>

#include "vantor/engine/run_driver.h"

namespace vantor::app {

struct ClampRecorder : RunSink, DriveSink {
  void Drive(double, double current) override { pending_ = current; }
  void Sample(const RunSample& s) override {
    times.push_back(s[slot::Time]);
    currents.push_back(pending_);
  }
  void Clear() {
    times.clear();
    currents.clear();
    pending_ = 0;
  }
  std::vector<double> times, currents;

 private:
  double pending_ = 0;
};

}  // namespace vantor::app
