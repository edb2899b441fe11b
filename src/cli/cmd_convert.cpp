// vantor-cli convert IN OUT: reads a parameter file and writes it in the
// format OUT's name asks for. Reading starts from the built-in set, so a
// version 3 file without its companion keeps the built-in values 29 .. 53;
// that is a warning, not a refusal, as in the program. A stimulus read with
// IN (its companion, or --stimulus) is written beside OUT.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "cli/parameter_files.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/engine/stimulus_companion.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/files/output_file.h"
#include "vantor/params/parameter_file.h"

namespace vantor::cli {
namespace {

int Convert(const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  std::string stimulusFile;
  bool noStimulus = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--no-stimulus") {
      noStimulus = true;
    } else if (IsOption(args[i], "--stimulus")) {
      if (!TakeOptionValue(args, i, "--stimulus", stimulusFile) || stimulusFile.empty())
        return UsageError("convert", "--stimulus needs a file");
    } else {
      rest.push_back(args[i]);
    }
  }
  std::vector<std::string> words;
  std::string error;
  if (!PositionalWords(rest, words, error)) return UsageError("convert", error);
  if (words.size() != 2 || words[0].empty() || words[1].empty())
    return UsageError("convert", "convert needs an input and an output file name");
  if (noStimulus && !stimulusFile.empty())
    return UsageError("convert", "--stimulus and --no-stimulus cannot go together");
  ParameterSet params;
  std::vector<std::string> inputs{words[0]};
  if (!IsVersion4Path(words[0])) inputs.push_back(CompanionPath(words[0]));
  if (!LoadParameterFile(words[0], params)) return kExitRefused;

  // The stimulus read with the input: --stimulus, or the companion beside it.
  std::optional<Stimulus> stimulus;
  if (!noStimulus) {
    std::string path = stimulusFile;
    std::error_code ignored;
    if (path.empty() && std::filesystem::exists(CompanionStimulusPath(words[0]), ignored))
      path = CompanionStimulusPath(words[0]);
    if (!path.empty()) {
      const StimulusRead read = ReadStimulusFile(path);
      if (!read.stimulus) {
        PrintError(read.error);
        return kExitRefused;
      }
      stimulus = read.stimulus;
      inputs.push_back(path);
    }
  }
  OutputFile companion(&CommandTemporaries());
  if (stimulus) {
    const std::string target = CompanionStimulusPath(words[1]);
    for (const std::string& in : inputs)
      if (FileIdentity(target) == FileIdentity(in)) {
        PrintError("the output " + target + " is also an input (" + in + "); refusing to replace it");
        return kExitRefused;
      }
    if (!companion.Open(target)) {
      const std::string reason = WriteProblem(target);
      PrintError("Could not write file " + target + (reason.empty() ? "" : " (" + reason + ")"));
      return kExitRefused;
    }
    companion.Write(StimulusText(StimulusForCompanion(*stimulus, words[1])));
  }
  if (!SaveParameterFile(words[1], params, inputs)) return kExitRefused;
  if (stimulus && !companion.Commit()) {
    const std::string reason = WriteProblem(companion.Target());
    PrintError("Could not write file " + companion.Target() +
               (reason.empty() ? "" : " (" + reason + ")"));
    return kExitRefused;
  }
  return 0;
}

const CommandRegistration kConvert(
    {"convert", "IN OUT [--stimulus FILE | --no-stimulus]",
     "read a parameter file and write it in the format OUT's name asks for",
     "  OUT ending in .vt4 is a version 4 file; any other name a version 3 file\n"
     "  with its companion (.cin) beside it. OUT may not be IN or its companion.\n"
     "  A stimulus beside IN (IN's name with .vtp), or the one --stimulus names, is\n"
     "  written beside OUT as OUT's name with .vtp (waveform files still found);\n"
     "  --no-stimulus writes none. The parameter file itself never holds it.\n",
     40, Convert});

}  // namespace
}  // namespace vantor::cli
