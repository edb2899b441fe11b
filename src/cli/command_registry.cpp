#include <algorithm>

#include "cli/commands.h"

namespace vantor::cli {
namespace {

// Filled by the registrations of the command files before main() runs.
std::vector<CommandInfo>& Registry() {
  static std::vector<CommandInfo> registry;
  return registry;
}

}  // namespace

CommandRegistration::CommandRegistration(const CommandInfo& info) { Registry().push_back(info); }

std::vector<CommandInfo> Commands() {
  std::vector<CommandInfo> list = Registry();
  std::stable_sort(list.begin(), list.end(),
                   [](const CommandInfo& a, const CommandInfo& b) { return a.order < b.order; });
  return list;
}

const CommandInfo* FindCommand(std::string_view name) {
  for (const CommandInfo& info : Registry())
    if (name == info.name) return &info;
  return nullptr;
}

std::string CommandHelp(const CommandInfo& info) {
  std::string text = std::string("usage: vantor-cli ") + info.name;
  if (*info.synopsis != '\0') text.append(" ").append(info.synopsis);
  text.append("\n").append(info.summary).append("\n");
  if (*info.details != '\0') text.append(info.details);
  return text;
}

bool PositionalWords(const std::vector<std::string>& args, std::vector<std::string>& words,
                     std::string& error) {
  bool options = true;
  for (const std::string& word : args) {
    if (options && word == "--") {
      options = false;
      continue;
    }
    if (options && word.size() > 1 && word[0] == '-') {
      error = "unknown option " + word;
      return false;
    }
    words.push_back(word);
  }
  return true;
}

}  // namespace vantor::cli
