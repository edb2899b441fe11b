// vantor._core.run: one trial on a copy of the parameters, with the GIL
// released while the engine runs; the recorded samples (or those asked for)
// come back as one array with a row per column kept. The package makes the
// Result of it.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <chrono>
#include <optional>
#include <thread>

#include "vantor/analysis/measures.h"
#include "vantor/analysis/spikes.h"
#include "vantor/files/csv_sink.h"
#include "vantor/files/grid_resampler.h"
#include "vantor/engine/protocol.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "measure_arguments.h"
#include "support.h"

namespace vantor::python {
namespace {

// Columns of a run's output: time, V-m, I-Inj (the protocol's current, as
// the CSV writes it, or with a stimulus what drove the sample), slots 2 .. 20,
// and in voltage clamp the command and the clamp current.
constexpr int kTimeColumn = 0, kVColumn = 1, kCurrentColumn = 2, kCommandColumn = kSampleSlots + 1,
              kClampColumn = kSampleSlots + 2;

// Keeps the columns asked for (time and V-m always, the measures read them),
// of every recorded sample or resampled onto a grid exactly as the CSV's
// --dt does. With a grid the rows are written straight into the array that is
// handed back, made before the run for every grid time the trial can have
// (rows it never reaches are never touched, so they take no memory), and the
// times, k · step, are not stored.
class SampleStore : public RunSink, public DriveSink {
 public:
  SampleStore(const ParameterSet& params, std::vector<int> columns, std::optional<double> step,
              bool driven)
      : protocol_(Protocol::Of(params)), columns_(std::move(columns)), driven_(driven) {
    const std::size_t k = columns_.size();
    if (step) {
      grid_.emplace(*step);
      const double rows = std::floor(params.Value(param::TrialDuration) / *step) + 2;
      capacity_ = static_cast<py::ssize_t>(rows);
      array_ = py::array_t<double>({static_cast<py::ssize_t>(k - 1), capacity_});
      out_ = array_.mutable_data();
    } else {
      kept_.resize(k);
      for (auto& column : kept_) column.reserve(1024);
    }
  }
  void Sample(const RunSample& sample) override {
    PreciseSample widened;
    for (int s = 0; s < kSampleSlots; ++s) widened[s] = sample[s];
    Take(widened, false);
  }
  // Model 4's samples unrounded: time and values in double precision.
  void Precise(const RunSample&, const PreciseSample& unrounded) override { Take(unrounded, true); }
  void Drive(double command, double current) override { pending_[0] = command, pending_[1] = current; }
  bool NeedsCurrents() const override {
    for (int column : columns_)
      if (slot::IsCurrent(column - 1)) return true;
    return false;
  }

  // Rows kept.
  py::ssize_t Count() const {
    return grid_ ? count_ : static_cast<py::ssize_t>(kept_[0].size());
  }
  // The times and V-m kept, for the measures.
  VmView Trace() const {
    const auto n = static_cast<std::size_t>(Count());
    if (grid_) return {TraceTimes::Grid(grid_->Step(), n), std::span<const double>(out_, n)};
    return {std::span<const double>(kept_[0]), std::span<const double>(kept_[1])};
  }
  // The kept columns as one array, a row each (on a grid without the times).
  py::array_t<double> Array() {
    const py::ssize_t n = Count();
    const py::ssize_t k = static_cast<py::ssize_t>(columns_.size());
    if (grid_) {
      // Its first n columns (a view of the array the run filled).
      return array_[py::make_tuple(py::slice(0, k - 1, 1), py::slice(0, n, 1))]
          .cast<py::array_t<double>>();
    }
    py::array_t<double> data({k, n});
    double* out = data.mutable_data();
    for (py::ssize_t c = 0; c < k; ++c) {
      std::copy(kept_[c].begin(), kept_[c].end(), out + c * n);
      std::vector<double>().swap(kept_[c]);  // gone before the next is copied
    }
    return data;
  }

