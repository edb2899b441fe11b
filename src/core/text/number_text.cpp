#include "vantor/text/number_text.h"

#include <charconv>
#include <cstdio>

#include "vantor/text/csv_number.h"

namespace vantor {

std::string FormatGeneral(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string FormatShortest(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatNine(double value) {
  char text[32];
  return std::string(text, FormatNine(text, value));
}

}  // namespace vantor
