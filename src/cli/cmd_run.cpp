// vantor-cli run: one run of the cell, headless, from the built-in parameters
// or a parameter file, with settings changed on the command line.
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "vantor/files/csv_sink.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/interrupts.h"
#include "cli/nwb_run.h"
#include "cli/output_set.h"
#include "cli/picture_output.h"
#include "cli/progress.h"
#include "cli/run_inputs.h"
#include "cli/run_meta.h"
#include "cli/run_options.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/sample_columns.h"
#include "vantor/engine/stimulus.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/analysis/spikes.h"
#include "vantor/render/live.h"
#include "vantor/render/phase_plane.h"
#include "vantor/render/run_record.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "options:\n"
    "  --set KEY=VALUE   change a parameter; KEY is an index 0..53, a name such as gNa,\n"
    "                    duration, onset or vstart, or the prompt ('vantor-cli params')\n"
    "  --method N        integration method (same as --set model=N): 1 Step, 2 Euler,\n"
    "                    3 RK, 4 the error-controlled double-precision RK pair (for\n"
    "                    exact spike times and long trials)\n"
    "  --drug NAME=CONC  a blocker at a concentration (TTX=300nM, TEA=2mM, APV=50uM; units\n"
    "                    pM nM uM mM M), may repeat: it scales only its targets ('vantor-cli\n"
    "                    drugs' lists them); of the first run only, like --set\n"
    "  --stimulus FILE   drive the run with a stimulus file (.vtp, see vantor-cli(1));\n"
    "                    without it, PARAMFILE's companion (cell.vt4: cell.vtp) when\n"
    "                    there is one; a family's runs are drawn over one another\n"
    "  --no-stimulus     the parameters' step alone, even with a companion\n"
    "  --tolerance RTOL  relative tolerance of method 4, between 1e-12 and 1e-2\n"
    "                    (default: Max %change in gates / 5e7)\n"
    "  --gates FILE      gate table (default: vmodels.val beside the program)\n"
    "  --limits FILE     limits file *.mnx (default: VANTOR.mnx beside the program)\n"
    "  --csv FILE        the samples as CSV (FILE '-' is standard output); rows are\n"
    "                    spaced irregularly, as the run recorded them, unless --dt MS\n"
    "                    interpolates them onto a fixed grid\n"
    "  --record FILE     the run's record file: 84-byte samples of 21 floats, t, V-m,\n"
    "                    then the traces as the CSV has them without I-Inj\n"
    "  --png/--svg/--pdf FILE   the picture ('-' for standard output)\n"
    "  --size WxH        picture size in pixels, each side 100 to 20000 (default 1200x800)\n"
    "  --cgm FILE  --plt FILE   the metafile and the HP-GL output of the picture\n"
    "  --overlay PARAMFILE      a further run drawn over the first (may repeat), with the\n"
    "                    values of its file: --set, the CSV and the record are of the\n"
    "                    first run only\n"
    "  --phase FILE      the phase plane, dV/dt against V-m (.png or .svg, 800x600)\n"
    "  --nwb FILE        the run as an NWB 2.5 file: V-m, the injected current, every\n"
    "                    trace, the spike times and what remakes the run; in voltage\n"
    "                    clamp the clamp current and the command; a family, a sweep each\n"
    "  --from FILE       remake the run of an NWB file this program wrote (its\n"
    "                    parameters, gate table, limits, method, tolerance and\n"
    "                    stimulus) and say whether every sample is the same, sweep by\n"
    "                    sweep; exit status 1 if not\n"
    "  --meta [FILE.json]  how the run was made (program, method, tolerance, inputs'\n"
    "                    fingerprint, changed parameters) as the CSV's first line, a\n"
    "                    '#' comment, and with FILE.json every parameter in that file\n"
    "  --force           run a parameter file whose trial duration is beyond the limits\n"
    "  -q, --quiet       no progress line and no notices\n"
    "  --                the next word is the parameter file, even if it begins with '-'\n";

