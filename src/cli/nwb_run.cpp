#include "cli/nwb_run.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "vantor/analysis/measures.h"
#include "vantor/analysis/spikes.h"
#include "vantor/files/csv_sink.h"
#include "vantor/nwb/nwb_columns.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/nwb/run_provenance.h"
#include "vantor/params/parameter_file.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

// Parameter files and gate tables are a few kilobytes.
constexpr std::streamsize kMostInputBytes = 1 << 20;

bool ReadBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() && static_cast<std::streamsize>(bytes.size()) <= kMostInputBytes;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// A folder of the command's own for the files it passes to the readers and
// writers; removed with everything in it when the command ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = "/tmp/vantor-nwb-XXXXXX";
    if (MakeTemporaryFolder(pattern)) path_ = pattern;
  }
  ~ScratchFolder() {
    if (!path_.empty()) RemoveTemporaryFolder(path_);
  }
  bool Ok() const { return !path_.empty(); }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A grid from t = 0 (the rows of --dt): its rate, else none.
std::optional<double> RegularRate(const std::vector<double>& t) {
  if (t.size() < 3 || t[0] != 0) return std::nullopt;
  const double step = t[1];
  if (!(step > 0)) return std::nullopt;
  for (std::size_t i = 1; i < t.size(); ++i)
    if (std::fabs(t[i] - static_cast<double>(i) * step) > 1e-9 * t[i]) return std::nullopt;
  return 1000.0 / step;
}

std::vector<double> SpikeTimesOf(const std::vector<double>& t, const std::vector<double>& v) {
  VmTrace trace;
  trace.t = t;
  trace.v = v;
  return SpikeTimes(FindSpikes(trace, MeasureSettings{}.rule));
}

std::string StepDescription(const ParameterSet& p) {
  return "a step of " + FormatShortest(p.Value(param::InjectedCurrent)) + " nA from " +
         FormatShortest(p.Value(param::StepOnset)) + " to " +
         FormatShortest(p.Value(param::StepOffset)) + " ms on a base current of " +
         FormatShortest(p.Value(param::BaseCurrent)) + " nA, over " +
         FormatShortest(p.Value(param::TrialDuration)) + " ms";
}

}  // namespace

std::string FromConflict(const RunOptions& options) {
  if (!options.parameterFile.empty()) return "a parameter file";
  if (!options.settings.empty()) return "--set or --method";
  if (!options.gatesFile.empty()) return "--gates";
  if (!options.limitsFile.empty()) return "--limits";
  if (!options.tolerance.empty()) return "--tolerance";
  if (!options.overlayFiles.empty()) return "--overlay";
  return "";
}

int LoadNwbInputs(const std::string& path, RunInputs& inputs, double& tolerance) {
  inputs.files.push_back(path);
  const nwb::ReadProvenance read = nwb::ReadRecordingProvenance(path);
  if (!read.provenance) {
    PrintError("Cannot remake the run of " + path + ": " + read.error);
    return kExitRefused;
  }
  const nwb::Provenance& p = *read.provenance;
  ScratchFolder scratch;
  if (!scratch.Ok()) {
    PrintError("Cannot remake the run of " + path + ": no temporary folder could be made");
    return kExitRefused;
  }
  const std::string parameters = scratch.File("run.vt4");
  const std::string gates = scratch.File("vmodels.val");
  if (!WriteBytes(parameters, p.parameterFile) || !WriteBytes(gates, p.gateTable)) {
    PrintError("Cannot remake the run of " + path + ": the temporary folder cannot be written");
    return kExitRefused;
  }
  CollectedMessages messages;
  if (!ReadParameterFile(parameters, inputs.params, messages) ||
      !LoadGateTable(gates, inputs.gates, messages)) {
    PrintError("Cannot remake the run of " + path +
               ": its parameter file or gate table does not read back" +
               (messages.entries.empty() ? std::string() : " (" + messages.entries[0].text + ")"));
    return kExitRefused;
  }
  if (const std::string misfit = nwb::ApplyProvenance(p, inputs.params); !misfit.empty()) {
    PrintError("Cannot remake the run of " + path + ": " + misfit);
    return kExitRefused;
  }
  inputs.gateTable = p.gateTable;
  if (nwb::FingerprintText(inputs.params, inputs.gates) != p.fingerprint)
    PrintWarning(path + " names inputs of fingerprint " + p.fingerprint +
                 ", but its parameters and gate table give " +
                 nwb::FingerprintText(inputs.params, inputs.gates) +
                 ": the file was changed or made by another version");
  tolerance = p.tolerance;
  return 0;
}

