// vantor._core.sweep: the plan of "vantor-cli sweep" run on threads with the
// GIL released; the columns of its rows come back as arrays.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_runner.h"
#include "vantor/params/parameter_names.h"
#include "cli/sweep_options.h"
#include "vantor/text/text_helpers.h"
#include "support.h"

namespace vantor::python {
namespace {

// The command line's text of an axis: a "FROM:TO:COUNT" or list string as
// given, or the values of a sequence as the shortest texts that read back
// as the same floats.
std::string AxisSpec(const py::handle& values) {
  if (py::isinstance<py::str>(values)) return values.cast<std::string>();
  py::object items = py::reinterpret_borrow<py::object>(values);
  if (!py::isinstance<py::iterable>(values)) items = py::make_tuple(values);
  std::string joined;
  for (const py::handle& item : items) {
    const float v = static_cast<float>(Number(item));
    if (!std::isfinite(v)) Raise(PyExc_ValueError, "a swept value must be a finite number");
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v);
    if (!joined.empty()) joined += ',';
    joined.append(text, end.ptr);
  }
  if (joined.empty()) Raise(PyExc_ValueError, "a swept parameter needs at least one value");
  return joined;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

cli::SweepOptions Options(const ParameterSet& params, const py::dict& vary, long samples,
                          std::uint64_t seed, bool force, double threshold) {
  cli::SweepOptions options;
  for (const auto& [key, values] : vary) {
    // The parameter's own name, whatever the key's form.
    const int k = ParameterIndex(params, key);
    options.vary.push_back(CommandLineName(k) + "=" + AxisSpec(values));
  }
  options.samples = samples;
  options.seed = seed;
  options.force = force;
  options.threshold = threshold;
  return options;
}

SweepPlan MakeSweepPlan(const ParameterSet& params, const cli::SweepOptions& options) {
  if (options.samples < 0) Raise(PyExc_ValueError, "samples must be 0 (the grid) or more");
  SweepPlan plan;
  CollectedMessages messages;
  std::string error;
  const int status = cli::MakePlan(options, params, plan, messages, error);
  if (status == 2) Raise(PyExc_ValueError, Replace(error, "--vary ", "vary "));
  if (status != 0) Raise(PyExc_ValueError, Replace(MessageText(messages), "--force", "force=True"));
  return plan;
}

// Every run of the plan on `jobs` threads; results by run number.
class SweepRuns {
 public:
  SweepRuns(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan, double threshold)
      : base_(base), gates_(gates), plan_(plan), threshold_(threshold),
        results_(static_cast<std::size_t>(plan.Runs())), dispenser_(plan.Runs()) {}

  // False when interrupted (Ctrl+C on the main thread); the runs in flight
  // finish first.
  bool Run(int jobs, bool mainThread) {
    const long count = plan_.Runs();
    const int threads = static_cast<int>(std::max(1L, std::min<long>(jobs, count)));
    std::vector<std::thread> workers;
    for (int j = 0; j < threads; ++j) workers.emplace_back([this] { Work(); });
    bool interrupted = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      while (finished_ < threads) {
        done_.wait_for(lock, std::chrono::milliseconds(100));
        if (!mainThread || interrupted || finished_ == threads) continue;
        lock.unlock();
        {
          py::gil_scoped_acquire gil;
          interrupted = PyErr_CheckSignals() != 0;
        }
        if (interrupted) dispenser_.Stop();
        lock.lock();
      }
    }
    for (std::thread& t : workers) t.join();
    return !interrupted;
  }

  const std::vector<MeasuredRun>& Results() const { return results_; }

 private:
  void Work() {
    long first = 0, n = 0;
    while (dispenser_.Next(1, first, n))
      for (long run = first; run < first + n; ++run) {
        ParameterSet params = base_;
        const std::vector<float> point = plan_.Point(run);
        for (std::size_t a = 0; a < point.size(); ++a) params.SetValue(plan_.axes[a].index, point[a]);
        results_[static_cast<std::size_t>(run)] = MeasureTrial(std::move(params), gates_, threshold_);
      }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++finished_;
    }
    done_.notify_all();
  }

