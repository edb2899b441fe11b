// The analyses of ramps, chirps and clamp currents: rheobase, impedance,
// exponential fits and channel names.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "support.h"
#include "vantor/analysis/clamp_family.h"
#include "vantor/analysis/ramp_chirp.h"
#include "vantor/analysis/spikes.h"

namespace py = pybind11;

namespace vantor::python {
namespace {

py::array_t<double> Array(const std::vector<double>& v) {
  return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}

double OnsetArgument(const ParameterSet& params, const py::object& onset) {
  const double at = onset.is_none() ? params.Value(param::StepOnset) : Number(onset);
  if (!(at >= 0)) Raise(PyExc_ValueError, "onset must be 0 ms or more");
  return at;
}

py::dict Rheobase(const ParameterSet& given, const std::tuple<double, double, double>& ramp,
                  const py::object& onset, double threshold, double dvdt,
                  const py::object& method, const py::object& gatesArg) {
  ParameterSet params = WithMethod(given, method);
  const GateTable gates = GatesArgument(gatesArg);
  Ramp r{std::get<0>(ramp), std::get<1>(ramp), OnsetArgument(params, onset), std::get<2>(ramp)};
  if (!(r.duration > 0) || !(r.to > r.from))
    Raise(PyExc_ValueError, "ramp needs (from, to, duration): rising to `to` (nA), ms above 0");
  SpikeRule rule{threshold, dvdt};
  vantor::Rheobase found;
  {
    py::gil_scoped_release release;
    RunFlags flags;
    found = RunRampRheobase(params, gates, r, rule, flags);
  }
  if (!found.ok) Raise(PyExc_ValueError, found.error);
  py::dict d;
  d["current_na"] = found.current;
  d["spike_time_ms"] = found.spikeTime;
  d["rate_na_per_ms"] = found.rate;
  return d;
}

py::dict Impedance(const ParameterSet& given, const std::tuple<double, double, double, double>& c,
                   const py::object& onset, bool logSweep, const py::object& method,
                   const py::object& gatesArg) {
  ParameterSet params = WithMethod(given, method);
  const GateTable gates = GatesArgument(gatesArg);
  Chirp chirp{std::get<0>(c), std::get<1>(c), OnsetArgument(params, onset), std::get<2>(c),
              std::get<3>(c), logSweep};
  ImpedanceProfile z;
  {
    py::gil_scoped_release release;
    RunFlags flags;
    z = RunChirpImpedance(params, gates, chirp, flags);
  }
  if (!z.ok) Raise(PyExc_ValueError, z.error);
  py::dict d;
  d["frequency_hz"] = Array(z.frequency);
  d["z_mohm"] = Array(z.magnitude);
  d["peak_hz"] = z.peakFrequency;
  d["peak_mohm"] = z.peakMagnitude;
  d["spikes"] = z.spikes;
  return d;
}

}  // namespace

void BindAnalysis(py::module_& m) {
  m.def("rheobase", &Rheobase, py::arg("params"), py::arg("ramp"), py::arg("onset") = py::none(),
        py::arg("threshold") = -20.0, py::arg("dvdt") = 20.0, py::arg("method") = py::none(),
        py::arg("gates") = py::none(),
        "The current at the first spike of a ramp (from, to, duration) in nA, nA, ms added to\n"
        "the base current from `onset` (default: the step's onset), the parameters' step\n"
        "switched off, as vantor-cli rheobase: {current_na, spike_time_ms, rate_na_per_ms}.\n"
        "ValueError when no spike comes during the ramp.");
  m.def("impedance", &Impedance, py::arg("params"), py::arg("chirp"),
        py::arg("onset") = py::none(), py::arg("log") = false, py::arg("method") = py::none(),
        py::arg("gates") = py::none(),
        "The impedance profile of a chirp (f0, f1, duration, amplitude) in Hz, Hz, ms, nA, as\n"
        "vantor-cli impedance: {frequency_hz, z_mohm (arrays), peak_hz, peak_mohm, spikes}.");
  m.def("fit_exponential", [](const std::vector<double>& t, const std::vector<double>& i,
                              double start, double end) {
    const ExponentialFit f = FitExponential(t, i, start, end);
    if (!f.ok) Raise(PyExc_ValueError, f.error);
    py::dict d;
    d["amplitude_na"] = f.amplitude;
    d["tau_ms"] = f.tau;
    d["offset_na"] = f.offset;
    d["residual_na"] = f.residual;
    return d;
  }, py::arg("t"), py::arg("i"), py::arg("start"), py::arg("end"),
     "I = A exp(-(t - t0) / tau) + C over the samples from start to end (ms) by GSL's least squares.");
  m.def("fit_tail_activation", [](const std::vector<double>& v, const std::vector<double>& i) {
    const BoltzmannFit f = FitTailActivation(v, i);
    if (!f.ok) Raise(PyExc_ValueError, f.error);
    py::dict d;
    d["v_half_mv"] = f.vHalf;
    d["slope_mv"] = f.slope;
    d["imax_na"] = f.scale;
    d["closed_na"] = f.offset;
    d["residual_na"] = f.residual;
    return d;
  }, py::arg("levels"), py::arg("currents"),
     "I = C + Imax / (1 + exp((V1/2 - V) / k)) of the first tail currents after steps to V:\n"
     "C (closed_na) the tail with the channel closed, k < 0 when it opens on hyperpolarisation.");
  m.def("_channel_name", [](const std::string& name) {
    const int slot = ChannelSlot(name);
    if (slot < 0) Raise(PyExc_ValueError, "no channel called " + name);
    return ChannelName(slot);
  });
  m.def("_channel_slot", [](const std::string& name) {
    const int slot = ChannelSlot(name);
    if (slot < 0) Raise(PyExc_ValueError, "no channel called " + name);
    return slot;
  });
}

}  // namespace vantor::python
