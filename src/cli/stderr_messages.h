// Messages for the command line: printed to standard error, one per line,
// caption first, code page 437 texts converted for the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "encode/text_helpers.h"
#include "params/messages.h"

namespace vantor::cli {

class StderrMessages : public Messages {
 public:
  void Warn(std::string_view caption, std::string_view text) override {
    std::string line = std::string(caption) + " " + Cp437ToUtf8(text) + "\n";
    std::fputs(line.c_str(), stderr);
    ++count;
  }
  int count = 0;
};

}  // namespace vantor::cli
