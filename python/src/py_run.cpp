// vantor._core.run: one trial on a copy of the parameters, with the GIL
// released while the engine runs; the recorded samples come back as one
// array with a row per CSV column. The package makes the Result of it.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <chrono>
#include <optional>
#include <thread>

#include "vantor/analysis/measures.h"
#include "vantor/analysis/spikes.h"
#include "vantor/files/csv_sink.h"
#include "vantor/engine/protocol.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "measure_arguments.h"
#include "support.h"

namespace vantor::python {
namespace {

class SampleStore : public RunSink, public DriveSink {
 public:
  SampleStore() { samples.reserve(1024); }
  void Sample(const RunSample& sample) override {
    PreciseSample widened;
    for (int s = 0; s < kSampleSlots; ++s) widened[s] = sample[s];
    samples.push_back(widened);
    if (driven) drive.push_back({pending[0], pending[1]});
  }
  // Model 4's samples unrounded: time and values in double precision.
  void Precise(const RunSample&, const PreciseSample& unrounded) override {
    samples.push_back(unrounded);
    precise = true;
    if (driven) drive.push_back({pending[0], pending[1]});
  }
  void Drive(double command, double current) override { pending[0] = command, pending[1] = current; }
  std::vector<PreciseSample> samples;
  bool precise = false;  // Model 4 ran
  bool driven = false;
  double pending[2] = {};
  std::vector<std::array<double, 2>> drive;  // command and current of each sample
};

class DiscardSamples : public RunSink {
 public:
  void Sample(const RunSample& sample) override { last = sample[0]; }
  float last = 0;
};

// Ctrl+C reaches a long run: now and then (never within the first tenth of
// a second, so short runs never wait for the GIL) the main thread takes the
// GIL to let Python look at its signals.
class InterruptCheck {
 public:
  explicit InterruptCheck(bool mainThread) : mainThread_(mainThread) {}
  void operator()(RunFlags& flags) {
    if (!mainThread_ || ++count_ % 256 != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) flags.stop = interrupted = true;
  }
  bool interrupted = false;

