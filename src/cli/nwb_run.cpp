#include "cli/nwb_run.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "vantor/analysis/measures.h"
#include "vantor/analysis/spikes.h"
#include "vantor/engine/stimulus_file.h"
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

// The stimulus as the provenance keeps it: its text, with each waveform file
// named by its full path so that the run can be remade from elsewhere.
std::string ProvenanceStimulus(Stimulus stimulus) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(stimulus.name).parent_path();
  for (Segment& segment : stimulus.segments) {
    if (segment.kind != SegmentKind::Waveform || segment.file.empty() ||
        segment.file.front() == '/')
      continue;
    std::error_code failed;
    const fs::path full = fs::absolute(folder / segment.file, failed);
    if (!failed) segment.file = full.lexically_normal().string();
  }
  return StimulusText(stimulus);
}

// The column the sweep's response holds: V-m, or in voltage clamp the clamp
// current (the last column).
std::size_t ResponseColumn(const KeptRun& run) {
  return run.columns.size() > kSampleColumnCount ? run.columns.size() - 1 : 1;
}

}  // namespace

std::vector<std::string> RunColumnNames(const ParameterSet& params, const Stimulus* stimulus) {
  std::vector<std::string> names = CsvColumnNames(params);
  if (stimulus && stimulus->mode == ClampMode::Voltage) {
    names.push_back("V-cmd (mV)");
    names.push_back("I-clamp (nA)");
  }
  return names;
}

std::string RunDescription(const ParameterSet& params, const Stimulus* stimulus,
                           const std::string& label) {
  if (!stimulus) return StepDescription(params);
  const std::string file = std::filesystem::path(stimulus->name).filename().string();
  std::string text = stimulus->mode == ClampMode::Voltage ? "a voltage clamp" : "a current stimulus";
  if (!file.empty()) text += " from " + file;
  if (!label.empty()) text += ", " + label;
  return text + ", over " + FormatShortest(params.Value(param::TrialDuration)) + " ms";
}

std::string FromConflict(const RunOptions& options) {
  if (!options.parameterFile.empty()) return "a parameter file";
  if (!options.settings.empty()) return "--set or --method";
  if (!options.gatesFile.empty()) return "--gates";
  if (!options.limitsFile.empty()) return "--limits";
  if (!options.tolerance.empty()) return "--tolerance";
  if (!options.overlayFiles.empty()) return "--overlay";
  if (!options.drugs.empty()) return "--drug";
  if (!options.stimulusFile.empty() || options.noStimulus) return "--stimulus or --no-stimulus";
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
  if (!p.stimulus.empty()) {
    // Waveform files named without a folder are looked for beside the NWB file.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    StimulusRead stimulus = ParseStimulus(p.stimulus, path + " (its stimulus)", folder);
    if (!stimulus.stimulus) {
      PrintError("Cannot remake the run of " + path + ": " + stimulus.error);
      return kExitRefused;
    }
    inputs.stimulus = std::move(stimulus.stimulus);
  }
  if (nwb::FingerprintText(inputs.params, inputs.gates) != p.fingerprint)
    PrintWarning(path + " names inputs of fingerprint " + p.fingerprint +
                 ", but its parameters and gate table give " +
                 nwb::FingerprintText(inputs.params, inputs.gates) +
                 ": the file was changed or made by another version");
  tolerance = p.tolerance;
  return 0;
}

std::string WriteNwbRun(const std::string& path, std::vector<KeptRun> runs,
                        const RunInputs& inputs, double tolerance, const std::string& source) {
  const ParameterSet& params = inputs.params;
  const Stimulus* stimulus = inputs.stimulus ? &*inputs.stimulus : nullptr;
  nwb::Recording recording;
  recording.identifier = nwb::NewIdentifier();
  recording.sessionDescription =
      params.Comment().empty() ? "A simulated cell: " + source : params.Comment();
  recording.startTime = nwb::StartTimeNow();
  recording.provenance = nwb::RunProvenance(params, inputs.gates, tolerance, VANTOR_VERSION);
  recording.provenance.gateTable = inputs.gateTable;
  if (stimulus) recording.provenance.stimulus = ProvenanceStimulus(*stimulus);
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
  const std::vector<std::string> names = RunColumnNames(params, stimulus);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    std::vector<std::vector<double>>& columns = runs[i].columns;
    const std::vector<double> spikes = SpikeTimesOf(columns[0], columns[1]);
    const std::optional<double> rate = RegularRate(columns[0]);
    const auto number = static_cast<std::uint32_t>(i + 1);
    nwb::Sweep sweep = names.size() > kSampleColumnCount
                           ? nwb::VoltageClampSweep(number, names, std::move(columns), rate)
                           : nwb::CurrentClampSweep(number, names, std::move(columns), rate);
    sweep.spikeTimesMs = spikes;
    sweep.description = std::move(runs[i].description);
    recording.sweeps.push_back(std::move(sweep));
  }
  return nwb::WriteRecording(path, recording);
}

