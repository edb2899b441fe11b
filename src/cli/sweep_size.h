// What a sweep is about to cost, told before it starts: the runs, the
// simulated time and the wall time expected here. A sweep expected to take
// more than an hour runs only with --force.
#pragma once

#include <vector>

#include "cli/sweep_session.h"

namespace vantor::cli {

struct SweepSize {
  long runs = 0;
  double simulatedMs = 0;
  double msPerSecond = 0;  // simulated time per second of wall time on one worker; 0: unknown
  int workers = 1;
  double WallSeconds() const;  // negative when unknown
};

// The size of `runs` of the setup's plan on `workers` threads (or ranks).
// The rate comes from VANTOR_CLI_SWEEP_RATE (simulated ms per second, a
// hidden setting for the tests), else from a few of the runs timed now.
SweepSize MeasureSweepSize(const SweepSetup& setup, const std::vector<long>& runs, int workers);

// Tells the size on standard error (unless quiet) and refuses a sweep of
// more than an hour without --force: 0, or the usage status after a message.
int StateSweepSize(const SweepSetup& setup, const SweepSize& size);

// The closing line: how many runs the sweep holds and how many failed.
void StateSweepEnd(const SweepSetup& setup, long runs, long failed);

}  // namespace vantor::cli