 private:
  bool mainThread_;
  long count_ = 0;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

const char* OutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Completed: return "completed";
    case RunOutcome::Stopped: return "stopped";
    case RunOutcome::WindowClosed: return "stopped";
    case RunOutcome::Refused: return "refused";
    case RunOutcome::Failed: return "failed";
  }
  return "failed";
}

// Rows: time, V-m, I-Inj (the protocol's current, as the CSV writes it),
// then slots 2 .. 20.
// With a stimulus, I-Inj is the current that drove each sample, and in
// voltage clamp the command and the clamp current follow.
py::array_t<double> SampleArray(const SampleStore& store, const ParameterSet& p, bool clamp) {
  const std::vector<PreciseSample>& samples = store.samples;
  const bool precise = store.precise;
  const py::ssize_t n = static_cast<py::ssize_t>(samples.size());
  py::array_t<double> data({py::ssize_t{kSampleSlots + 1 + (clamp ? 2 : 0)}, n});
  double* out = data.mutable_data();
  const Protocol protocol = Protocol::Of(p);
  for (py::ssize_t i = 0; i < n; ++i) {
    const PreciseSample& s = samples[static_cast<std::size_t>(i)];
    const double t = s[0];
    const double current = store.driven ? store.drive[static_cast<std::size_t>(i)][1]
                           : precise    ? protocol.InjectedCurrentExact(t)
                                        : protocol.InjectedCurrent(t);
    out[i] = t;
    out[n + i] = s[1];
    out[2 * n + i] = current;
    for (int slot = 2; slot < kSampleSlots; ++slot) out[(slot + 1) * n + i] = s[slot];
    if (clamp) {
      out[(kSampleSlots + 1) * n + i] = store.drive[static_cast<std::size_t>(i)][0];
      out[(kSampleSlots + 2) * n + i] = current;
    }
  }
  return data;
}

py::dict MeasureDict(const Measures& m) {
  py::dict measures;
  for (const MeasureInfo& info : MeasureTable()) {
    if (info.id == MeasureId::Class)
      measures[info.key] = ActivityClassName(m.activity);
    else if (info.id == MeasureId::Spikes)
      measures[info.key] = m.spikes;
    else
      measures[info.key] = MeasureValue(m, info.id);
  }
  return measures;
}

// The shape of every spike as arrays, one per feature.
py::dict SpikeFeatures(const std::vector<Spike>& spikes) {
  const std::pair<const char*, double (*)(const Spike&)> features[] = {
      {"time_ms", [](const Spike& s) { return s.time; }},
      {"onset_ms", [](const Spike& s) { return s.onsetTime; }},
      {"onset_mv", [](const Spike& s) { return s.onsetMv; }},
      {"peak_ms", [](const Spike& s) { return s.peakTime; }},
      {"peak_mv", [](const Spike& s) { return s.peakMv; }},
      {"amplitude_mv", [](const Spike& s) { return s.Amplitude(); }},
      {"half_width_ms", [](const Spike& s) { return s.halfWidthMs; }},
      {"max_dvdt", [](const Spike& s) { return s.maxDvdt; }},
      {"ahp_depth_mv", [](const Spike& s) { return s.AhpDepth(); }},
      {"ahp_time_ms", [](const Spike& s) { return s.ahpTime; }},
  };
  py::dict out;
  for (const auto& [key, feature] : features) {
    py::array_t<double> values(static_cast<py::ssize_t>(spikes.size()));
    for (std::size_t k = 0; k < spikes.size(); ++k) values.mutable_data()[k] = feature(spikes[k]);
    out[key] = values;
  }
  return out;
}

py::dict Run(const ParameterSet& given, const py::object& method, const py::object& gatesArg,
             const py::object& threshold, const py::object& toleranceArg, const py::object& dvdt,
             const py::object& window, const py::object& stimulusArg) {
  const MeasureSettings settings = MeasureArguments(threshold, dvdt, window);
  double tolerance = 0;  // none chosen: the run's own
  if (!toleranceArg.is_none()) {
    tolerance = Number(toleranceArg);
    if (!(tolerance > kSmallestTolerance && tolerance < kLargestTolerance))
      Raise(PyExc_ValueError, std::string("tolerance needs a number ") + kToleranceRange + ": " +
                                  std::string(py::repr(toleranceArg)));
  }
  // Copies, so that other Python threads may change the originals meanwhile.
  ParameterSet params = WithMethod(given, method);
  const GateTable gates = GatesArgument(gatesArg);
  SampleStore store;
  std::optional<Stimulus> stimulus;
  RunTuning tuning;
  if (!stimulusArg.is_none()) {
    stimulus = stimulusArg.cast<Stimulus>();
    if (stimulus->family)
      Raise(PyExc_ValueError, "the stimulus has a family; vantor.run runs each of its values");
    tuning.stimulus = &*stimulus;
    tuning.drive = &store;
    store.driven = true;
  }
  const bool clamp = stimulus && stimulus->mode == ClampMode::Voltage;
  RunResult result;
  InterruptCheck interrupt(OnMainThread());
  {
    py::gil_scoped_release release;
    RunFlags flags;
    flags.tolerance = tolerance;
    result = RunTrial(params, gates, store, flags, [&] { interrupt(flags); }, tuning);
  }
  if (interrupt.interrupted) throw py::error_already_set();

  VmTrace trace;
  trace.t.reserve(store.samples.size());
  trace.v.reserve(store.samples.size());
  for (const PreciseSample& s : store.samples) trace.t.push_back(s[0]), trace.v.push_back(s[1]);
  const std::vector<Spike> found = FindSpikes(trace, settings.rule);
  const std::vector<double> spikes = SpikeTimes(found);
  const std::vector<double> slopes = Slopes(trace);

  std::vector<std::string> names = CsvColumnNames(params);
  names.erase(names.begin());
  if (clamp) {
    names.push_back("V-cmd (mV)");
    names.push_back("I-clamp (nA)");
  }
  py::dict out;
  out["outcome"] = OutcomeName(result.outcome);
  out["message"] = result.message;
  out["data"] = SampleArray(store, params, clamp);
  out["names"] = names;
  out["spikes"] = py::array_t<double>(static_cast<py::ssize_t>(spikes.size()), spikes.data());
  out["spike_features"] = SpikeFeatures(found);
  out["dvdt"] = py::array_t<double>(static_cast<py::ssize_t>(slopes.size()), slopes.data());
  out["samples"] = result.samples;
  out["passes"] = result.passes;
  out["rejected"] = result.rejected;
  if (result.outcome == RunOutcome::Completed) {
    // As the sweeps measure: the default window of the run's parameters.
    MeasureOptions options;
    options.rule = settings.rule;
    options.window = WindowFor(params, settings);
    out["measures"] = MeasureDict(Measure(trace, found, options));
    out["window"] = py::make_tuple(options.window.from, options.window.to);
    out["stimulus"] = options.window.stimulus;
  }
  return out;
}

// Seconds for `repeats` runs through the engine alone (samples discarded),
// for the benchmark script.
double TimeEngine(const ParameterSet& given, const py::object& gatesArg, int repeats) {
  const GateTable gates = GatesArgument(gatesArg);
  py::gil_scoped_release release;
  DiscardSamples sink;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    ParameterSet params = given;
    RunFlags flags;
    RunTrial(params, gates, sink, flags);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void BindRun(py::module_& m) {
  m.def("run", &Run, py::arg("params"), py::arg("method") = py::none(), py::arg("gates") = py::none(),
        py::arg("threshold") = -20.0, py::arg("tolerance") = py::none(), py::arg("dvdt") = 20.0,
        py::arg("window") = py::none(), py::arg("stimulus") = py::none());
  m.def("_time_engine", &TimeEngine, py::arg("params"), py::arg("gates") = py::none(),
        py::arg("repeats") = 1);
}

}  // namespace vantor::python
