// Decimal digits of a value for the formatters: |v| = 0.S x 10^E.
#pragma once

#include <string>

namespace vantor {

struct DecimalDigits {
  std::string digits;     // exactly the requested count of '0'..'9'
  int exponent = 0;       // E: the decimal point sits E places after digit 1
  bool negative = false;  // never set for zero or -0
};

// `count` significant digits of a finite value (count >= 1). The exact binary
// value is first taken to 17 significant digits rounded half up, then cut to
// `count` digits rounding up on a first dropped digit of 5 or more; a carry
// out of the first digit moves the exponent up by one. Counts above 17 are
// padded with zeros. Zero (and non-finite input) gives zeros with E = 0.
DecimalDigits ToDecimalDigits(double value, int count);

}  // namespace vantor
