// Plain number texts, each written the one way the program writes it
// everywhere: in messages, JSON and Python listings.
#pragma once

#include <string>

namespace vantor {

// printf("%g"): six significant digits, trailing zeros dropped ("80", "1e-05").
std::string FormatGeneral(double value);

// The shortest text that reads back as the same float ("0.1", "1e+20").
std::string FormatShortest(float value);

// printf("%.9g"): enough digits to give every float back exactly.
std::string FormatNine(double value);

}  // namespace vantor
