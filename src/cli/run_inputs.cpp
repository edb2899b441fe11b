#include "cli/run_inputs.h"

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/list_files.h"
#include "vantor/params/parameter_file.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

// The system's reason, or "not a regular file" for a device or a FIFO a
// reader would wait on forever.
std::string InputProblem(const std::string& path) {
  std::string problem = ReadProblem(path);
  if (!problem.empty()) return problem;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return "not a regular file";
  return {};
}

bool LoadGates(const std::string& path, GateTable& gates) {
  if (const std::string problem = InputProblem(path); !problem.empty()) {
    PrintError("vmodels.val file not found. (" + path + ": " + problem + ")");
    return false;
  }
  FileMessages messages(path);
  const bool ok = LoadGateTable(path, gates, messages);
  messages.Print(!ok);
  return ok;
}

}  // namespace

bool LoadLimits(const std::string& path, bool required, ParameterSet& params) {
  const std::string mnx = ReplaceExtension(path, ".mnx");
  const auto report = [required](const std::string& text) {
    required ? PrintError(text) : PrintWarning(text);
    return !required;
  };
  if (const std::string problem = InputProblem(mnx); !problem.empty())
    return report("Could not find initialization file: " + mnx + " (" + problem + ")");
  CollectedMessages messages;
  ParameterSet read = params;
  ReadInitFile(mnx, read, messages);
  if (!messages.entries.empty())
    return report("The limits file " + mnx +
                  " is malformed: it must hold 54 pairs of numbers, maximum then minimum");
  params = read;
  return true;
}

bool LoadParameterFile(const std::string& path, ParameterSet& params) {
  if (const std::string problem = InputProblem(path); !problem.empty()) {
    PrintError("Parameter file not found! (" + path + ": " + problem + ")");
    return false;
  }
  FileMessages messages(path);
  const bool ok = ReadParameterFile(path, params, messages);
  messages.Print(!ok);
  return ok;
}

bool CheckLimits(const ParameterSet& params, const std::string& source, bool force) {
  bool finishes = true;
  for (int k = 0; k < kParameterCount; ++k) {
    if (params.InRange(k, params.Value(k))) continue;
    const std::string text = Cp437ToUtf8(RangeMessage(params, k)) + " (" + source + ")";
    const float duration = params.Value(param::TrialDuration);
    if (k == param::TrialDuration && !force &&
        !(std::isfinite(duration) && duration <= params.Maximum(k))) {
      PrintError(text + "; a trial this long would not finish (--force runs it anyway)");
      finishes = false;
      continue;
    }
    PrintWarning(text);
  }
  return finishes;
}

int LoadRunInputs(const RunOptions& options, RunInputs& inputs, const char* stepOnly) {
  const std::string directory = ProgramDirectory();
  ParameterSet& params = inputs.params;
  if (options.limitsFile.empty()) {
    // As at start-up: without the shipped limits file the built-in ones apply.
    LoadLimits(directory + "VANTOR.mnx", false, params);
  } else {
    // The limits reader names its file through the extension ".mnx".
    if (ReplaceExtension(options.limitsFile, ".mnx") != options.limitsFile)
      return UsageError("run", "--limits needs a limits file named *.mnx: " + options.limitsFile);
    inputs.files.push_back(options.limitsFile);
    if (!LoadLimits(options.limitsFile, true, params)) return kExitRefused;
  }
  if (!options.parameterFile.empty()) {
    inputs.files.push_back(options.parameterFile);
    if (!IsVersion4Path(options.parameterFile))
      inputs.files.push_back(CompanionPath(options.parameterFile));
    if (!LoadParameterFile(options.parameterFile, params)) return kExitRefused;
  }
  StderrMessages messages;
  if (!ApplySettings(options, params, messages)) return kExitRefused;
  // After the settings, which may have mended a value of the file.
  if (!options.parameterFile.empty() &&
      !CheckLimits(params, options.parameterFile, options.force))
    return kExitRefused;

  // The blockers scale their targets of the checked values.
  ApplyDrugs(params, options.drugs);
  inputs.drugs = options.drugs;

  if (params.Value(param::StepOnset) > params.Value(param::StepOffset) &&
      params.Value(param::InjectedCurrent) != 0)
    PrintWarning("the step's onset (" + FormatShortest(params.Value(param::StepOnset)) +
                 " ms) is after its offset (" + FormatShortest(params.Value(param::StepOffset)) +
                 " ms): the step is never on");

  const std::string gatesPath =
      options.gatesFile.empty() ? directory + "vmodels.val" : options.gatesFile;
  inputs.files.push_back(gatesPath);
  inputs.gatesPath = gatesPath;
  if (!LoadGates(gatesPath, inputs.gates)) return kExitRefused;

  if (options.noStimulus && !options.stimulusFile.empty())
    return UsageError("run", "--stimulus and --no-stimulus exclude each other");
  if (stepOnly != nullptr && !options.stimulusFile.empty())
    return UsageError(stepOnly, std::string(stepOnly) + " runs the parameters' step; --stimulus belongs to run and measure");
  std::string stimulusPath = options.stimulusFile;
  if (stimulusPath.empty() && !options.noStimulus && !options.parameterFile.empty()) {
    // The companion counts only when it is there (a directory by that name
    // is reported as one).
    const std::string companion = CompanionStimulusPath(options.parameterFile);
    std::error_code error;
    const bool present = companion != options.parameterFile && std::filesystem::exists(companion, error);
    if (present && stepOnly != nullptr) {
      if (!options.quiet)
        PrintWarning(std::string(stepOnly) + " runs the parameters' step: the stimulus " + companion +
                     " beside " + options.parameterFile + " is not used");
    } else if (present) {
      stimulusPath = companion;
      if (!options.quiet)
        PrintWarning("the stimulus " + companion + " beside " + options.parameterFile +
                    " drives the run (--no-stimulus: the parameters' step alone)");
    }
  }
  if (!stimulusPath.empty()) {
    inputs.files.push_back(stimulusPath);
    StimulusRead read = ReadStimulusFile(stimulusPath);
    if (!read.stimulus) {
      PrintError(read.error);
      return kExitRefused;
    }
    inputs.stimulus = std::move(read.stimulus);
  }

  // Each overlay starts from the values of the run before it.
  ParameterSet base = params;
  for (const std::string& file : options.overlayFiles) {
    inputs.files.push_back(file);
    if (!IsVersion4Path(file)) inputs.files.push_back(CompanionPath(file));
    ParameterSet read = base;
    if (!LoadParameterFile(file, read)) return kExitRefused;
    for (int k = 0; k < kParameterCount; ++k) base.SetValue(k, read.Value(k));
    if (!CheckLimits(base, file, options.force)) return kExitRefused;
    inputs.overlays.push_back(base);
  }
  return 0;
}

}  // namespace vantor::cli
