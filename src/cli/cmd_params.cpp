// vantor-cli params: every parameter with its index, name, prompt, unit,
// built-in value and limits, as a table or as JSON.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/diagnostics.h"
#include "vantor/params/parameter_names.h"
#include "cli/run_inputs.h"
#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/list_files.h"

namespace vantor::cli {
namespace {

std::string Number(float value) { return FormatNumber(value, 6, 9, AutoTrimmed); }

std::string Padded(std::string text, std::size_t width) {
  // Columns are counted in characters; UTF-8 continuation bytes take none.
  std::size_t shown = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++shown;
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

void PrintTable(const ParameterSet& params, const ParameterSet& builtIn) {
  std::string out = Padded("index", 6) + Padded("name", 15) + Padded("prompt", 33) +
                    Padded("unit", 6) + Padded("default", 10) + Padded("minimum", 10) +
                    "maximum\n";
  for (int k = 0; k < kParameterCount; ++k) {
    out += Padded(std::to_string(k), 6) + Padded(CommandLineName(k), 15) +
           Padded(Cp437ToUtf8(params.Prompt(k)), 33) + Padded(ParameterUnit(k), 6) +
           Padded(Number(builtIn.Value(k)), 10) + Padded(Number(params.Minimum(k)), 10) +
           Number(params.Maximum(k)) + "\n";
  }
  std::fputs(out.c_str(), stdout);
}

void PrintJson(const ParameterSet& params, const ParameterSet& builtIn) {
  std::string out = "[\n";
  for (int k = 0; k < kParameterCount; ++k) {
    out += "  {\"index\": " + std::to_string(k) + ", \"name\": " + JsonString(CommandLineName(k)) +
           ", \"prompt\": " + JsonString(Cp437ToUtf8(params.Prompt(k))) +
           ", \"unit\": " + JsonString(ParameterUnit(k)) +
           ", \"default\": " + JsonNumber(builtIn.Value(k)) +
           ", \"minimum\": " + JsonNumber(params.Minimum(k)) +
           ", \"maximum\": " + JsonNumber(params.Maximum(k)) + "}" +
           (k + 1 < kParameterCount ? ",\n" : "\n");
  }
  out += "]\n";
  std::fputs(out.c_str(), stdout);
}

int Params(const std::vector<std::string>& args) {
  bool json = false;
  std::string limits;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--json") {
      json = true;
    } else if (word == "--limits" && i + 1 < args.size()) {
      limits = args[++i];
    } else if (word.rfind("--limits=", 0) == 0) {
      limits = word.substr(9);
    } else if (word == "--") {
      if (i + 1 < args.size()) return UsageError("params", "params takes no file names");
    } else {
      return UsageError("params", "unknown option " + word);
    }
  }
  if (!limits.empty() && ReplaceExtension(limits, ".mnx") != limits)
    return UsageError("params", "--limits needs a limits file named *.mnx: " + limits);
  ParameterSet params;
  const bool required = !limits.empty();
  if (!LoadLimits(required ? limits : ProgramDirectory() + "VANTOR.mnx", required, params))
    return kExitRefused;
  const ParameterSet builtIn;
  json ? PrintJson(params, builtIn) : PrintTable(params, builtIn);
  return 0;
}

const CommandRegistration kParams(
    {"params", "[--json] [--limits FILE]",
     "list every parameter: index, name for --set, prompt, unit, built-in value, limits",
     "options:\n"
     "  --json            one JSON array of objects instead of the table\n"
     "  --limits FILE     the limits of this file instead of VANTOR.mnx beside the program\n"
     "Names and prompts are matched without regard to case by 'run --set'.\n",
     20, Params});

}  // namespace
}  // namespace vantor::cli
