// vantor._core.sweep: a sweep checked and run by the core (the runner of
// "vantor-cli sweep") with the GIL released; the columns of its rows come
// back as arrays.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_request.h"
#include "vantor/sweep/sweep_runner.h"
#include "vantor/text/text_helpers.h"
#include "measure_arguments.h"
#include "support.h"

namespace vantor::python {
namespace {

// One axis: a "FROM:TO:COUNT" or list string as given, or the values of a
// sequence (or of one number).
AxisRequest Axis(int index, const py::handle& values) {
  AxisRequest axis;
  axis.index = index;
  if (py::isinstance<py::str>(values)) {
    axis.text = values.cast<std::string>();
    return axis;
  }
  py::object items = py::reinterpret_borrow<py::object>(values);
  if (!py::isinstance<py::iterable>(values)) items = py::make_tuple(values);
  for (const py::handle& item : items) {
    const float v = static_cast<float>(Number(item));
    if (!std::isfinite(v)) Raise(PyExc_ValueError, "a swept value must be a finite number");
    axis.values.push_back(v);
  }
  if (axis.values.empty()) Raise(PyExc_ValueError, "a swept parameter needs at least one value");
  return axis;
}

SweepPlan MakePlan(const ParameterSet& params, const py::dict& vary, long samples,
                   std::uint64_t seed, bool force) {
  SweepRequest request;
  // The parameter as Python names it (an index, a name): a KeyError or
  // IndexError here, before the plan is checked.
  for (const auto& [key, values] : vary) request.axes.push_back(Axis(ParameterIndex(params, key), values));
  if (samples < 0) Raise(PyExc_ValueError, "samples must be 0 (the grid) or more");
  request.samples = samples;
  request.seed = seed;
  request.force = force;
  SweepPlan plan;
  const PlanRefusal refusal = MakeSweepPlan(request, params, {"vary", "force=True"}, plan);
  if (refusal) Raise(PyExc_ValueError, Cp437ToUtf8(refusal.text));
  return plan;
}

// Ctrl+C on the main thread stops the sweep: Python looks at its signals
// now and then (taking the GIL), never more than ten times a second.
class SignalCheck {
 public:
  explicit SignalCheck(bool mainThread) : mainThread_(mainThread) {}
  bool operator()() {
    if (!mainThread_ || interrupted) return interrupted;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return false;
    last_ = now;
    py::gil_scoped_acquire gil;
    interrupted = PyErr_CheckSignals() != 0;
    return interrupted;
  }
  bool interrupted = false;

 private:
  bool mainThread_;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Columns in the order of the sweep file: run, the varied parameters, the
// measures, error. Measures of a run that did not complete are NaN (the
// class "").
py::dict Columns(const SweepPlan& plan, const std::vector<SweepResult>& results) {
  const py::ssize_t n = static_cast<py::ssize_t>(results.size());
  py::dict columns;
  py::array_t<long long> runs(n);
  for (py::ssize_t i = 0; i < n; ++i) runs.mutable_data()[i] = i;
  columns["run"] = runs;
  std::vector<py::array_t<double>> axes;
  for (std::size_t a = 0; a < plan.axes.size(); ++a) axes.emplace_back(n);
  for (py::ssize_t i = 0; i < n; ++i) {
    const std::vector<float>& point = results[static_cast<std::size_t>(i)].point;
    for (std::size_t a = 0; a < axes.size(); ++a) axes[a].mutable_data()[i] = point[a];
  }
  for (std::size_t a = 0; a < axes.size(); ++a) columns[py::str(plan.axes[a].name)] = axes[a];
  for (const MeasureInfo& info : MeasureTable()) {
    if (info.id == MeasureId::Class) {
      py::list classes;
      for (const SweepResult& result : results) {
        const MeasuredRun& r = result.measured;
        classes.append(r.outcome == RunOutcome::Completed ? ActivityClassName(r.measures.activity) : "");
      }
      columns[info.key] = py::module_::import("numpy").attr("array")(classes, "object");
      continue;
    }
    py::array_t<double> values(n);
    for (py::ssize_t i = 0; i < n; ++i) {
      const MeasuredRun& r = results[static_cast<std::size_t>(i)].measured;
      values.mutable_data()[i] =
          r.outcome == RunOutcome::Completed ? MeasureValue(r.measures, info.id) : kNoValue;
    }
    columns[info.key] = values;
  }
  for (const bool to : {false, true}) {
    py::array_t<double> edges(n);
    for (py::ssize_t i = 0; i < n; ++i) {
      const MeasuredRun& r = results[static_cast<std::size_t>(i)].measured;
      const MeasureWindow& w = r.measures.window;
      edges.mutable_data()[i] = r.outcome == RunOutcome::Completed ? (to ? w.to : w.from) : kNoValue;
    }
    columns[to ? "window_to_ms" : "window_from_ms"] = edges;
  }
  py::list errors;
  for (const SweepResult& r : results) errors.append(Cp437ToUtf8(r.measured.message));
  columns["error"] = py::module_::import("numpy").attr("array")(errors, "object");
  return columns;
}

py::dict Sweep(const ParameterSet& given, const py::dict& vary, const py::object& jobsArg,
               const py::object& threshold, const py::object& dvdt, const py::object& window,
               long samples, std::uint64_t seed, const py::object& method,
               const py::object& gatesArg, bool force) {
  const MeasureSettings settings = MeasureArguments(threshold, dvdt, window);
  const ParameterSet params = WithMethod(given, method);
  const GateTable gates = GatesArgument(gatesArg);
  const SweepPlan plan = MakePlan(params, vary, samples, seed, force);
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
  std::vector<long> order(static_cast<std::size_t>(plan.Runs()));
  for (std::size_t r = 0; r < order.size(); ++r) order[r] = static_cast<long>(r);
  const SweepJob job(params, gates, plan, std::move(order), settings);
  SignalCheck signals(OnMainThread());
  std::vector<SweepResult> results;
  {
    py::gil_scoped_release release;
    RunSweep(job, jobs, results, [&] { return signals(); });
  }
  if (signals.interrupted) throw py::error_already_set();
  return Columns(plan, results);
}

}  // namespace

void BindSweep(py::module_& m) {
  m.def("sweep", &Sweep, py::arg("params"), py::arg("vary"), py::arg("jobs") = py::none(),
        py::arg("threshold") = -20.0, py::arg("dvdt") = 20.0,
        py::arg("window") = py::none(), py::arg("samples") = 0, py::arg("seed") = 1,
        py::arg("method") = py::none(), py::arg("gates") = py::none(), py::arg("force") = false);
}

}  // namespace vantor::python
