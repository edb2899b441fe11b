#include "cli/diagnostics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/interrupts.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/parameter_file.h"

namespace vantor::cli {
namespace {

void Print(std::string_view level, std::string_view text) {
  // Once the user has interrupted the command (or the reader of its output
  // has gone), what fails after that is no news.
  if (Interrupted()) return;
  // Texts from files may begin with a blank (" The file x is invalid.");
  // the frame supplies the separation.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::string line = "vantor-cli: ";
  line.append(level).append(": ").append(text).append("\n");
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

bool EndsWith(const std::string& text, std::string_view end);

void PrintError(std::string_view text) { Print("error", text); }
void PrintWarning(std::string_view text) { Print("warning", text); }

int UsageError(const std::string& command, const std::string& text) {
  PrintError(text);
  const std::string help = command.empty() ? "vantor-cli help" : "vantor-cli " + command + " --help";
  std::fprintf(stderr, "(see '%s')\n", help.c_str());
  return kExitUsage;
}

std::string ReadProblem(const std::string& path) {
  if (path.empty()) return "empty name";
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat info {};
  std::string problem;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) problem = std::strerror(EISDIR);
  close(fd);
  return problem;
}

std::string WriteProblem(const std::string& path) {
  if (path.empty()) return "empty name";
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    if (access(path.c_str(), W_OK) != 0) return std::strerror(errno);
    if (!S_ISREG(info.st_mode)) return {};
  } else if (errno != ENOENT) {
    return std::strerror(errno);
  }
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  return {};
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void FileMessages::Warn(std::string_view caption, std::string_view text) {
  const bool readAnyway = caption == kReadWarningCaption;
  std::string line = Cp437ToUtf8(text);
  const std::string shown = Cp437ToUtf8(path_);
  const bool notFound = EndsWith(line, " file not found.") || EndsWith(line, "not found!");
  // A message that names its own file (the parameter file, a companion)
  // gets only the system's reason, and only when the file was not found.
  for (const std::string& named : {path_, CompanionPath(path_)}) {
    if (line.find(Cp437ToUtf8(named)) == std::string::npos) continue;
    const std::string reason = notFound ? ReadProblem(named) : std::string();
    if (!reason.empty()) line += " (" + reason + ")";
    texts_.push_back({std::move(line), readAnyway});
    return;
  }
  const std::string reason = ReadProblem(path_);
  line += " (" + shown + (reason.empty() ? "" : ": " + reason) + ")";
  texts_.push_back({std::move(line), readAnyway});
}

int FileMessages::Print(bool asErrors) {
  for (const Text& text : texts_)
    asErrors && !text.readAnyway ? PrintError(text.line) : PrintWarning(text.line);
  const int n = static_cast<int>(texts_.size());
  texts_.clear();
  return n;
}

void StderrMessages::Warn(std::string_view, std::string_view text) {
  PrintError(Cp437ToUtf8(text));
  ++count;
}

}  // namespace vantor::cli