  const ParameterSet& base_;
  const GateTable& gates_;
  const SweepPlan& plan_;
  const double threshold_;
  std::vector<MeasuredRun> results_;
  BlockDispenser dispenser_;
  std::mutex mutex_;
  std::condition_variable done_;
  int finished_ = 0;
};

// Columns in the order of the sweep file: run, the varied parameters, the
// measures, error. Measures of a run that did not complete are NaN (the
// class "").
py::dict Columns(const SweepPlan& plan, const std::vector<MeasuredRun>& results) {
  const py::ssize_t n = static_cast<py::ssize_t>(results.size());
  py::dict columns;
  py::array_t<long long> runs(n);
  for (py::ssize_t i = 0; i < n; ++i) runs.mutable_data()[i] = i;
  columns["run"] = runs;
  std::vector<py::array_t<double>> axes;
  for (std::size_t a = 0; a < plan.axes.size(); ++a) axes.emplace_back(n);
  for (py::ssize_t i = 0; i < n; ++i) {
    const std::vector<float> point = plan.Point(static_cast<long>(i));
    for (std::size_t a = 0; a < axes.size(); ++a) axes[a].mutable_data()[i] = point[a];
  }
  for (std::size_t a = 0; a < axes.size(); ++a) columns[py::str(plan.axes[a].name)] = axes[a];
  for (const MeasureInfo& info : MeasureTable()) {
    if (info.id == MeasureId::Class) {
      py::list classes;
      for (const MeasuredRun& r : results)
        classes.append(r.outcome == RunOutcome::Completed ? ActivityClassName(r.measures.activity) : "");
      columns[info.key] = py::module_::import("numpy").attr("array")(classes, "object");
      continue;
    }
    py::array_t<double> values(n);
    for (py::ssize_t i = 0; i < n; ++i) {
      const MeasuredRun& r = results[static_cast<std::size_t>(i)];
      values.mutable_data()[i] =
          r.outcome == RunOutcome::Completed ? MeasureValue(r.measures, info.id) : kNoValue;
    }
    columns[info.key] = values;
  }
  py::list errors;
  for (const MeasuredRun& r : results) errors.append(Cp437ToUtf8(r.message));
  columns["error"] = py::module_::import("numpy").attr("array")(errors, "object");
  return columns;
}

py::dict Sweep(const ParameterSet& given, const py::dict& vary, const py::object& jobsArg,
               double threshold, long samples, std::uint64_t seed, const py::object& method,
               const py::object& gatesArg, bool force) {
  const ParameterSet params = WithMethod(given, method);
  const GateTable gates = GatesArgument(gatesArg);
  const SweepPlan plan = MakeSweepPlan(params, Options(params, vary, samples, seed, force, threshold));
  int jobs = 0;
  if (jobsArg.is_none()) {
    const unsigned cores = std::thread::hardware_concurrency();
    jobs = cores == 0 ? 1 : static_cast<int>(cores);
  } else {
    // As many as the command line allows.
    const double wanted = Number(jobsArg);
    if (!(wanted >= 1 && wanted <= 4096) || wanted != static_cast<int>(wanted))
      Raise(PyExc_ValueError, "jobs must be a whole number from 1 to 4096");
    jobs = static_cast<int>(wanted);
  }
  const bool mainThread = OnMainThread();
  SweepRuns runs(params, gates, plan, threshold);
  bool complete = false;
  {
    py::gil_scoped_release release;
    complete = runs.Run(jobs, mainThread);
  }
  if (!complete) throw py::error_already_set();
  return Columns(plan, runs.Results());
}

}  // namespace

void BindSweep(py::module_& m) {
  m.def("sweep", &Sweep, py::arg("params"), py::arg("vary"), py::arg("jobs") = py::none(),
        py::arg("threshold") = 0.0, py::arg("samples") = 0, py::arg("seed") = 1,
        py::arg("method") = py::none(), py::arg("gates") = py::none(), py::arg("force") = false);
}

}  // namespace vantor::python
