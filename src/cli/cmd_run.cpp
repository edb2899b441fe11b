// vantor-cli run: one run of the cell, headless, from the built-in parameters
// or a parameter file, with settings changed on the command line.
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
#include "cli/output_set.h"
#include "cli/picture_output.h"
#include "cli/progress.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
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
    "  --method N        integration method (same as --set model=N)\n"
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
    "  --record FILE     the binary record file (84-byte samples)\n"
    "  --png/--svg/--pdf FILE   the picture ('-' for standard output)\n"
    "  --size WxH        picture size in pixels, each side 100 to 20000 (default 1200x800)\n"
    "  --cgm FILE  --plt FILE   the metafile and the HP-GL output of the picture\n"
    "  --overlay PARAMFILE      a further run drawn over the first (may repeat)\n"
    "  --phase FILE      the phase plane, dV/dt against V-m (.png or .svg, 800x600)\n"
    "  --force           run a parameter file whose trial duration is beyond the limits\n"
    "  -q, --quiet       no progress line and no notices\n"
    "  --                the next word is the parameter file, even if it begins with '-'\n";

int Run(const std::vector<std::string>& args);

const CommandRegistration kRun({"run", "[PARAMFILE] [options]",
                                "run the cell once and write its samples and picture", kDetails,
                                10, Run});

constexpr const char* kOutputOptions[] = {"--record", "--csv", "--png", "--svg",
                                          "--pdf",    "--cgm", "--plt", "--phase"};

constexpr int kPhaseWidth = 800, kPhaseHeight = 600;

const std::string& OptionValue(const RunOptions& options, const std::string& option) {
  if (option == "--record") return options.recordFile;
  if (option == "--csv") return options.csvFile;
  if (option == "--png") return options.pngFile;
  if (option == "--svg") return options.svgFile;
  if (option == "--pdf") return options.pdfFile;
  if (option == "--cgm") return options.cgmFile;
  if (option == "--phase") return options.phaseFile;
  return options.pltFile;
}

// "-" is standard output for the outputs written as one stream.
bool StandardOutputAllowed(const std::string& option) {
  return option != "--record" && option != "--phase";  // a chart is named by its extension
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
    outputs.Add(option, path);
  }

  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
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
  if (!options.tolerance.empty() && params.Value(param::Model) != 4)
    return UsageError("run", "--tolerance applies to method 4, and the run uses method " +
                                 FormatShortest(params.Value(param::Model)));
  if (gridStep && params.Value(param::TrialDuration) / *gridStep > 1e8)
    return UsageError("run", "--dt " + options.csvStep + " would make more than 10^8 rows");
  if ((pictures.Wanted() || phase) && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  if (!outputs.Open(inputs.files)) return kExitRefused;

  SinkFanOut sinks;
  std::optional<RunRecordWriter> record;
  if (OutputFile* file = outputs.File("--record")) {
    record.emplace(file->Stream());
    sinks.Add(&*record);
  }
  std::optional<CsvSink> csv;
  if (OutputFile* file = outputs.File("--csv")) {
    csv.emplace(file->Stream(), params, gridStep, stimulus, family);
    sinks.Add(&*csv);
  }

  VmRecorder vm;
  if (phase) sinks.Add(&vm);

  RunFlags flags;
  flags.tolerance = tolerance;
  StopOnInterrupt stopOnSignal(flags);
  ProgressLine progress(!options.quiet, params.Value(param::TrialDuration));
  float lastTime = 0;
  struct TimeSink : RunSink {
    float* time;
    void Sample(const RunSample& sample) override { *time = sample[0]; }
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
  tuning.drive = csv ? &*csv : nullptr;
  auto member = [&](std::size_t i) {
    tuning.stimulus = &members[i].stimulus;
    if (members[i].parameterStep)
      params.SetValue(param::InjectedCurrent, static_cast<float>(*members[i].parameterStep));
  };
  if (stimulus) member(0);
  const RunResult result = pictures.Wanted()
                               ? pictures.RunFirst(params, inputs.gates, sinks, flags, pump, tuning)
                               : RunTrial(params, inputs.gates, sinks, flags, pump, tuning);
  progress.Clear();
  if (result.outcome != RunOutcome::Completed) return NotCompleted(result);
  for (std::size_t i = 1; i < members.size(); ++i) {
    member(i);
    if (csv) csv->NextRun();
    const RunResult next =
        pictures.Wanted() ? pictures.RunOver(params, inputs.gates, &sinks, flags, pump, tuning)
                          : RunTrial(params, inputs.gates, sinks, flags, pump, tuning);
    progress.Clear();
    if (next.outcome != RunOutcome::Completed) return NotCompleted(next);
  }
  ReachedPhase("csv");  // the rows are partly written
  if (csv) csv->Finish();
  ReachedPhase("record");
  if (record && !record->Close()) return CannotWrite(options.recordFile, record->Error());
  if (csv && csv->Failed()) return CannotWrite(options.csvFile, csv->Error());
  if (pictures.Wanted()) {
    // Each overlay is driven by the same stimulus (a family has no overlays).
    RunTuning overlayTuning;
    overlayTuning.stimulus = stimulus;
    const RunResult overlaid =
        pictures.RunOverlays(params, inputs.overlays, inputs.gates, flags, pump, overlayTuning);
    progress.Clear();
    if (overlaid.outcome != RunOutcome::Completed) return NotCompleted(overlaid);
    if (const int status = pictures.WriteFiles(params, outputs); status != 0) return status;
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
  if (Interrupted()) return kExitRefused;
  if (!outputs.Commit()) return kExitRefused;
  if (outputs.Empty() && !options.quiet)
    PrintWarning("the run completed and wrote nothing (no --csv, --png, --svg, ... was given)");
  return 0;
}

}  // namespace
}  // namespace vantor::cli
