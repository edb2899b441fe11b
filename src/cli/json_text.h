// JSON text for the command line's machine-readable outputs.
#pragma once

#include <string>

namespace vantor::cli {

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped.
std::string JsonString(const std::string& text);
// The shortest text that reads back as the same float; null when not finite.
std::string JsonNumber(float value);

}  // namespace vantor::cli