std::string WriteNwbRun(const std::string& path, SampleColumns& samples, const RunInputs& inputs,
                        double tolerance, const std::string& source) {
  const ParameterSet& params = inputs.params;
  nwb::Recording recording;
  recording.identifier = nwb::NewIdentifier();
  recording.sessionDescription =
      params.Comment().empty() ? "A simulated cell: " + source : params.Comment();
  recording.startTime = nwb::StartTimeNow();
  recording.provenance = nwb::RunProvenance(params, inputs.gates, tolerance, VANTOR_VERSION);
  recording.provenance.gateTable = inputs.gateTable;
  if (inputs.gateTable.empty() && !ReadBytes(inputs.gatesPath, recording.provenance.gateTable))
    return "the gate table " + inputs.gatesPath + " cannot be read again";
  {
    ScratchFolder scratch;
    if (!scratch.Ok()) return "no temporary folder could be made";
    const std::string file = scratch.File("run.vt4");
    SilentMessages quiet;
    if (!WriteParameterFile(file, params, quiet, &CommandTemporaries()) ||
        !ReadBytes(file, recording.provenance.parameterFile))
      return "the parameter set could not be written to a temporary folder";
  }
  std::vector<std::vector<double>> columns = samples.Take();
  const std::vector<double> spikes = SpikeTimesOf(columns[0], columns[1]);
  const std::optional<double> rate = RegularRate(columns[0]);
  nwb::Sweep sweep = nwb::CurrentClampSweep(1, CsvColumnNames(params), std::move(columns), rate);
  sweep.spikeTimesMs = spikes;
  sweep.description = StepDescription(params);
  recording.sweeps.push_back(std::move(sweep));
  return nwb::WriteRecording(path, recording);
}

int CompareWithNwb(const std::string& path, const SampleColumns& samples) {
  const nwb::ReadSweep read = nwb::ReadRecordingSweep(path, 1);
  if (!read.sweep) {
    PrintError("The run of " + path + " was remade, but its first sweep cannot be read: " +
               read.error);
    return kExitRefused;
  }
  const nwb::Sweep& stored = *read.sweep;
  const std::vector<double>& t = samples.Column(0);
  const std::vector<double>& v = samples.Column(1);
  const std::vector<double> spikes = SpikeTimesOf(t, v);
  std::vector<double> storedTimes = stored.timeMs;
  if (stored.rateHz)
    for (std::size_t i = 0; i < stored.response.values.size(); ++i)
      storedTimes.push_back(static_cast<double>(i) * 1000.0 / *stored.rateHz);
  const std::size_t n = stored.response.values.size();
  if (n != v.size() || storedTimes.size() != n) {
    PrintError("The remade run differs from " + path + ": " + std::to_string(v.size()) +
               " samples against the file's " + std::to_string(n));
    return kExitRefused;
  }
  double worst = 0, worstAt = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double dv = std::fabs(v[i] - stored.response.values[i]);
    // Times go to the file in seconds: back in ms they may differ in the last bit.
    double dt = std::fabs(t[i] - storedTimes[i]);
    if (dt <= 1e-14 * std::fabs(t[i])) dt = 0;
    if (std::max(dv, dt) > worst) worst = std::max(dv, dt), worstAt = t[i];
  }
  bool sameSpikes = spikes.size() == stored.spikeTimesMs.size();
  for (std::size_t i = 0; sameSpikes && i < spikes.size(); ++i)
    sameSpikes = std::fabs(spikes[i] - stored.spikeTimesMs[i]) <= 1e-9 * std::fabs(spikes[i]);
  if (worst == 0 && sameSpikes) {
    std::fprintf(stderr, "The remade run matches %s: %zu samples and %zu spikes, every one the same.\n",
                 path.c_str(), n, spikes.size());
    return 0;
  }
  PrintError("The remade run differs from " + path + ": up to " + FormatShortest(worst) +
             " (mV or ms) at t = " + FormatShortest(worstAt) + " ms; " +
             std::to_string(spikes.size()) + " spikes against the file's " +
             std::to_string(stored.spikeTimesMs.size()));
  return kExitRefused;
}

}  // namespace vantor::cli
