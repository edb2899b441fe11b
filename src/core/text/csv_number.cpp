#include "vantor/text/csv_number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vantor {
namespace {

constexpr int kLowest = -300;  // the quick way covers 10^-300 .. 10^300
constexpr int kHighest = 300;

struct Powers {
  double value[kHighest - kLowest + 1];
  Powers() {
    for (int k = kLowest; k <= kHighest; ++k) value[k - kLowest] = std::pow(10.0, k);
  }
};

const Powers& Table() {
  static const Powers powers;
  return powers;
}

char* Exact(char* out, double value) {
  return std::to_chars(out, out + 32, value, std::chars_format::general, 9).ptr;
}

// Drops trailing zeros after the point, then a bare point.
char* TrimZeros(char* end) {
  while (end[-1] == '0') --end;
  if (end[-1] == '.') --end;
  return end;
}

}  // namespace

char* FormatNine(char* out, double value) {
  if (value == 0 || !std::isfinite(value)) return Exact(out, value);
  const double magnitude = std::fabs(value);
  uint64_t bits = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);
  // magnitude lies in [2^binary, 2^(binary+1)); floor(binary log10 2) is
  // floor(log10(magnitude)) or one less.
  const int binary = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  int exponent = (binary * 78913) >> 18;
  if (exponent < kLowest + 10 || exponent > kHighest - 10) return Exact(out, value);
  const Powers& powers = Table();
  double scaled = magnitude * powers.value[8 - exponent - kLowest];
  if (scaled >= 1e9) {
    ++exponent;
    scaled = magnitude * powers.value[8 - exponent - kLowest];
  }
  const double whole = static_cast<double>(static_cast<uint64_t>(scaled));
  const double fraction = scaled - whole;
  // The product errs by less than 1e-6 here; only close to a tie could the
  // rounding go the wrong way, and the exact formatter decides those.
  if (whole < 1e8 || whole >= 1e9 || std::fabs(fraction - 0.5) < 1e-5) return Exact(out, value);
  uint32_t digits = static_cast<uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
  if (digits == 1000000000u) {
    digits = 100000000u;
    ++exponent;
  }
  // Two digits at a time: the divisions depend on each other.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char text[9];
  for (int i = 7; i >= 1; i -= 2) {
    const uint32_t pair = digits % 100;
    digits /= 100;
    text[i] = kPairs[2 * pair];
    text[i + 1] = kPairs[2 * pair + 1];
  }
  text[0] = static_cast<char>('0' + digits);
  char* p = out;
  if (value < 0) *p++ = '-';
  if (exponent >= -4 && exponent < 9) {
    if (exponent >= 0) {
      for (int i = 0; i <= exponent; ++i) *p++ = text[i];
      if (exponent == 8) return p;
      *p++ = '.';
      for (int i = exponent + 1; i < 9; ++i) *p++ = text[i];
    } else {
      *p++ = '0';
      *p++ = '.';
      for (int i = -1; i > exponent; --i) *p++ = '0';
      for (int i = 0; i < 9; ++i) *p++ = text[i];
    }
    return TrimZeros(p);
  }
  *p++ = text[0];
  *p++ = '.';
  for (int i = 1; i < 9; ++i) *p++ = text[i];
  p = TrimZeros(p);
  *p++ = 'e';
  *p++ = exponent < 0 ? '-' : '+';
  const int shown = exponent < 0 ? -exponent : exponent;
  if (shown >= 100) *p++ = static_cast<char>('0' + shown / 100);
  *p++ = static_cast<char>('0' + shown / 10 % 10);
  *p++ = static_cast<char>('0' + shown % 10);
  return p;
}

}  // namespace vantor
