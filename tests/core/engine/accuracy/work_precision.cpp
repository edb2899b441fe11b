// Work against precision of the four methods on the built-in run and on ten
// seconds of tonic firing: the worst spike-time error against the
// independent reference solver, and the engine's wall time. Prints the
// table of docs/accuracy.md and, with a file name, the points of its plot.
//   vantor_accuracy [points.csv [methods]]     e.g. methods "14" for 1 and 4
//   vantor_accuracy --reference spikes.txt     the 10 s reference spike times
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "vantor/engine/run_driver.h"
#include "engine_fixtures.h"
#include "reference_cell.h"

namespace {

using namespace vantor;

struct Case {
  const char* name;
  ParameterSet params;
  std::vector<double> truth;
};

// Upward crossings of 0 mV: between recorded samples by linear
// interpolation (methods 1 .. 3), from the continuous output (method 4).
struct Collect : RunSink, SpikeSink {
  void Sample(const RunSample& s) override {
    if (lastV < 0.0f && s[1] >= 0.0f)
      sampled.push_back(lastT + (s[0] - lastT) * (0.0f - lastV) / (s[1] - lastV));
    lastT = s[0];
    lastV = s[1];
  }
  void Spike(double t) override { spikes.push_back(t); }
  float lastT = 0, lastV = 0;
  std::vector<double> sampled, spikes;
};

struct Outcome {
  long spikes = 0;
  // ms, over the spikes both have, matched in order (a spike more or less
  // shifts every later one); not a number when the run stopped.
  double worst = NAN;
  double millis = 0;  // shortest wall time of up to five runs
};

Outcome Measure(const Case& c, const GateTable& gates, float model, float change, double tol) {
  std::vector<double> times;
  Outcome out;
  for (int repeat = 0; repeat < 5; ++repeat) {
    ParameterSet params = c.params;
    params.SetValue(param::Model, model);
    params.SetValue(param::MaxChangeInGates, change);
    Collect sink;
    RunFlags flags;
    RunTuning tuning;
    tuning.tolerance = tol;
    tuning.spikes = &sink;
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = RunTrial(params, gates, sink, flags, {}, tuning);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              start).count());
    if (r.outcome != RunOutcome::Completed) return out;
    const std::vector<double>& spikes = model < 4.0f ? sink.sampled : sink.spikes;
    out.spikes = static_cast<long>(spikes.size());
    out.worst = 0;
    for (std::size_t i = 0; i < std::min(spikes.size(), c.truth.size()); ++i)
      out.worst = std::max(out.worst, std::fabs(spikes[i] - c.truth[i]));
    if (times.back() > 2000.0) break;  // slow settings once
  }
  out.millis = *std::min_element(times.begin(), times.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--reference") {
    FILE* out = std::fopen(argv[2], "w");
    if (!out) return 1;
    for (double t : test::ReferenceCell(2.0, 0.0, 10.0, 60.0).SpikeTimes(10000.0))
      std::fprintf(out, "%.9f\n", t);
    return std::fclose(out) == 0 ? 0 : 1;
  }
  if (argc > 3 || (argc > 1 && argv[1][0] == '-')) {
    std::fprintf(stderr, "usage: vantor_accuracy [points.csv [methods]]\n"
                         "       vantor_accuracy --reference spikes.txt\n");
    return 2;
  }
  const GateTable gates = test::ShippedGates();
  std::vector<Case> cases;
  cases.push_back({"built-in 80 ms", ParameterSet(), test::ReferenceCell().SpikeTimes()});
  ParameterSet tonic;
  tonic.SetValue(param::TrialDuration, 10000.0f);
  tonic.SetValue(param::BaseCurrent, 2.0f);
  tonic.SetValue(param::InjectedCurrent, 0.0f);
  cases.push_back({"10 s tonic", tonic, test::ReferenceCell(2.0, 0.0, 10.0, 60.0).SpikeTimes(10000.0)});

  FILE* points = argc > 1 ? std::fopen(argv[1], "w") : nullptr;
  if (argc > 1 && !points) {
    std::perror(argv[1]);
    return 1;
  }
  if (points) std::fprintf(points, "run,method,setting,ms,worst_ms,spikes\n");
  const std::vector<float> changes = {50, 20, 10, 5, 2, 1, 0.5f};
  // 2e-6: the loosest setting with every spike of the 10 s run within 0.005 ms.
  const std::vector<double> tolerances = {1e-4, 1e-5, 2e-6, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10};
  for (const Case& c : cases) {
    std::printf("\n%s (reference: %zu spikes)\n\n", c.name, c.truth.size());
    std::printf("| method | setting | wall time (ms) | spikes | worst spike error (ms) |\n");
    std::printf("|---|---|---|---|---|\n");
    for (int model = 1; model <= 4; ++model) {
      if (argc > 2 && std::string(argv[2]).find(static_cast<char>('0' + model)) == std::string::npos)
        continue;
      const std::size_t settings = model < 4 ? changes.size() : tolerances.size();
      for (std::size_t i = 0; i < settings; ++i) {
        const float change = model < 4 ? changes[i] : 50.0f;
        const double tol = model < 4 ? 0.0 : tolerances[i];
        const Outcome o = Measure(c, gates, static_cast<float>(model), change, tol);
        char setting[32];
        if (model < 4) std::snprintf(setting, sizeof setting, "Max %%change %g", change);
        else std::snprintf(setting, sizeof setting, "tolerance %g", tol);
        char worst[32] = "run stops";
        if (!std::isnan(o.worst)) std::snprintf(worst, sizeof worst, "%.2g", o.worst);
        std::printf("| %d | %s | %.3g | %ld | %s |\n", model, setting, o.millis, o.spikes, worst);
        std::fflush(stdout);
        if (points && !std::isnan(o.worst))
          std::fprintf(points, "%s,%d,%s,%g,%g,%ld\n", c.name, model, setting, o.millis, o.worst,
                       o.spikes);
      }
    }
  }
  if (points) std::fclose(points);
  return 0;
}
