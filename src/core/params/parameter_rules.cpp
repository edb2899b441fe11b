#include "vantor/params/parameter_rules.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_names.h"
#include "vantor/text/number_format.h"
#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

// The whole text as a float; false for anything else (an empty text, "12x").
bool ParseValue(const std::string& text, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtof(text.c_str(), &end);
  return end != nullptr && *end == '\0';
}

}  // namespace

std::string RangeLimits(const ParameterSet& params, int k) {
  return "between " + FormatNumber(params.Minimum(k), 6, 9, AutoTrimmed) + " and " +
         FormatNumber(params.Maximum(k), 5, 7, AutoTrimmed);
}

std::string RangeMessage(const ParameterSet& params, int k) {
  return "The value for " + params.MessageLabel(k) + " is out of range. It must be " +
         RangeLimits(params, k) + "!";
}

std::string NoParameterMessage(const std::string& key) {
  std::string message = "There is no parameter called \"" + key + "\".";
  const std::vector<std::string> close = SuggestParameterNames(key);
  for (std::size_t i = 0; i < close.size(); ++i)
    message += (i == 0 ? " Did you mean " : i + 1 == close.size() ? " or " : ", ") + close[i];
  if (!close.empty()) message += "?";
  return message;
}

SettingRefusal ApplySetting(ParameterSet& params, const std::string& key, const std::string& text) {
  const int k = FindParameterKey(params, key);
  if (k < 0)
    return {SettingFault::NoSuchParameter, std::string(kShellCaption),
            NoParameterMessage(Utf8ToCp437(key))};
  float value = 0;
  if (!ParseValue(text, value)) {
    std::string label = params.MessageLabel(k);
    while (!label.empty() && label.back() == ' ') label.pop_back();
    return {SettingFault::NotANumber, std::string(kShellCaption),
            "The value \"" + Utf8ToCp437(text) + "\" for " + label + " is not a number."};
  }
  // Between methods there is none: 2.5 would run as method 2.
  if (k == param::Model && value != std::floor(value))
    return {SettingFault::NotANumber, std::string(kShellCaption),
            "The method \"" + Utf8ToCp437(text) + "\" is not a whole number."};
  if (!params.InRange(k, value))
    return {SettingFault::OutOfRange, std::string(kRangeCaption), RangeMessage(params, k)};
  params.SetValue(k, value);
  return {};
}

}  // namespace vantor
