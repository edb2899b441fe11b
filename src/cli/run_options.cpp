#include "cli/run_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "vantor/params/parameter_names.h"
#include "vantor/params/parameter_rules.h"

namespace vantor::cli {
namespace {

const ValueOption kValueOptions[] = {
    {"--gates", &RunOptions::gatesFile},
    {"--limits", &RunOptions::limitsFile},
    {"--csv", &RunOptions::csvFile},
    {"--dt", &RunOptions::csvStep},
    {"--record", &RunOptions::recordFile},
    {"--tolerance", &RunOptions::tolerance},
    {"--stimulus", &RunOptions::stimulusFile},
    {"--png", &RunOptions::pngFile},
    {"--svg", &RunOptions::svgFile},
    {"--pdf", &RunOptions::pdfFile},
    {"--cgm", &RunOptions::cgmFile},
    {"--plt", &RunOptions::pltFile},
    {"--size", &RunOptions::pictureSize},
    {"--phase", &RunOptions::phaseFile},
    {"--nwb", &RunOptions::nwbFile},
    {"--from", &RunOptions::fromFile},
};

bool IsWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

bool SetPositional(RunOptions& options, const std::string& word, std::string& error) {
  if (!options.parameterFile.empty()) {
    error = "only one parameter file may be given (" + options.parameterFile + ", " + word + ")";
    return false;
  }
  if (word.empty()) {
    error = "the parameter file name is empty";
    return false;
  }
  options.parameterFile = word;
  return true;
}

bool IsJsonName(const std::string& word) {
  if (word.size() < 6 || word[0] == '-') return false;
  std::string ext = word.substr(word.size() - 5);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".json";
}

bool ParseSide(const std::string& text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::atoi(text.c_str());
  return value >= kMinSide && value <= kMaxSide;
}

}  // namespace

// "--name=value" or "--name value"; false when the value is missing.
bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                     std::string& value) {
  const std::string& word = args[i];
  if (word.size() > name.size() && word.compare(0, name.size(), name) == 0 &&
      word[name.size()] == '=') {
    value = word.substr(name.size() + 1);
    return true;
  }
  if (word != name || i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

bool IsOption(const std::string& word, const std::string& name) {
  return word == name || word.rfind(name + "=", 0) == 0;
}

bool TakeCommandOptions(const std::vector<std::string>& args, std::initializer_list<CommandValue> values,
                        std::initializer_list<CommandSwitch> switches, std::vector<std::string>& rest,
                        std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool taken = false;
    for (const CommandSwitch& s : switches)
      if (args[i] == s.name) taken = *s.on = true;
    for (const CommandValue& v : values) {
      if (taken || !IsOption(args[i], v.name)) continue;
      std::string value;
      if (!TakeOptionValue(args, i, v.name, value) || value.empty()) {
        error = std::string(v.name) + " needs a value";
        return false;
      }
      if (!v.value->empty()) {
        error = std::string(v.name) + " is given twice";
        return false;
      }
      *v.value = value;
      taken = true;
    }
    if (!taken) rest.push_back(args[i]);
  }
  return true;
}

bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    std::string value;
    if (word == "--") {
      for (++i; i < args.size(); ++i)
        if (!SetPositional(options, args[i], error)) return false;
      return true;
    }
    if (word == "--force") {
      options.force = true;
      continue;
    }
    if (word == "--no-stimulus") {
      options.noStimulus = true;
      continue;
    }
    if (word == "--quiet" || word == "-q") {
      options.quiet = true;
      continue;
    }
    if (IsOption(word, "--meta")) {
      // "--meta" alone: a comment line in the CSV; with a name ending in
      // ".json", the provenance in that file as well.
      options.meta = true;
      if (word.size() > 6) {
        options.metaFile = word.substr(7);
      } else if (i + 1 < args.size() && IsJsonName(args[i + 1])) {
        options.metaFile = args[++i];
      }
      if (word.size() > 6 && !IsJsonName(options.metaFile)) {
        error = "--meta=FILE needs a file name ending in .json: " + options.metaFile;
        return false;
      }
      continue;
    }
    if (IsOption(word, "--set")) {
      if (!TakeOptionValue(args, i, "--set", value)) {
        error = "--set needs KEY=VALUE";
        return false;
      }
      // Prompts may hold "=" ("Model (1=Step.F,2=Euler.F,3=RK)"), values never do.
      const std::size_t eq = value.rfind('=');
      if (eq == std::string::npos) {
        error = "--set " + value + ": expected KEY=VALUE";
        return false;
      }
      options.settings.emplace_back(value.substr(0, eq), value.substr(eq + 1));
      continue;
    }
    if (IsOption(word, "--method")) {
      // The limits file says which methods there are; the range check of
      // the settings tells.
      if (!TakeOptionValue(args, i, "--method", value) || !IsWholeNumber(value)) {
        error = "--method needs the number of an integration method (1, 2, ...)" +
                (value.empty() ? std::string() : ": " + value);
        return false;
      }
      options.settings.emplace_back(std::to_string(param::Model), value);
      continue;
    }
    if (IsOption(word, "--drug")) {
      if (!TakeOptionValue(args, i, "--drug", value) || value.empty()) {
        error = "--drug needs NAME=CONCENTRATION (TTX=300nM)";
        return false;
      }
      DrugDose dose;
      if (const std::string problem = ParseDrugDose(value, dose); !problem.empty()) {
        error = problem;
        return false;
      }
      options.drugs.push_back(dose);
      continue;
    }
    if (IsOption(word, "--overlay")) {
      if (!TakeOptionValue(args, i, "--overlay", value) || value.empty()) {
        error = "--overlay needs a parameter file";
        return false;
      }
      options.overlayFiles.push_back(value);
      continue;
    }
    bool known = false;
    for (const ValueOption& option : kValueOptions) {
      if (!IsOption(word, option.name)) continue;
      if (!TakeOptionValue(args, i, option.name, value) || value.empty()) {
        error = std::string(option.name) + " needs a value";
        return false;
      }
      // The second would silently win.
      if (!(options.*option.field).empty()) {
        error = std::string(option.name) + " is given twice (" + options.*option.field + ", " +
                value + ")";
        return false;
      }
      options.*option.field = value;
      known = true;
      break;
    }
    if (known) continue;
    if (word.size() > 1 && word[0] == '-') {
      error = "unknown option " + word;
      return false;
    }
    if (!SetPositional(options, word, error)) return false;
  }
  return true;
}

bool ApplySettings(const RunOptions& options, ParameterSet& params, Messages& messages) {
  for (const auto& [key, text] : options.settings) {
    const SettingRefusal refusal = ApplySetting(params, key, text);
    if (!refusal) continue;
    std::string message = refusal.text;
    if (refusal.fault == SettingFault::NoSuchParameter) message += kListsThemAll;
    messages.Warn(refusal.caption, message);
    return false;
  }
  return true;
}

bool ParsePictureSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  return ParseSide(text.substr(0, x), width) && ParseSide(text.substr(x + 1), height);
}

bool NamesRunOnlyOptions(const RunOptions& o) {
  return !o.csvFile.empty() || !o.recordFile.empty() || !o.pngFile.empty() || !o.svgFile.empty() ||
         !o.pdfFile.empty() || !o.cgmFile.empty() || !o.pltFile.empty() || !o.phaseFile.empty() ||
         !o.overlayFiles.empty() || !o.stimulusFile.empty() || !o.nwbFile.empty() ||
         !o.fromFile.empty() || o.meta || !o.metaFile.empty();
}

}  // namespace vantor::cli
