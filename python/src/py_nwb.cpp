// vantor.save_nwb: finished runs as one NWB file, a sweep each, with what
// remakes the first (vantor-cli run --from FILE.nwb).
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support.h"
#include "vantor/engine/stimulus.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/files/output_file.h"
#include "vantor/nwb/nwb_columns.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/nwb/run_inputs.h"
#include "vantor/nwb/run_provenance.h"

namespace vantor::python {
namespace {

// The parameter set as a .vt4 file's bytes, or FileError.
std::vector<std::uint8_t> ParameterFileBytesOrRaise(const ParameterSet& params) {
  std::optional<std::vector<std::uint8_t>> bytes = nwb::ParameterFileBytes(params);
  if (!bytes) Raise(Errors().fileError, "the parameter set could not be written");
  return std::move(*bytes);
}

// runs: (data, names, spikes, params, method, gates, tolerance, stimulus, label) for each
// result, as vantor.run made it; data's rows are time, then the traces.
void SaveNwb(const py::list& runs, const py::object& pathArg) {
  const std::string path = PathText(pathArg);
  if (!nwb::Available())
    Raise(PyExc_RuntimeError, "this build of vantor has no HDF5: NWB files are not available");
  if (runs.empty()) Raise(PyExc_ValueError, "save_nwb needs at least one result");
  nwb::Recording recording;
  recording.identifier = nwb::NewIdentifier();
  recording.startTime = nwb::StartTimeNow();
  ParameterSet first;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const py::tuple run = runs[i].cast<py::tuple>();
    const auto data = run[0].cast<py::array_t<double, py::array::c_style | py::array::forcecast>>();
    const auto names = run[1].cast<std::vector<std::string>>();
    const auto spikes = run[2].cast<std::vector<double>>();
    const ParameterSet params = WithMethod(run[3].cast<const ParameterSet&>(), run[4]);
    const GateTable& gates = GatesArgument(run[5]);
    const double tolerance = run[6].is_none() ? 0.0 : Number(run[6]);
    const std::optional<Stimulus> stimulus =
        run[7].is_none() ? std::nullopt : std::optional<Stimulus>(run[7].cast<Stimulus>());
    const std::string label = run[8].cast<std::string>();
    if (data.ndim() != 2 || static_cast<std::size_t>(data.shape(0)) != names.size() + 1 ||
        names.size() < 2)
      Raise(PyExc_ValueError, "result " + std::to_string(i) + " has no samples to save");
    std::vector<std::vector<double>> columns;
    const py::ssize_t n = data.shape(1);
    for (py::ssize_t row = 0; row < data.shape(0); ++row)
      columns.emplace_back(data.data(row, 0), data.data(row, 0) + n);
    std::vector<std::string> labels{"time (ms)"};
    labels.insert(labels.end(), names.begin(), names.end());
    // VoltageClampSweep is a current-clamp sweep without the clamp's columns.
    nwb::Sweep sweep = nwb::VoltageClampSweep(static_cast<std::uint32_t>(i + 1), labels,
                                              std::move(columns));
    sweep.spikeTimesMs = spikes;
    if (i == 0) {
      first = params;
      recording.sessionDescription =
          params.Comment().empty() ? std::string("A simulated cell") : params.Comment();
      recording.provenance = nwb::RunProvenance(params, gates, tolerance, VANTOR_VERSION);
      recording.provenance.parameterFile = ParameterFileBytesOrRaise(params);
      recording.provenance.gateTable = nwb::GateTableBytes(gates);
      if (stimulus) {
        for (const Segment& segment : stimulus->segments)
          if (segment.kind == SegmentKind::Waveform && segment.file.empty())
            Raise(PyExc_ValueError, "a waveform given as arrays names no file for the NWB file to remake it from");
        recording.provenance.stimulus = StimulusText(*stimulus);
      }
    }
    sweep.description = nwb::SweepDescription(first, params, i);
    if (!label.empty()) sweep.description = label;
    recording.sweeps.push_back(std::move(sweep));
  }
  OutputFile out;
  if (!out.Open(path)) Raise(Errors().fileError, path + ": " + std::strerror(errno));
  std::string failure;
  {
    py::gil_scoped_release release;
    failure = nwb::WriteRecording(out.HandOver(), recording);
  }
  if (!failure.empty()) Raise(Errors().fileError, path + ": " + failure);
  if (!out.Commit()) Raise(Errors().fileError, path + ": the file could not be put in place");
}

}  // namespace

void BindNwb(py::module_& m) {
  m.def("_save_nwb", &SaveNwb, py::arg("runs"), py::arg("path"));
  m.attr("nwb_available") = nwb::Available();
}

}  // namespace vantor::python