 private:
  double Value(int column, double t, const double* slots, const double* drive, bool precise) const {
    switch (column) {
      case kTimeColumn: return t;
      case kVColumn: return slots[slot::V];
      case kCurrentColumn:
      case kClampColumn:
        return driven_  ? drive[1]
               : precise ? protocol_.InjectedCurrentExact(t)
                         : protocol_.InjectedCurrent(t);
      case kCommandColumn: return drive[0];
      default: return slots[column - 1];
    }
  }
  void Row(double t, const double* slots, const double* drive, bool precise) {
    if (grid_) {
      if (count_ >= capacity_) return;  // past the trial's grid (never with a whole run)
      for (std::size_t c = 1; c < columns_.size(); ++c)
        out_[static_cast<py::ssize_t>(c - 1) * capacity_ + count_] =
            Value(columns_[c], t, slots, drive, precise);
      ++count_;
      return;
    }
    for (std::size_t c = 0; c < columns_.size(); ++c)
      kept_[c].push_back(Value(columns_[c], t, slots, drive, precise));
  }
  void Take(const PreciseSample& sample, bool precise) {
    if (!grid_) {
      Row(sample[0], sample.data(), pending_, precise);
      return;
    }
    grid_->Take(sample, pending_, [&](double t, const double* slots, const double* drive) {
      Row(t, slots, drive, precise);
    });
  }

