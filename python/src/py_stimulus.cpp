// vantor._core.Stimulus: the stimulus a run is driven with, built segment by
// segment from Python or read from a .vtp file, and the clamp-family fits.
#include <pybind11/numpy.h>
#include <pybind11/operators.h>
#include <pybind11/stl.h>

#include "support.h"
#include "vantor/analysis/clamp_curves.h"
#include "vantor/engine/stimulus.h"
#include "vantor/engine/stimulus_file.h"

namespace vantor::python {
namespace {

Stimulus One(const Segment& segment) {
  Stimulus s;
  s.segments.push_back(segment);
  return s;
}

Segment Timed(SegmentKind kind, double onset, double offset) {
  if (offset < onset) Raise(PyExc_ValueError, "offset comes before the onset");
  Segment s;
  s.kind = kind;
  s.onset = onset;
  s.offset = offset;
  return s;
}

// Both in the same clamp; the holding levels add, the segments follow one another.
Stimulus Joined(const Stimulus& a, const Stimulus& b) {
  if (a.mode != b.mode) Raise(PyExc_ValueError, "a current-clamp and a voltage-clamp stimulus cannot be combined");
  if (a.family && b.family) Raise(PyExc_ValueError, "only one of the two may have a family");
  Stimulus s = a;
  s.holding += b.holding;
  s.seriesResistance = std::max(a.seriesResistance, b.seriesResistance);
  const int shift = static_cast<int>(a.segments.size());
  s.segments.insert(s.segments.end(), b.segments.begin(), b.segments.end());
  if (b.family) {
    s.family = b.family;
    if (s.family->target > 0) s.family->target += shift;
  }
  return s;
}

// What ParseStimulus checks, for a stimulus built from Python: the text is
// read back through the same checks.
Stimulus Checked(const Stimulus& s) {
  for (const Segment& segment : s.segments)
    if (segment.kind == SegmentKind::Waveform) return s;  // points already checked
  const StimulusRead read = ParseStimulus(StimulusText(s), "stimulus", "");
  if (!read.stimulus) Raise(PyExc_ValueError, read.error);
  return s;
}

py::dict FitDict(const BoltzmannFit& fit, bool activation) {
  if (!fit.ok) Raise(PyExc_ValueError, fit.error);
  py::dict d;
  d["v_half_mv"] = fit.vHalf;
  d["slope_mv"] = fit.slope;
  d[activation ? "gmax_us" : "imax_na"] = fit.scale;
  if (activation) d["reversal_mv"] = fit.reversal;
  d["residual_na"] = fit.residual;
  return d;
}

}  // namespace

void BindStimulus(py::module_& m) {
  py::class_<Stimulus>(m, "Stimulus",
                       "What drives a run beyond the parameters' step: the clamp mode, a holding\n"
                       "level and segments added to it (the .vtp file of vantor-cli(1)).")
      .def(py::init<>())
      .def_static("load", [](const py::object& path) {
        const StimulusRead read = ReadStimulusFile(PathText(path));
        if (!read.stimulus) Raise(Errors().fileError, read.error);
        return *read.stimulus;
      }, py::arg("path"))
      .def_static("parse", [](const std::string& text, const std::string& directory) {
        const StimulusRead read = ParseStimulus(text, "stimulus", directory);
        if (!read.stimulus) Raise(PyExc_ValueError, read.error);
        return *read.stimulus;
      }, py::arg("text"), py::arg("directory") = "")
      .def("save", [](const Stimulus& s, const py::object& path) {
        for (const Segment& segment : s.segments)
          if (segment.kind == SegmentKind::Waveform && segment.file.empty())
            Raise(PyExc_ValueError, "a waveform given as arrays names no file to save");
        std::string error;
        if (!WriteStimulusFile(PathText(path), s, error)) Raise(Errors().fileError, error);
      }, py::arg("path"))
      .def_property_readonly("text", &StimulusText)
      .def_property_readonly("voltage_clamp", [](const Stimulus& s) { return s.mode == ClampMode::Voltage; })
      .def_readwrite("holding", &Stimulus::holding)
      .def_readwrite("series_resistance", &Stimulus::seriesResistance)
      .def_property_readonly("segment_count", [](const Stimulus& s) { return s.segments.size(); })
      .def_static("step", [](double onset, double offset, double level) {
        Segment s = Timed(SegmentKind::Step, onset, offset);
        s.level = level;
        return One(s);
      }, py::arg("onset"), py::arg("offset"), py::arg("level"))
      .def_static("ramp", [](double onset, double offset, double to, double from) {
        Segment s = Timed(SegmentKind::Ramp, onset, offset);
        s.level = to;
        s.from = from;
        return One(s);
      }, py::arg("onset"), py::arg("offset"), py::arg("to"), py::arg("start") = 0.0)
      .def_static("train", [](double onset, int count, double width, double interval, double amplitude) {
        Segment s;
        s.kind = SegmentKind::Train;
        s.onset = onset, s.count = count, s.width = width, s.interval = interval;
        s.amplitude = amplitude;
        return Checked(One(s));
      }, py::arg("onset"), py::arg("count"), py::arg("width"), py::arg("interval"), py::arg("amplitude"))
      .def_static("sine", [](double onset, double offset, double amplitude, double frequency, double phase) {
        Segment s = Timed(SegmentKind::Sine, onset, offset);
        s.amplitude = amplitude, s.frequency = frequency, s.phase = phase;
        return Checked(One(s));
      }, py::arg("onset"), py::arg("offset"), py::arg("amplitude"), py::arg("frequency"), py::arg("phase") = 0.0)
      .def_static("chirp", [](double onset, double offset, double amplitude, double f0, double f1, bool log) {
        Segment s = Timed(SegmentKind::Chirp, onset, offset);
        s.amplitude = amplitude, s.f0 = f0, s.f1 = f1, s.logSweep = log;
        return Checked(One(s));
      }, py::arg("onset"), py::arg("offset"), py::arg("amplitude"), py::arg("f0"), py::arg("f1"), py::arg("log") = false)
      .def_static("noise", [](double onset, double offset, double sd, double tau, double mean, std::uint64_t seed, double dt) {
        Segment s = Timed(SegmentKind::Noise, onset, offset);
        s.sd = sd, s.tau = tau, s.mean = mean, s.seed = seed, s.dt = dt;
        return Checked(One(s));
      }, py::arg("onset"), py::arg("offset"), py::arg("sd"), py::arg("tau"), py::arg("mean") = 0.0,
         py::arg("seed") = 1, py::arg("dt") = 0.1)
      .def_static("waveform", [](const std::vector<double>& t, const std::vector<double>& values, double onset, double scale) {
        if (t.size() != values.size() || t.size() < 2)
          Raise(PyExc_ValueError, "a waveform needs two arrays of the same length, at least two points");
        for (std::size_t i = 0; i < t.size(); ++i)
          if (!std::isfinite(t[i]) || !std::isfinite(values[i]) || (i > 0 && !(t[i] > t[i - 1])))
            Raise(PyExc_ValueError, "the waveform's times must be finite and strictly increase, its values finite");
        Segment s;
        s.kind = SegmentKind::Waveform;
        s.times = t, s.values = values, s.onset = onset, s.scale = scale;
        return One(s);
      }, py::arg("t"), py::arg("values"), py::arg("onset") = 0.0, py::arg("scale") = 1.0)
      .def("with_family", [](Stimulus s, const py::object& target, const std::vector<double>& values) {
        Family family;
        if (py::isinstance<py::str>(target)) {
          const std::string name = target.cast<std::string>();
          if (name == "holding") family.target = Family::kHolding;
          else if (name == "step" && s.mode == ClampMode::Current) family.target = Family::kParameterStep;
          else Raise(PyExc_ValueError, "a family's target is \"holding\", \"step\" (current clamp) or a segment number from 1: " + name);
        } else {
          const int n = target.cast<int>();
          if (n < 1 || static_cast<std::size_t>(n) > s.segments.size())
            Raise(PyExc_ValueError, "a family's segment is one of 1 .. " + std::to_string(s.segments.size()) + ": " + std::to_string(n));
          family.target = n;
        }
        if (values.empty() || values.size() > 1000) Raise(PyExc_ValueError, "a family has 1 to 1000 values");
        for (const double v : values)
          if (!std::isfinite(v)) Raise(PyExc_ValueError, "a family's values must be finite");
        family.values = values;
        s.family = family;
        return s;
      }, py::arg("target"), py::arg("values"),
         "The stimulus with a family: one run per value of the holding level, the parameters' step or segment N.")
      .def_property_readonly("family_size", [](const Stimulus& s) { return s.family ? s.family->values.size() : 0; })
      .def("_members", [](const Stimulus& s) {
        py::list out;
        for (FamilyMember& m : ExpandFamily(s))
          out.append(py::make_tuple(std::move(m.stimulus),
                                    m.parameterStep ? py::cast(*m.parameterStep) : py::none(), m.label));
        return out;
      })
      .def("__add__", &Joined)
      .def("__eq__", [](const Stimulus& a, const Stimulus& b) { return a == b; })
      .def("__repr__", [](const Stimulus& s) {
        return "<vantor.Stimulus " + std::string(s.mode == ClampMode::Voltage ? "voltage" : "current") +
               " clamp, " + std::to_string(s.segments.size()) + " segments" +
               (s.family ? ", a family of " + std::to_string(s.family->values.size()) : "") + ">";
      });
  // The series resistance comes as an object: beside *args pybind11 takes a
  // keyword double only as a float, and series_resistance=0 must work.
  m.def("voltage_clamp", [](double holding, const py::args& parts, const py::object& resistance) {
    if (!PyNumber_Check(resistance.ptr()) || PyBool_Check(resistance.ptr()))
      Raise(PyExc_TypeError, "series_resistance must be a number of MOhm");
    const double seriesResistance = py::float_(resistance).cast<double>();
    Stimulus s;
    s.mode = ClampMode::Voltage;
    s.holding = holding;
    if (seriesResistance < 0) Raise(PyExc_ValueError, "series_resistance must be 0 (an ideal clamp) or more MOhm");
    s.seriesResistance = seriesResistance;
    for (const py::handle& part : parts) {
      Stimulus p = part.cast<Stimulus>();
      p.mode = ClampMode::Voltage;
      s = Joined(s, p);
    }
    return s;
  }, py::arg("holding"), py::kw_only(), py::arg("series_resistance") = py::float_(0.0));
  m.def("_measure_step", [](const std::vector<double>& t, const std::vector<double>& i, double onset, double offset) {
    StepCurrents c;
    if (!MeasureStep(t, i, onset, offset, c)) Raise(PyExc_ValueError, "no sample lies in the step");
    return py::make_tuple(c.peak, c.peakTime, c.steady);
  });
  m.def("fit_activation", [](const std::vector<double>& v, const std::vector<double>& i) {
    return FitDict(FitActivation(v, i), true);
  }, py::arg("levels"), py::arg("currents"),
     "I = gmax (V - E) / (1 + exp((V1/2 - V) / k)) by GSL's least squares.");
  m.def("fit_inactivation", [](const std::vector<double>& v, const std::vector<double>& i) {
    return FitDict(FitInactivation(v, i), false);
  }, py::arg("levels"), py::arg("currents"), "I = Imax / (1 + exp((V - V1/2) / k)).");
}

}  // namespace vantor::python
