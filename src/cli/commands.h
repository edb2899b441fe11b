// The sub-commands of vantor-cli. Each file cmd_NAME.cpp registers its
// command with one CommandRegistration at namespace scope; main() finds it
// by name, answers --help, -h and --version for it, and lists it in `help`.
// A command returns the exit status: 0 success, 1 an input was refused (the
// message is on standard error), 2 usage error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor::cli {

struct CommandInfo {
  const char* name;      // "run"
  const char* synopsis;  // what follows the name in the usage line: "[PARAMFILE] [options]"
  const char* summary;   // one line for the list of `vantor-cli help`
  const char* details;   // the rest of `vantor-cli NAME --help` (options), may be ""
  int order;             // place in the list of `help`
  int (*run)(const std::vector<std::string>& args);  // the words after the name
};

// Registers a command at start-up (one static object per command file).
class CommandRegistration {
 public:
  explicit CommandRegistration(const CommandInfo& info);
};

// Every registered command, in the order of `help`.
std::vector<CommandInfo> Commands();
const CommandInfo* FindCommand(std::string_view name);
// "usage: vantor-cli NAME SYNOPSIS", the summary and the details.
std::string CommandHelp(const CommandInfo& info);

// Splits the words of a command without options of its own into its
// positional words: "--" ends the options, "-" is a name, any other word
// beginning with "-" is a usage error. False with `error` set.
bool PositionalWords(const std::vector<std::string>& args, std::vector<std::string>& words,
                     std::string& error);

// The directory of the running program (where the shipped data lies), with
// a trailing "/".
std::string ProgramDirectory();

}  // namespace vantor::cli
