// How vantor-cli talks to the user on standard error: one line per message,
// "vantor-cli: error: <text>" or "vantor-cli: warning: <text>", where the text
// is the program's own message without the caption of its message box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vantor/params/messages.h"

namespace vantor::cli {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

void PrintError(std::string_view text);
void PrintWarning(std::string_view text);
// A usage error of `command` (empty: the program itself), with a pointer to
// its help. Returns the usage exit status.
int UsageError(const std::string& command, const std::string& text);

// The system's reason why `path` cannot be read ("No such file or
// directory", "Permission denied", "Is a directory"); empty when it can.
std::string ReadProblem(const std::string& path);
// The system's reason why `path` cannot be written as a new or replaced
// file; empty when nothing is known to stand in the way.
std::string WriteProblem(const std::string& path);

// The messages of a file reader in the program's words, to be framed once
// the read's outcome is known: as errors when it refused the file, as
// warnings when the file was read anyway (a missing companion). A message
// that does not name `path` gets it appended, with the system's reason
// when there is one. What the reader read all the same (kReadWarningCaption)
// is always a warning.
class FileMessages : public Messages {
 public:
  explicit FileMessages(std::string path) : path_(std::move(path)) {}
  void Warn(std::string_view caption, std::string_view text) override;
  // Prints everything collected; returns how many there were.
  int Print(bool asErrors);
  bool Empty() const { return texts_.empty(); }

 private:
  struct Text {
    std::string line;
    bool readAnyway;  // a warning even when the read failed
  };
  std::string path_;
  std::vector<Text> texts_;
};

// Messages printed at once, as errors (a run's refusal, a drawing problem).
class StderrMessages : public Messages {
 public:
  void Warn(std::string_view caption, std::string_view text) override;
  int count = 0;
};

}  // namespace vantor::cli
