// How the dialogs show numbers in their fields and read them back.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// Longest text a field takes, as the dialogs read it.
inline constexpr int kFieldTextLimit = 79;

// FormatNumber(value, 6, 9, AutoTrimmed): the form every dialog field shows.
QString FieldText(float value);

// The decimal number the text holds (blanks around it are allowed, and a
// decimal comma counts as a point). None when the text is not one number
// with nothing after it. A number too large for a float
// comes back as an infinity, so that the range check refuses it by name.
std::optional<float> ScanFieldNumber(const QString& text);

// Code page 437 bytes (prompts, units, the comment) and the texts shown.
QString FromCp437(std::string_view bytes);
std::string ToCp437(const QString& text);

}  // namespace vantor
