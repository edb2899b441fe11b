// FormatNumber and its thin wrappers: a value with L significant digits in a
// field of W characters, plain when it fits, otherwise an exponent form, and
// fewer digits until the text fits.
#include "vantor/text/number_format.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "text/digits.h"
#include "vantor/text/text_helpers.h"

namespace vantor {

namespace {

// Texts are bounded so that a wild width from a caller cannot blow up memory.
constexpr int kMaxText = 99;

void PadLeft(std::string& s, std::size_t width) {
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
}

// Plain form for magnitudes of 1 and above (E >= 1).
std::string PlainWhole(const DecimalDigits& d, int L, int W) {
  const int E = d.exponent;
  int F = W;
  if (E < L && W <= L) F = L + 1;
  if (d.negative && F <= L + 1) ++F;
  std::string s = d.negative ? "-" : "";
  if (E >= L) {
    s += d.digits;
    s.append(static_cast<std::size_t>(E - L), '0');
  } else {
    s.append(d.digits, 0, static_cast<std::size_t>(E));
    s += '.';
    s.append(d.digits, static_cast<std::size_t>(E), std::string::npos);
  }
  PadLeft(s, static_cast<std::size_t>(F));
  return s;
}

// Plain form for magnitudes below 1 (E <= 0): exactly W characters.
std::string PlainFraction(const DecimalDigits& d, int L, int W, bool trimmed) {
  const int E = d.exponent;
  std::string s(static_cast<std::size_t>(W + E - L - 2), ' ');
  if (d.negative && !s.empty()) s.back() = '-';
  s += "0.";
  s.append(static_cast<std::size_t>(-E), '0');
  s += d.digits;
  if (trimmed) StripTrailingZeros(s);
  return s;
}

std::string ExponentForm(const DecimalDigits& d, int L, int W, bool trimmed) {
  std::string s = d.negative ? "-" : "";
  s += d.digits[0];
  if (L > 1) {
    s += '.';
    s.append(d.digits, 1, std::string::npos);
    if (trimmed) {
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
    }
  }
  s += 'e';
  s += std::to_string(d.exponent - 1);
  PadLeft(s, static_cast<std::size_t>(W));
  return s;
}

// Steps 2 to 7 for one digit count.
std::string FormatOnce(double value, int L, int W, bool trimmed) {
  const DecimalDigits d = ToDecimalDigits(value, L);
  const int E = d.exponent;
  const int sign = d.negative ? 1 : 0;
  std::string s;
  if (E <= 0) {
    s = (2 - E + L + sign <= W) ? PlainFraction(d, L, W, trimmed)
                                : ExponentForm(d, L, W, trimmed);
  } else {
    s = (E + sign <= W) ? PlainWhole(d, L, W) : ExponentForm(d, L, W, trimmed);
  }
  if (trimmed) {
    StripTrailingZeros(s);
    TrimBlanks(s);
  }
  return s;
}

// Infinities and NaN have no digits; they are shown by name so that a file
// written from them reads back as the same kind of value.
std::string FormatNonFinite(float value, int W, bool trimmed) {
  std::string s = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
  if (static_cast<int>(s.size()) > W) return std::string(static_cast<std::size_t>(W), '*');
  if (!trimmed) PadLeft(s, static_cast<std::size_t>(W));
  return s;
}

}  // namespace

std::string FormatNumber(float value, int digits, int width, FormatMode mode) {
  const int W = std::clamp(width, 0, kMaxText);
  const bool trimmed = (mode == AutoTrimmed);
  if (!std::isfinite(value)) return FormatNonFinite(value, W, trimmed);
  for (int L = std::min(digits, kMaxText); L >= 1; --L) {
    std::string s = FormatOnce(static_cast<double>(value), L, W, trimmed);
    if (static_cast<int>(s.size()) <= W) return s;
  }
  return std::string(static_cast<std::size_t>(W), '*');
}

std::string FormatPadded(float value, int digits) {
  const int L = std::clamp(digits, -6, kMaxText);  // keeps digits + 6 from overflowing
  return FormatNumber(value, L, L + 6, AutoDecimals);
}

std::string FormatTrimmed(float value, int digits) {
  std::string s = FormatPadded(value, digits);
  TrimBlanks(s);
  return s;
}

std::string FormatShort(float value, int digits) {
  if (value == 0.0f) return "0";
  std::string s = FormatTrimmed(value, digits);
  StripTrailingZeros(s);
  return s;
}

}  // namespace vantor
