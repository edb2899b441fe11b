#include "cli/sweep_size.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vantor/engine/run_driver.h"
#include "cli/diagnostics.h"

namespace vantor::cli {
namespace {

constexpr double kHour = 3600;
using Clock = std::chrono::steady_clock;
// A timed run is stopped after this long, so that timing a sweep of long
// trials costs little.
constexpr std::chrono::milliseconds kTimingBudget{100};

double TrialMs(const SweepSetup& setup, long run) {
  double ms = setup.inputs.params.Value(param::TrialDuration);
  const SweepPlan& plan = setup.plan;
  for (std::size_t a = 0; a < plan.axes.size(); ++a)
    if (plan.axes[a].index == param::TrialDuration) ms = plan.Point(run)[a];
  return ms;
}

bool AxisVaries(const SweepPlan& plan, int index) {
  return std::any_of(plan.axes.begin(), plan.axes.end(),
                     [&](const SweepAxis& axis) { return axis.index == index; });
}

// The rate given by the tests, or 0.
double GivenRate() {
  const char* text = std::getenv("VANTOR_CLI_SWEEP_RATE");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const double rate = std::strtod(text, &end);
  return *end == '\0' && std::isfinite(rate) && rate > 0 ? rate : 0;
}

// Simulated ms per wall second of the first, middle and last run, each run
// whole or stopped after a short while; 0 when none of them got anywhere.
// A run's own course is timed (its rest is cheaper than its spikes), so the
// few runs stand for the others better than a fixed piece of each would.
double TimedRate(const SweepSetup& setup, const std::vector<long>& runs) {
  if (runs.empty()) return 0;
  std::vector<long> picks = {runs.front(), runs[runs.size() / 2], runs.back()};
  picks.erase(std::unique(picks.begin(), picks.end()), picks.end());
  struct LastTime final : RunSink {
    double t = 0;
    void Sample(const RunSample& sample) override { t = sample[0]; }
    bool NeedsCurrents() const override { return false; }  // as the sweep's own runs
  };
  double simulated = 0, seconds = 0;
  for (long run : picks) {
    ParameterSet params = setup.inputs.params;
    const std::vector<float> point = setup.plan.Point(run);
    for (std::size_t a = 0; a < point.size(); ++a) params.SetValue(setup.plan.axes[a].index, point[a]);
    LastTime clock;
    RunFlags flags;
    long calls = 0;
    const Clock::time_point start = Clock::now();
    const RunResult result = RunTrial(params, setup.inputs.gates, clock, flags, [&] {
      if (++calls % 256 == 0 && Clock::now() - start > kTimingBudget) flags.stop = true;
    });
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    if (result.outcome != RunOutcome::Completed && result.outcome != RunOutcome::Stopped) continue;
    simulated += clock.t;
    seconds += took;
  }
  return simulated > 0 && seconds > 0 ? simulated / seconds : 0;
}

std::string Duration(double seconds) {
  char text[48];
  const long s = std::lround(seconds);
  if (s >= 3600) std::snprintf(text, sizeof text, "%ld h %02ld min", s / 3600, (s / 60) % 60);
  else if (s >= 60) std::snprintf(text, sizeof text, "%ld min %02ld s", s / 60, s % 60);
  else if (seconds >= 1) std::snprintf(text, sizeof text, "%ld s", s);
  else std::snprintf(text, sizeof text, "under a second");
  return text;
}

std::string SimulatedText(double ms) {
  char text[48];
  if (ms >= 1e7) std::snprintf(text, sizeof text, "%.0f s", ms / 1000);  // no exponent
  else if (ms >= 1000) std::snprintf(text, sizeof text, "%.4g s", ms / 1000);
  else std::snprintf(text, sizeof text, "%.4g ms", ms);
  return text;
}

}  // namespace

double SweepSize::WallSeconds() const {
  if (msPerSecond <= 0) return runs == 0 ? 0 : -1;
  return simulatedMs / msPerSecond / std::max(1, workers);
}

SweepSize MeasureSweepSize(const SweepSetup& setup, const std::vector<long>& runs, int workers) {
  SweepSize size;
  size.runs = static_cast<long>(runs.size());
  size.workers = static_cast<int>(std::max(1L, std::min<long>(workers, size.runs)));
  if (AxisVaries(setup.plan, param::TrialDuration)) {
    for (long run : runs) size.simulatedMs += TrialMs(setup, run);
  } else {
    size.simulatedMs = size.runs * static_cast<double>(setup.inputs.params.Value(param::TrialDuration));
  }
  size.msPerSecond = GivenRate();
  if (size.msPerSecond == 0 && size.runs > 0) {
    size.msPerSecond = TimedRate(setup, runs);
  }
  return size;
}

int StateSweepSize(const SweepSetup& setup, const SweepSize& size) {
  const double wall = size.WallSeconds();
  std::string text = std::to_string(size.runs) + (size.runs == 1 ? " run, " : " runs, ") +
                     SimulatedText(size.simulatedMs) + " of simulated time, ";
  if (wall < 0) {
    text += "wall time unknown (none of the runs timed could run)";
  } else {
    text += (wall < 1 ? std::string("") : "about ") + Duration(wall) + " here on " + std::to_string(size.workers) +
            (size.workers == 1 ? " job" : " jobs");
  }
  if (wall > kHour && !setup.options.force)
    return UsageError(setup.command, std::string(std::string(setup.command) == "fi" ? "this f-I curve" : "this sweep") +
                                         " is " + text + "; give --force to run it all the same");
  if (!setup.options.inputs.quiet) std::fprintf(stderr, "vantor-cli: %s: %s\n", setup.command, text.c_str());
  return 0;
}

void StateSweepEnd(const SweepSetup& setup, long runs, long failed) {
  if (setup.options.inputs.quiet && failed == 0) return;
  const std::string counted = std::to_string(runs) + (runs == 1 ? " run, " : " runs, ");
  if (failed == 0) {
    std::fprintf(stderr, "vantor-cli: %s: %snone failed\n", setup.command, counted.c_str());
    return;
  }
  PrintWarning(std::string(setup.command) + ": " + counted + std::to_string(failed) +
               " failed (each with its message in its row)");
}

}  // namespace vantor::cli
