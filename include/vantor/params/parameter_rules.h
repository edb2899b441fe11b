// The rules every front end applies when it is given a parameter by name
// and a value as text: the key must name a parameter, the value must be a
// number within the limits. One place words the refusals.
#pragma once

#include <string>
#include <string_view>

#include "vantor/params/parameter_set.h"

namespace vantor {

// Caption of the range message, as the parameter dialogs show it.
inline constexpr std::string_view kRangeCaption = "Bad Parameter";

// "between <min> and <max>": the limits of parameter k as the dialogs write
// them.
std::string RangeLimits(const ParameterSet& params, int k);
// "The value for <label> is out of range. It must be between <min> and <max>!"
std::string RangeMessage(const ParameterSet& params, int k);

// "There is no parameter called "<key>". Did you mean A, B or C?" with the
// names it may have meant (none: the first sentence alone). `key` appears
// as given, in the caller's encoding.
std::string NoParameterMessage(const std::string& key);

// Why a setting was refused; the front end decides how to tell it.
enum class SettingFault { None, NoSuchParameter, NotANumber, OutOfRange };

struct SettingRefusal {
  SettingFault fault = SettingFault::None;
  std::string caption;
  std::string text;  // code page 437
  explicit operator bool() const { return fault != SettingFault::None; }
};

// Sets the parameter `key` (UTF-8) names to the number `text` with the range
// check of the parameter dialogs. Nothing changes on refusal.
SettingRefusal ApplySetting(ParameterSet& params, const std::string& key, const std::string& text);

}  // namespace vantor
