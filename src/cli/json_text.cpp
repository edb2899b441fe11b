#include "cli/json_text.h"

#include <cmath>
#include <cstdio>

#include "vantor/text/number_text.h"

namespace vantor::cli {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonNumber(float value) {
  return std::isfinite(value) ? FormatShortest(value) : std::string("null");
}

}  // namespace vantor::cli