namespace {

// The worst difference of a remade run from a stored sweep, or a message
// when they cannot be set side by side.
struct SweepDifference {
  std::string mismatch;
  double worst = 0, worstAt = 0;
  std::size_t spikes = 0, storedSpikes = 0;
  bool sameSpikes = true;
};

SweepDifference CompareSweep(const KeptRun& run, const nwb::Sweep& stored) {
  SweepDifference d;
  const std::vector<double>& t = run.columns[0];
  const std::vector<double>& response = run.columns[ResponseColumn(run)];
  const bool clamp = run.columns.size() > kSampleColumnCount;
  if (clamp != stored.voltageClamp) {
    d.mismatch = clamp ? "a voltage clamp against the file's current clamp"
                       : "a current clamp against the file's voltage clamp";
    return d;
  }
  std::vector<double> storedTimes = stored.timeMs;
  if (stored.rateHz)
    for (std::size_t i = 0; i < stored.response.values.size(); ++i)
      storedTimes.push_back(static_cast<double>(i) * 1000.0 / *stored.rateHz);
  const std::size_t n = stored.response.values.size();
  if (n != response.size() || storedTimes.size() != n) {
    d.mismatch = std::to_string(response.size()) + " samples against the file's " +
                 std::to_string(n);
    return d;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const double dv = std::fabs(response[i] - stored.response.values[i]);
    // Times go to the file in seconds: back in ms they may differ in the last bit.
    double dt = std::fabs(t[i] - storedTimes[i]);
    if (dt <= 1e-14 * std::fabs(t[i])) dt = 0;
    if (std::max(dv, dt) > d.worst) d.worst = std::max(dv, dt), d.worstAt = t[i];
  }
  const std::vector<double> spikes = SpikeTimesOf(t, run.columns[1]);
  d.spikes = spikes.size();
  d.storedSpikes = stored.spikeTimesMs.size();
  d.sameSpikes = spikes.size() == stored.spikeTimesMs.size();
  for (std::size_t i = 0; d.sameSpikes && i < spikes.size(); ++i)
    d.sameSpikes = std::fabs(spikes[i] - stored.spikeTimesMs[i]) <= 1e-9 * std::fabs(spikes[i]);
  return d;
}

}  // namespace

int CompareWithNwb(const std::string& path, const std::vector<KeptRun>& runs,
                   const RunInputs& inputs) {
  const bool family = inputs.stimulus && inputs.stimulus->family;
  std::size_t samples = 0, spikes = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto number = static_cast<std::uint32_t>(i + 1);
    const std::string which = family ? "sweep " + std::to_string(number) : "its first sweep";
    const nwb::ReadSweep read = nwb::ReadRecordingSweep(path, number);
    if (!read.sweep) {
      PrintError("The run of " + path + " was remade, but " + which + " cannot be read: " +
                 read.error);
      return kExitRefused;
    }
    const SweepDifference d = CompareSweep(runs[i], *read.sweep);
    const std::string in = family ? " in sweep " + std::to_string(number) : std::string();
    if (!d.mismatch.empty()) {
      PrintError("The remade run differs from " + path + in + ": " + d.mismatch);
      return kExitRefused;
    }
    if (d.worst != 0 || !d.sameSpikes) {
      PrintError("The remade run differs from " + path + in + ": up to " +
                 FormatShortest(d.worst) + (ResponseColumn(runs[i]) == 1 ? " (mV or ms)" : " (nA or ms)") +
                 " at t = " + FormatShortest(d.worstAt) + " ms; " + std::to_string(d.spikes) +
                 (d.spikes == 1 ? " spike" : " spikes") + " against the file's " +
                 std::to_string(d.storedSpikes));
      return kExitRefused;
    }
    samples += runs[i].columns[0].size();
    spikes += d.spikes;
  }
  if (family && nwb::ReadRecordingSweep(path, static_cast<std::uint32_t>(runs.size() + 1)).sweep) {
    PrintError("The remade family differs from " + path + ": its " + std::to_string(runs.size()) +
               " runs against more sweeps in the file");
    return kExitRefused;
  }
  const char* spikeWord = spikes == 1 ? "spike" : "spikes";
  if (family)
    std::fprintf(stderr,
                 "The remade family matches %s: %zu sweeps, %zu samples and %zu %s, every one "
                 "the same.\n",
                 path.c_str(), runs.size(), samples, spikes, spikeWord);
  else
    std::fprintf(stderr, "The remade run matches %s: %zu samples and %zu %s, every one the same.\n",
                 path.c_str(), samples, spikes, spikeWord);
  return 0;
}

}  // namespace vantor::cli
