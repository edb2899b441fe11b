// The numbers of the CSV: exactly the text printf("%.9g") gives (nine
// significant digits give every float back exactly), in a fraction of the
// time, so that writing a sample costs less than computing it.
#pragma once

namespace vantor {

// Writes the text of `value` at `out` (room for 32 bytes) and returns its end.
char* FormatNine(char* out, double value);

}  // namespace vantor
