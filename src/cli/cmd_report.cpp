// vantor-cli report: a lab report of runs, one per parameter file: the
// parameters that differ between them, each run's picture, comment and
// measures, the program's version and the date, as an HTML page and a PDF.
#include <QByteArray>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "cli/picture_output.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "device/lab_report.h"
#include "vantor/analysis/measured_run.h"
#include "vantor/render/live.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "For each parameter file, one run: its picture (as 'run --png' draws it), its comment\n"
    "and its measures (as 'measure' prints them); before them the parameters whose values\n"
    "differ between the files, with their units; the program's version and the date.\n"
    "options:\n"
    "  --pdf FILE        the report as a PDF\n"
    "  --html FILE       the report as one HTML page, the pictures inside it\n"
    "  --gates FILE, --limits FILE: as for 'run' (the same for every file)\n"
    "At most 50 files; '-' writes to standard output.\n";

constexpr std::size_t kMostFiles = 50;
constexpr int kPictureWidth = 1000, kPictureHeight = 640;

int Report(const std::vector<std::string>& args);

const CommandRegistration kReport({"report", "PARAMFILE... [--pdf FILE] [--html FILE]",
                                   "write a lab report of one run per parameter file", kDetails, 48,
                                   Report});

int Usage(const std::string& error) { return UsageError("report", error); }

// The run's picture as 'run --png' writes it, read back from a private folder.
bool Picture(const RunInputs& inputs, const std::string& folder, ReportRun& run) {
  RunOptions options;
  options.pngFile = folder + "/picture.png";
  options.pictureSize = std::to_string(kPictureWidth) + "x" + std::to_string(kPictureHeight);
  options.quiet = true;
  StderrMessages messages;
  PictureJob job(options, messages);
  std::string error;
  if (!job.Check(error)) return false;
  OutputSet outputs;
  outputs.Add("--png", options.pngFile);
  if (!outputs.Open(inputs.files)) return false;
  ParameterSet params = inputs.params;
  SinkFanOut none;
  RunFlags flags;
  const RunResult result = job.RunFirst(params, inputs.gates, none, flags, [] { ReachedPhase("run"); });
  if (result.outcome != RunOutcome::Completed) {
    PrintError(run.name + ": " + (result.message.empty() ? "the run did not complete." : result.message));
    outputs.Abandon();
    return false;
  }
  if (job.WriteFiles(params, outputs, "vantor-cli report " + run.name) != 0 || !outputs.Commit())
    return false;
  std::ifstream in(options.pngFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  run.png = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return !run.png.isEmpty();
}

int Report(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  std::string pdf, html, gates, limits;
  bool positional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    std::string value;
    if (positional || word == "-" || word.empty() || word[0] != '-') {
      files.push_back(word);
      continue;
    }
    if (word == "--") {
      positional = true;
      continue;
    }
    bool taken = false;
    for (auto [name, field] : {std::pair<const char*, std::string*>{"--pdf", &pdf},
                               {"--html", &html}, {"--gates", &gates}, {"--limits", &limits}}) {
      if (!IsOption(word, name)) continue;
      if (!TakeOptionValue(args, i, name, value) || value.empty())
        return Usage(std::string(name) + " needs a value");
      if (!field->empty()) return Usage(std::string(name) + " is given twice");
      *field = value;
      taken = true;
    }
    if (!taken) return Usage("unknown option " + word);
  }
  if (files.empty()) return Usage("name at least one parameter file");
  if (files.size() > kMostFiles) return Usage("a report holds at most 50 runs");
  if (pdf.empty() && html.empty()) return Usage("give --pdf FILE, --html FILE or both");
  if (pdf == "-" && html == "-") return Usage("only one of --pdf and --html can go to standard output");

  if (!EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  std::vector<ReportRun> runs;
  std::vector<std::string> inputsRead;
  std::string folder = "/tmp/vantor-report-XXXXXX";
  if (!MakeTemporaryFolder(folder)) {
    PrintError("No temporary folder could be made for the pictures.");
    return kExitRefused;
  }
  struct Cleanup {
    std::string folder;
    ~Cleanup() { RemoveTemporaryFolder(folder); }
  } cleanup{folder};
  // Every input read and every output opened before the first run.
  std::vector<RunInputs> inputs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    RunOptions options;
    options.parameterFile = files[i];
    options.gatesFile = gates;
    options.limitsFile = limits;
    options.quiet = true;
    if (const int status = LoadRunInputs(options, inputs[i], "report"); status != 0) return status;
    inputsRead.insert(inputsRead.end(), inputs[i].files.begin(), inputs[i].files.end());
  }
  OutputSet outputs;
  if (!pdf.empty()) outputs.Add("--pdf", pdf);
  if (!html.empty()) outputs.Add("--html", html);
  if (!outputs.Open(inputsRead)) return kExitRefused;
  for (std::size_t i = 0; i < files.size(); ++i) {
    ReportRun run;
    run.name = files[i];
    run.params = inputs[i].params;
    if (!Picture(inputs[i], folder, run)) return kExitRefused;
    RunFlags flags;
    StopOnInterrupt stopOnSignal(flags);
    const MeasuredRun measured =
        MeasureTrial(inputs[i].params, inputs[i].gates, {}, false, nullptr, &flags);
    if (Interrupted()) return kExitRefused;  // main() ends by the signal
    if (measured.outcome != RunOutcome::Completed) {
      PrintError(files[i] + ": " + measured.message);
      return kExitRefused;
    }
    run.measures = measured.measures;
    if (Interrupted()) return kExitRefused;
    runs.push_back(std::move(run));
  }
  if (OutputFile* file = outputs.File("--html")) {
    file->Write(ReportHtmlPage(runs, VANTOR_VERSION));
  }
  if (OutputFile* file = outputs.File("--pdf")) {
    const QByteArray bytes = ReportPdf(runs, VANTOR_VERSION, "vantor-cli report");
    if (bytes.isEmpty()) {
      PrintError("The report " + pdf + " could not be made.");
      outputs.Abandon();
      return kExitRefused;
    }
    file->Write(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  return outputs.Commit() ? 0 : kExitRefused;
}

}  // namespace
}  // namespace vantor::cli