int Run(const std::vector<std::string>& args);

const CommandRegistration kRun({"run", "[PARAMFILE] [options]",
                                "run the cell once and write its samples and picture", kDetails,
                                10, Run});

constexpr const char* kOutputOptions[] = {"--record", "--csv",   "--png", "--svg", "--pdf",
                                          "--cgm",    "--plt",   "--phase", "--nwb", "--meta"};

constexpr int kPhaseWidth = 800, kPhaseHeight = 600;

const std::string& OptionValue(const RunOptions& options, const std::string& option) {
  if (option == "--record") return options.recordFile;
  if (option == "--csv") return options.csvFile;
  if (option == "--png") return options.pngFile;
  if (option == "--svg") return options.svgFile;
  if (option == "--pdf") return options.pdfFile;
  if (option == "--cgm") return options.cgmFile;
  if (option == "--phase") return options.phaseFile;
  if (option == "--nwb") return options.nwbFile;
  if (option == "--meta") return options.metaFile;
  return options.pltFile;
}

// "-" is standard output for the outputs written as one stream.
bool StandardOutputAllowed(const std::string& option) {
  // A chart is named by its extension; HDF5 writes a file it can seek in.
  return option != "--record" && option != "--phase" && option != "--nwb";
}

bool ParseGridStep(const std::string& text, double& step) {
  char* end = nullptr;
  step = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(step) && step > 0;
}

int CannotWrite(const std::string& path, int error) {
  PrintError("Could not write file " + path +
             (error != 0 ? " (" + std::string(std::strerror(error)) + ")" : std::string()));
  return kExitRefused;
}

int NotCompleted(const RunResult& result) {
  if (Interrupted()) return kExitRefused;  // main() ends by the signal
  PrintError(result.message.empty() ? "The run did not complete." : result.message);
  return kExitRefused;
}

