// Everything the user must be told goes through one Messages object: the GUI
// shows a modal box, the command line prints to standard error, tests
// capture the texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Caption of the file readers' error box.
inline constexpr std::string_view kErrorCaption = "Error!";
// Caption of what a reader read all the same ("80,5" taken as 80): never the
// reason a read failed.
inline constexpr std::string_view kReadWarningCaption = "Warning";
// Caption of the shell's own warnings and prompts.
inline constexpr std::string_view kShellCaption = "VTWin";

class Messages {
 public:
  virtual ~Messages() = default;
  // A modal warning: caption and text as the program words them (code page
  // 437 bytes where a prompt or a unit is quoted).
  virtual void Warn(std::string_view caption, std::string_view text) = 0;
};

// Keeps every message; for tests and for callers that report later.
class CollectedMessages : public Messages {
 public:
  struct Entry {
    std::string caption;
    std::string text;
  };
  void Warn(std::string_view caption, std::string_view text) override {
    entries.push_back({std::string(caption), std::string(text)});
  }
  std::vector<Entry> entries;
};

// Drops everything; for callers that have nobody to tell.
class SilentMessages : public Messages {
 public:
  void Warn(std::string_view, std::string_view) override {}
};

}  // namespace vantor
