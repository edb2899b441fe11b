// vantor-cli run: one run of the cell, headless, from the built-in parameters
// or a parameter file, with settings changed on the command line.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/csv_sink.h"
#include "cli/picture_output.h"
#include "cli/run_options.h"
#include "cli/stderr_messages.h"
#include "encode/output_file.h"
#include "engine/run_driver.h"
#include "params/gate_table.h"
#include "params/list_files.h"
#include "params/parameter_file.h"
#include "plot/live.h"
#include "plot/run_record.h"

namespace vantor::cli {
namespace {

constexpr int kRefused = 1;
constexpr int kUsage = 2;

int UsageError(const std::string& error) {
  std::fprintf(stderr, "vantor-cli run: %s\n(see vantor-cli --help)\n", error.c_str());
  return kUsage;
}

int CannotWrite(const std::string& path) {
  std::fprintf(stderr, "vantor-cli run: cannot write %s\n", path.c_str());
  return kRefused;
}

// Limits, parameter file, settings and gate table, in the order the program
// itself meets them. 0, or the exit status after the messages.
int LoadInputs(const RunOptions& options, ParameterSet& params, GateTable& gates,
               StderrMessages& messages) {
  const std::string directory = ProgramDirectory();
  if (options.limitsFile.empty()) {
    // As at start-up: without the shipped limits file the built-in ones apply.
    ReadInitFile(directory + "VANTOR.mnx", params, messages);
  } else {
    // The limits reader names its file through the extension ".mnx".
    if (ReplaceExtension(options.limitsFile, ".mnx") != options.limitsFile)
      return UsageError("--limits needs a limits file named *.mnx: " + options.limitsFile);
    const int before = messages.count;
    ReadInitFile(options.limitsFile, params, messages);
    if (messages.count != before) return kRefused;
  }
  if (!options.parameterFile.empty() &&
      !ReadParameterFile(options.parameterFile, params, messages))
    return kRefused;
  if (!ApplySettings(options, params, messages)) return kRefused;
  const std::string gatesPath =
      options.gatesFile.empty() ? directory + "vmodels.val" : options.gatesFile;
  if (!LoadGateTable(gatesPath, gates, messages)) {
    std::fprintf(stderr, "vantor-cli run: the gate table %s cannot be used\n", gatesPath.c_str());
    return kRefused;
  }
  return 0;
}

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(args, options, error)) return UsageError(error);
  StderrMessages pictureMessages;
  PictureJob pictures(options, pictureMessages);
  if (!pictures.Check(error)) return UsageError(error);

  StderrMessages messages;
  ParameterSet params;
  GateTable gates;
  if (const int status = LoadInputs(options, params, gates, messages); status != 0) return status;

  // Outputs go to files beside their targets and replace them only after a
  // complete run.
  SinkFanOut sinks;
  OutputFile recordFile;
  std::optional<RunRecordWriter> record;
  if (!options.recordFile.empty()) {
    if (!recordFile.Open(options.recordFile)) return CannotWrite(options.recordFile);
    record.emplace(recordFile.Stream());
    sinks.Add(&*record);
  }
  OutputFile csvFile;
  std::optional<CsvSink> csv;
  if (!options.csvFile.empty()) {
    if (!csvFile.Open(options.csvFile)) return CannotWrite(options.csvFile);
    csv.emplace(csvFile.Stream(), params);
    sinks.Add(&*csv);
  }

  RunFlags flags;
  const RunResult result = pictures.Wanted() ? pictures.RunFirst(params, gates, sinks)
                                             : RunTrial(params, gates, sinks, flags);
  if (result.outcome != RunOutcome::Completed) {
    messages.Warn(kShellCaption, result.message.empty() ? "The run did not complete." : result.message);
    return kRefused;  // the unfinished outputs are removed, earlier files stay
  }

  if (record && (!record->Close() || !recordFile.Commit())) return CannotWrite(options.recordFile);
  if (csv && (csv->Failed() || !csvFile.Commit())) return CannotWrite(options.csvFile);
  if (pictures.Wanted()) {
    const RunResult overlaid = pictures.RunOverlays(params, gates);
    if (overlaid.outcome != RunOutcome::Completed) {
      messages.Warn(kShellCaption,
                    overlaid.message.empty() ? "The run did not complete." : overlaid.message);
      return kRefused;
    }
    return pictures.WriteFiles(params);
  }
  return 0;
}

}  // namespace vantor::cli