int Run(const std::vector<std::string>& args) {
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(args, options, error)) return UsageError("run", error);
  std::optional<double> gridStep;
  if (!options.csvStep.empty()) {
    double step = 0;
    if (!ParseGridStep(options.csvStep, step))
      return UsageError("run", "--dt needs a time step in ms greater than 0: " + options.csvStep);
    if (options.csvFile.empty()) return UsageError("run", "--dt applies to --csv, which is missing");
    gridStep = step;
  }
  double tolerance = 0;
  if (!options.tolerance.empty() &&
      (!ParseGridStep(options.tolerance, tolerance) || !(tolerance > kSmallestTolerance) ||
       !(tolerance < kLargestTolerance)))
    return UsageError("run", std::string("--tolerance needs a number ") + kToleranceRange + ": " +
                                 options.tolerance);
  const bool fromNwb = !options.fromFile.empty();
  if ((fromNwb || !options.nwbFile.empty()) && !nwb::Available())
    return UsageError("run", "this vantor-cli was built without HDF5 (VANTOR_WITH_HDF5=OFF): " +
                                 std::string(fromNwb ? "--from" : "--nwb") + " is not available");
  if (fromNwb) {
    if (const std::string conflict = FromConflict(options); !conflict.empty())
      return UsageError("run", "--from takes the parameters, gate table, limits, method and "
                               "tolerance from its file: " + conflict + " cannot go with it");
  }
  StderrMessages messages;
  PictureJob pictures(options, messages);
  if (!pictures.Check(error)) return UsageError("run", error);
  const bool phase = !options.phaseFile.empty();
  if (phase && !CanDraw())
    return UsageError("run", "this vantor-cli was built without Qt (VANTOR_WITH_QT=OFF): "
                             "--phase is not available");
  if (phase && options.phaseFile != "-" && !IsChartFile(options.phaseFile))
    return UsageError("run", "a phase plane file ends in .png or .svg: " + options.phaseFile);

  OutputSet outputs;
  for (const char* option : kOutputOptions) {
    const std::string& path = OptionValue(options, option);
    if (path.empty()) continue;
    if (path == "-" && !StandardOutputAllowed(option))
      return UsageError("run", std::string(option) + " cannot write to standard output");
    // HDF5 seeks in its file: refused here, before a FIFO is waited on.
    struct stat info {};
    if (std::string(option) == "--nwb" && stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
        !S_ISDIR(info.st_mode))
      return UsageError("run", "--nwb needs a file, not a device or a FIFO: " + path);
    outputs.Add(option, path);
  }

  RunInputs inputs;
  if (const int status = fromNwb ? LoadNwbInputs(options.fromFile, inputs, tolerance)
                                 : LoadRunInputs(options, inputs);
      status != 0)
    return status;
  ParameterSet& params = inputs.params;
  const Stimulus* stimulus = inputs.stimulus ? &*inputs.stimulus : nullptr;
  const std::vector<FamilyMember> members =
      stimulus ? ExpandFamily(*stimulus) : std::vector<FamilyMember>{};
  const bool family = stimulus && stimulus->family;
  if (family) {
    const std::string of = "a family of runs (" + stimulus->name + ")";
    if (!options.recordFile.empty()) return UsageError("run", "--record holds one run, not " + of);
    if (phase) return UsageError("run", "--phase draws one run, not " + of);
    if (!options.overlayFiles.empty())
      return UsageError("run", "--overlay cannot be combined with " + of);
  }
  if (!options.tolerance.empty() && params.Value(param::Model) != 4 && !fromNwb)
    return UsageError("run", "--tolerance applies to method 4, and the run uses method " +
                                 FormatShortest(params.Value(param::Model)));
  if (gridStep && params.Value(param::TrialDuration) / *gridStep > 1e8)
    return UsageError("run", "--dt " + options.csvStep + " would make more than 10^8 rows");
  if ((pictures.Wanted() || phase) && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  if (!outputs.Open(inputs.files)) return kExitRefused;

  const std::string source = fromNwb                         ? options.fromFile
                             : options.parameterFile.empty() ? std::string("the built-in parameters")
                                                             : options.parameterFile;
  const std::string metaLine = MetaLine(inputs, tolerance, source);
  SinkFanOut sinks;
  std::optional<RunRecordWriter> record;
  if (OutputFile* file = outputs.File("--record")) {
    record.emplace(file->Stream());
    sinks.Add(&*record);
  }
  std::optional<CsvSink> csv;
  if (OutputFile* file = outputs.File("--csv")) {
    if (options.meta) file->Write("# " + metaLine + "\n");
    csv.emplace(file->Stream(), params, gridStep, stimulus, family);
    sinks.Add(&*csv);
  }

  VmRecorder vm;
  if (phase) sinks.Add(&vm);
  std::optional<SampleColumns> kept;
  if (fromNwb || !options.nwbFile.empty()) {
    kept.emplace(params, stimulus);
    sinks.Add(&*kept);
  }
  // What drives each sample goes to the CSV and to the columns kept.
  struct DriveFanOut : DriveSink {
    std::vector<DriveSink*> to;
    void Drive(double command, double current) override {
      for (DriveSink* sink : to) sink->Drive(command, current);
    }
  } drives;
  if (csv) drives.to.push_back(&*csv);
  if (kept) drives.to.push_back(&*kept);

  RunFlags flags;
  flags.tolerance = tolerance;
  StopOnInterrupt stopOnSignal(flags);
  ProgressLine progress(!options.quiet, params.Value(param::TrialDuration));
  float lastTime = 0;
  struct TimeSink : RunSink {
    float* time;
    void Sample(const RunSample& sample) override { *time = sample[0]; }
    bool NeedsCurrents() const override { return false; }
  } clock;
  clock.time = &lastTime;
  sinks.Add(&clock);
  const auto pump = [&] {
    ReachedPhase("run");
    progress.Update(lastTime);
  };

  // Each run of a family with its own stimulus (and, when the family varies
  // it, its own step amplitude).
  RunTuning tuning;
  tuning.drive = drives.to.empty() ? nullptr : &drives;
  tuning.pumpKeepsParameters = true;  // it draws the progress line only
  // The parameters as given, for the NWB file's provenance (a family may
  // vary their step).
  const ParameterSet given = params;
  std::vector<KeptRun> keptRuns;
  auto keep = [&](std::size_t i) {
    if (kept)
      keptRuns.push_back({kept->Take(), RunDescription(params, stimulus,
                                                       stimulus ? members[i].label : "")});
  };
  auto member = [&](std::size_t i) {
    tuning.stimulus = &members[i].stimulus;
    if (members[i].parameterStep)
      params.SetValue(param::InjectedCurrent, static_cast<float>(*members[i].parameterStep));
  };
  if (stimulus) member(0);
  const RunResult result = pictures.Wanted()
                               ? pictures.RunFirst(params, inputs.gates, sinks, flags, pump, tuning,
                                                   family ? members[0].label : std::string())
                               : RunTrial(params, inputs.gates, sinks, flags, pump, tuning);
  progress.Clear();
  if (result.outcome != RunOutcome::Completed) return NotCompleted(result);
  keep(0);
  for (std::size_t i = 1; i < members.size(); ++i) {
    member(i);
    if (csv) csv->NextRun();
    const RunResult next =
        pictures.Wanted() ? pictures.RunOver(params, inputs.gates, &sinks, flags, pump, tuning,
                                             members[i].label)
                          : RunTrial(params, inputs.gates, sinks, flags, pump, tuning);
    progress.Clear();
    if (next.outcome != RunOutcome::Completed) return NotCompleted(next);
    keep(i);
  }
  ReachedPhase("csv");  // the rows are partly written
  if (csv) csv->Finish();
  ReachedPhase("record");
  if (record && !record->Close()) return CannotWrite(options.recordFile, record->Error());
  if (csv && csv->Failed()) return CannotWrite(options.csvFile, csv->Error());
  int compared = 0;
  if (fromNwb) compared = CompareWithNwb(options.fromFile, keptRuns, inputs);
  if (OutputFile* file = outputs.File("--nwb")) {
    ReachedPhase("nwb");
    RunInputs written = inputs;
    written.params = given;
    if (const std::string failure =
            WriteNwbRun(file->HandOver(), std::move(keptRuns), written, tolerance, source);
        !failure.empty()) {
      PrintError("Could not write file " + options.nwbFile + " (" + failure + ")");
      return kExitRefused;
    }
  }
  if (pictures.Wanted()) {
    // Each overlay is driven by the same stimulus (a family has no overlays).
    RunTuning overlayTuning;
    overlayTuning.stimulus = stimulus;
    const RunResult overlaid =
        pictures.RunOverlays(params, inputs.overlays, inputs.gates, flags, pump, overlayTuning);
    progress.Clear();
    if (overlaid.outcome != RunOutcome::Completed) return NotCompleted(overlaid);
    if (const int status = pictures.WriteFiles(params, outputs, metaLine); status != 0)
      return status;
  }
  if (phase) {
    PhasePlane plane{vm.trace.v, Slopes(vm.trace), params.Comment()};
    const std::optional<std::string> bytes =
        EncodeChart(options.phaseFile, kPhaseWidth, kPhaseHeight, [&](Device& d) { DrawPhasePlane(d, plane); });
    if (!bytes) {
      PrintError("The phase plane " + options.phaseFile + " could not be encoded.");
      return kExitRefused;
    }
    outputs.File("--phase")->Write(*bytes);
  }
  if (OutputFile* file = outputs.File("--meta")) file->Write(MetaJson(inputs, tolerance, source, outputs.Paths()));
  if (Interrupted()) return kExitRefused;
  if (!outputs.Commit()) return kExitRefused;
  if (fromNwb) return compared;
  if (outputs.Empty() && !options.quiet)
    PrintWarning("the run completed and wrote nothing (no --csv, --png, --svg, ... was given)");
  return 0;
}

}  // namespace
}  // namespace vantor::cli
