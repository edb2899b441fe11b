#include "text/digits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantor {

namespace {

constexpr int kKeptDigits = 17;

// Adds one to the last digit of s, carrying to the left. Returns true when the
// carry ran out of the first digit (s is then all zeros and needs a leading 1).
bool IncrementDigits(std::string& s) {
  for (std::size_t i = s.size(); i-- > 0;) {
    if (s[i] == '9') {
      s[i] = '0';
    } else {
      ++s[i];
      return false;
    }
  }
  return true;
}

}  // namespace

DecimalDigits ToDecimalDigits(double value, int count) {
  DecimalDigits out;
  if (count < 1) count = 1;
  if (value == 0.0 || !std::isfinite(value)) {
    out.digits.assign(static_cast<std::size_t>(count), '0');
    return out;
  }
  out.negative = std::signbit(value);
  const double magnitude = std::fabs(value);

  // A double's exact decimal expansion has at most 767 significant digits, so
  // this precision prints it without any rounding of its own and the digits
  // below are the true ones.
  char buf[800];
  std::snprintf(buf, sizeof buf, "%.780e", magnitude);
  std::string all;
  all.reserve(kKeptDigits + 1);
  const char* p = buf;
  for (; *p != '\0' && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9' && all.size() < kKeptDigits + 1) all.push_back(*p);
  }
  int exponent = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
  while (all.size() < kKeptDigits + 1) all.push_back('0');

  // 17 digits, half up: only the 18th digit decides.
  std::string kept = all.substr(0, kKeptDigits);
  if (all[kKeptDigits] >= '5' && IncrementDigits(kept)) {
    kept.insert(kept.begin(), '1');
    kept.pop_back();
    ++exponent;
  }

  if (count >= kKeptDigits) {
    out.digits = kept;
    out.digits.append(static_cast<std::size_t>(count - kKeptDigits), '0');
  } else {
    out.digits = kept.substr(0, static_cast<std::size_t>(count));
    if (kept[static_cast<std::size_t>(count)] >= '5' && IncrementDigits(out.digits)) {
      out.digits.insert(out.digits.begin(), '1');
      out.digits.pop_back();
      ++exponent;
    }
  }
  out.exponent = exponent;
  return out;
}

}  // namespace vantor
