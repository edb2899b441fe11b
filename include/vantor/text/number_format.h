// Number formatting shared by dialogs, files, axis labels and scale bars.
// Every operation returns its own string (no shared buffers).
#pragma once

#include <string>
#include <string_view>

namespace vantor {

enum FormatMode : int {
  AutoDecimals = -1,
  AutoTrimmed = -2,
};

// `digits` significant digits in a field of `width` characters; switches to
// an exponent form when the plain form does not fit and drops digits until
// the text fits (W asterisks when nothing fits).
std::string FormatNumber(float value, int digits, int width, FormatMode mode);
// FormatNumber(value, digits, digits + 6, AutoDecimals).
std::string FormatPadded(float value, int digits);
// FormatPadded with blanks removed at both ends.
std::string FormatTrimmed(float value, int digits);
// "0" for exactly zero, otherwise FormatTrimmed without trailing zeros.
std::string FormatShort(float value, int digits);
// Engineering notation with an SI prefix letter and the unit ("20 mV",
// "500 pA"). The unit and the result are code page 437 bytes, except that
// the micro sign of the result is converted to the display code page
// (0xE6 becomes 0xB5). `shownValue`, when not null, receives the value the
// text shows, in the caller's unit. It is signed for a blank or per-cent
// unit. For every other unit it is the magnitude, and it is left as it was
// when the text is in exponent form or shows no digits of the value
// (infinity, NaN, a rescaling out of range).
std::string FormatEngineering(std::string_view unit, float value, int digits,
                              float* shownValue);

}  // namespace vantor
