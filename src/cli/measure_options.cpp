#include "cli/measure_options.h"

#include <cmath>
#include <cstdlib>

#include "cli/run_options.h"

namespace vantor::cli {
namespace {

bool Number(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(value);
}

}  // namespace

Taken TakeMeasureOption(const std::vector<std::string>& args, std::size_t& i,
                        MeasureSettings& settings, std::string& error) {
  const std::string& word = args[i];
  std::string value;
  const auto take = [&](const char* name, const char* needs) {
    if (TakeOptionValue(args, i, name, value) && !value.empty()) return true;
    error = std::string(name) + " needs " + needs;
    return false;
  };
  double x = 0;
  if (IsOption(word, "--threshold")) {
    if (!take("--threshold", "a potential in mV")) return Taken::Error;
    if (!Number(value, x)) {
      error = "--threshold needs a potential in mV: " + value;
      return Taken::Error;
    }
    settings.rule.threshold = x;
    return Taken::Yes;
  }
  if (IsOption(word, "--dvdt")) {
    if (!take("--dvdt", "a rate in mV/ms")) return Taken::Error;
    if (!Number(value, x) || !(x > 0)) {
      error = "--dvdt needs a rate in mV/ms above 0: " + value;
      return Taken::Error;
    }
    settings.rule.dvdt = x;
    return Taken::Yes;
  }
  if (IsOption(word, "--window")) {
    if (!take("--window", "FROM:TO in ms")) return Taken::Error;
    const std::size_t colon = value.find(':');
    double from = 0, to = 0;
    if (colon == std::string::npos || !Number(value.substr(0, colon), from) ||
        !Number(value.substr(colon + 1), to) || !(from < to) || from < 0) {
      error = "--window needs FROM:TO in ms with 0 <= FROM < TO: " + value;
      return Taken::Error;
    }
    settings.windowGiven = true;
    settings.from = from, settings.to = to;
    return Taken::Yes;
  }
  return Taken::No;
}

}  // namespace vantor::cli