  const Protocol protocol_;
  std::vector<int> columns_;  // first time, then V-m
  bool driven_;
  double pending_[2] = {};  // command and current of the sample to come
  std::optional<GridResampler> grid_;
  py::array_t<double> array_;
  double* out_ = nullptr;
  py::ssize_t capacity_ = 0, count_ = 0;
  std::vector<std::vector<double>> kept_;
};

class DiscardSamples : public RunSink {
 public:
  void Sample(const RunSample& sample) override { last = sample[0]; }
  bool NeedsCurrents() const override { return false; }
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

// The columns `traces` names (a trace's column name or the part before its
// unit), after time and V-m; every column for None.
std::vector<int> KeptColumns(const py::object& traces, const std::vector<std::string>& names) {
  std::vector<int> columns{kTimeColumn, kVColumn};
  if (traces.is_none()) {
    for (int c = kVColumn + 1; c <= static_cast<int>(names.size()); ++c) columns.push_back(c);
    return columns;
  }
  if (py::isinstance<py::str>(traces))
    Raise(PyExc_TypeError, "traces takes a list of trace names, not one name");
  std::string all;
  for (const std::string& name : names) all += (all.empty() ? "" : ", ") + name;
  for (const py::handle& item : traces) {
    if (!py::isinstance<py::str>(item))
      Raise(PyExc_TypeError, "traces takes trace names: " + std::string(py::repr(item)));
    const std::string wanted = item.cast<std::string>();
    int found = -1;
    for (std::size_t i = 0; i < names.size() && found < 0; ++i)
      if (wanted == names[i] || wanted == names[i].substr(0, names[i].find(" (")))
        found = static_cast<int>(i) + 1;
    if (found < 0) Raise(PyExc_KeyError, "no trace called '" + wanted + "'; the traces are " + all);
    if (std::find(columns.begin(), columns.end(), found) == columns.end()) columns.push_back(found);
  }
  return columns;
}

py::dict Run(const ParameterSet& given, const py::object& method, const py::object& gatesArg,
             const py::object& threshold, const py::object& toleranceArg, const py::object& dvdt,
             const py::object& window, const py::object& stimulusArg, const py::object& traces,
             const py::object& dtArg) {
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
  std::optional<double> step;
  if (!dtArg.is_none()) {
    const double dt = Number(dtArg);
    if (!(dt > 0.0 && std::isfinite(dt)))
      Raise(PyExc_ValueError, "dt needs a time step in ms greater than 0: " +
                                  std::string(py::repr(dtArg)));
    if (params.Value(param::TrialDuration) / dt > 1e8)
      Raise(PyExc_ValueError, "dt " + std::string(py::repr(dtArg)) + " would make more than 10^8 rows");
    step = dt;
  }
  std::optional<Stimulus> stimulus;
  RunTuning tuning;
  tuning.pumpKeepsParameters = true;  // it looks for an interrupt only
  if (!stimulusArg.is_none()) {
    stimulus = stimulusArg.cast<Stimulus>();
    if (stimulus->family)
      Raise(PyExc_ValueError, "the stimulus has a family; vantor.run runs each of its values");
    tuning.stimulus = &*stimulus;
  }
  const bool clamp = stimulus && stimulus->mode == ClampMode::Voltage;
  std::vector<std::string> names = CsvColumnNames(params);
  names.erase(names.begin());
  if (clamp) {
    names.push_back("V-cmd (mV)");
    names.push_back("I-clamp (nA)");
  }
  const std::vector<int> columns = KeptColumns(traces, names);
  SampleStore store(params, columns, step, stimulus.has_value());
  if (stimulus) tuning.drive = &store;
  RunResult result;
  InterruptCheck interrupt(OnMainThread());
  {
    py::gil_scoped_release release;
    RunFlags flags;
    flags.tolerance = tolerance;
    result = RunTrial(params, gates, store, flags, [&] { interrupt(flags); }, tuning);
  }
  if (interrupt.interrupted) throw py::error_already_set();

  const VmView trace = store.Trace();
  std::vector<Spike> found = FindSpikes(trace, settings.rule);
  const std::vector<double> spikes = SpikeTimes(found);

  std::vector<std::string> kept;
  for (std::size_t c = 1; c < columns.size(); ++c) kept.push_back(names[columns[c] - 1]);
  py::dict out;
  out["outcome"] = OutcomeName(result.outcome);
  out["message"] = result.message;
  out["names"] = kept;
  out["spikes"] = py::array_t<double>(static_cast<py::ssize_t>(spikes.size()), spikes.data());
  out["spike_features"] = SpikeFeatures(found);
  out["samples"] = result.samples;
  out["passes"] = result.passes;
  out["rejected"] = result.rejected;
  out["partial"] = !traces.is_none() || step.has_value();
  if (step) out["step"] = *step;
  if (result.outcome == RunOutcome::Completed) {
    // As the sweeps measure: the default window of the run's parameters.
    MeasureOptions options;
    options.rule = settings.rule;
    options.window = WindowFor(params, settings);
    out["measures"] = MeasureDict(Measure(trace, found, options));
    out["window"] = py::make_tuple(options.window.from, options.window.to);
    out["stimulus"] = options.window.stimulus;
  }
  std::vector<Spike>().swap(found);
  out["data"] = store.Array();  // last: without a grid this frees the columns kept
  return out;
}

// dV/dt at every sample of a trace (Result.dvdt).
py::array_t<double> TraceSlopes(const py::array_t<double, py::array::c_style | py::array::forcecast>& t,
                                const py::array_t<double, py::array::c_style | py::array::forcecast>& v) {
  if (t.ndim() != 1 || v.ndim() != 1 || t.size() != v.size())
    Raise(PyExc_ValueError, "slopes takes times and potentials of one length");
  const auto n = static_cast<std::size_t>(t.size());
  const std::vector<double> slopes =
      Slopes(VmView(std::span<const double>(t.data(), n), std::span<const double>(v.data(), n)));
  return py::array_t<double>(static_cast<py::ssize_t>(slopes.size()), slopes.data());
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
        py::arg("window") = py::none(), py::arg("stimulus") = py::none(),
        py::arg("traces") = py::none(), py::arg("dt") = py::none());
  m.def("_slopes", &TraceSlopes, py::arg("t"), py::arg("v"));
  m.def("_time_engine", &TimeEngine, py::arg("params"), py::arg("gates") = py::none(),
        py::arg("repeats") = 1);
}

}  // namespace vantor::python
