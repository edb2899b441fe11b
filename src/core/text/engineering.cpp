// Engineering notation for scale-bar labels: the value in the caller's unit
// is rescaled to the SI prefix whose group of three digits it falls in
// ("0.5 nA" becomes "500 pA").
#include <cmath>
#include <cstdlib>
#include <string>

#include "text/digits.h"
#include "vantor/text/number_format.h"

namespace vantor {

namespace {

// Index 5 (blank) is the unity entry; each step is a factor of 1000.
// The micro sign is the code page 437 byte like in the program's units.
constexpr char kPrefixes[] = "fpn\xE6m kMgt";
constexpr int kUnityIndex = 5;
constexpr char kOemMicro = '\xE6';
constexpr char kDisplayMicro = '\xB5';

double PowerOfTen(int k) {
  return std::pow(10.0, static_cast<double>(k));
}

// digits x 10^k as exactly as one rounding allows: dividing by an exact power
// of ten beats multiplying by an inexact negative one.
float ScaledValue(const std::string& digits, int k) {
  const double n = std::strtod(digits.c_str(), nullptr);
  return static_cast<float>(k >= 0 ? n * PowerOfTen(k) : n / PowerOfTen(-k));
}

// Only the micro sign occurs in practice; the other code page 437 letters the
// program uses stay as they are and are converted where they are shown.
void OemToDisplay(std::string& s) {
  for (char& c : s) {
    if (c == kOemMicro) c = kDisplayMicro;
  }
}

int PrefixIndex(char c) {
  for (int i = 0; kPrefixes[i] != '\0'; ++i) {
    if (kPrefixes[i] == c) return i;
  }
  return -1;
}

// The number at the start of a text, as the program reads dialog fields.
float LeadingNumber(const std::string& s) {
  return static_cast<float>(std::strtod(s.c_str(), nullptr));
}

}  // namespace

std::string FormatEngineering(std::string_view unit, float value, int digits,
                              float* shownValue) {
  const int D = digits < 1 ? 1 : (digits > 17 ? 17 : digits);
  std::string copy(unit);
  if (copy.size() < 2) copy.insert(copy.begin(), ' ');

  if (!unit.empty() && unit[0] == ' ') {
    std::string text = FormatTrimmed(value, D);
    if (shownValue != nullptr) *shownValue = LeadingNumber(text);
    OemToDisplay(text);
    return text;
  }
  if (!unit.empty() && unit[0] == '%') {
    std::string text = FormatTrimmed(value * 100.0f, D);
    if (shownValue != nullptr) *shownValue = LeadingNumber(text) / 100.0f;
    text += copy;
    OemToDisplay(text);
    return text;
  }

  // Zero has no prefix group; "0 mV" reads better than the "000 m" the digit
  // rules would give. Infinities and NaN have no digits at all.
  if (value == 0.0f || !std::isfinite(value)) {
    std::string text = (value == 0.0f) ? "0" : FormatTrimmed(value, D);
    if (value == 0.0f && shownValue != nullptr) *shownValue = 0.0f;
    text += ' ';
    text += std::string(unit);
    OemToDisplay(text);
    return text;
  }

  int unitPower = 0;  // the caller's unit is 10^unitPower of the bare unit
  const int index = PrefixIndex(copy[0]);
  float scaled = value;
  if (index >= 0) {
    unitPower = 3 * (index - kUnityIndex);
    scaled = value * static_cast<float>(PowerOfTen(unitPower));
    copy.erase(copy.begin());
  }
  if (!std::isfinite(scaled) || scaled == 0.0f) {
    // Rescaling ran out of single-precision range: show the value as given.
    std::string text = FormatTrimmed(value, D) + " " + std::string(unit);
    OemToDisplay(text);
    return text;
  }

  const DecimalDigits d = ToDecimalDigits(static_cast<double>(scaled), D);
  const int E = d.exponent;
  const int G = (E >= 1) ? (E - 1) / 3 : E / 3 - 1;
  std::string text;
  if (G > 4 || G < -5) {
    text = d.digits.substr(0, 1) + "." + d.digits.substr(1) + "e" +
           std::to_string(E - 1) + " ";
  } else {
    const int whole = E - 3 * G;  // 1 to 3 digits before the point
    text = d.digits;
    if (whole < D) {
      text.insert(static_cast<std::size_t>(whole), 1, '.');
    } else if (whole > D) {
      text.append(static_cast<std::size_t>(whole - D), '0');
    }
    if (shownValue != nullptr) {
      *shownValue = ScaledValue(d.digits, E - D - unitPower);
    }
    text += ' ';
    if (G != 0) text += kPrefixes[G + kUnityIndex];
  }
  text += copy;
  if (d.negative) text.insert(text.begin(), '-');
  OemToDisplay(text);
  return text;
}

}  // namespace vantor
