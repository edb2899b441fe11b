// vantor-cli: the headless front end. The commands register themselves
// (commands.h); this file finds them and answers the questions every
// command shares: help, --help, -h and --version.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"

namespace vantor::cli {
namespace {

void PrintOverview(std::FILE* to) {
  std::string text = "usage: vantor-cli COMMAND [options] [--] [FILES]\n\ncommands:\n";
  for (const CommandInfo& info : Commands()) {
    std::string name = std::string("  ") + info.name;
    name.resize(std::max<std::size_t>(name.size() + 1, 12), ' ');
    text += name + info.summary + "\n";
  }
  text +=
      "\n'vantor-cli COMMAND --help' (or -h) tells more about a command;\n"
      "'vantor-cli --version' names the version.\n"
      "Exit status: 0 done, 1 an input was refused, 2 usage error.\n";
  std::fputs(text.c_str(), to);
}

int Version() {
  std::printf("vantor-cli %s\n", VANTOR_VERSION);
  return 0;
}

int Help(const std::vector<std::string>& words) {
  if (words.empty()) {
    PrintOverview(stdout);
    return 0;
  }
  const CommandInfo* info = FindCommand(words[0]);
  if (info == nullptr) return UsageError("", "unknown command '" + words[0] + "'");
  std::fputs(CommandHelp(*info).c_str(), stdout);
  return 0;
}

int Main(const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintOverview(stderr);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help")
    return Help(std::vector<std::string>(args.begin() + 1, args.end()));
  if (first == "--version") return Version();
  const CommandInfo* info = FindCommand(first);
  if (info == nullptr) {
    if (first.size() > 1 && first[0] == '-') return UsageError("", "unknown option " + first);
    return UsageError("", "unknown command '" + first + "'");
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  // Options every command shares; after "--" every word is the command's.
  for (const std::string& word : rest) {
    if (word == "--") break;
    if (word == "--help" || word == "-h") {
      std::fputs(CommandHelp(*info).c_str(), stdout);
      return 0;
    }
    if (word == "--version") return Version();
  }
  return info->run(rest);
}

}  // namespace
}  // namespace vantor::cli

int main(int argc, char** argv) {
  std::setlocale(LC_NUMERIC, "C");
  vantor::cli::InstallInterruptHandlers();
  vantor::cli::ReachedPhase("start");
  const int status = vantor::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
  std::fflush(stdout);
  // An interrupted command has cleaned up behind itself; now end as the
  // signal would have ended it.
  vantor::cli::ExitIfInterrupted();
  return status;
}
