#include "cli/output_set.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/diagnostics.h"
#include "cli/interrupts.h"

namespace vantor::cli {

std::string FileIdentity(const std::string& path) {
  if (path == "-" || path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1")
    return "standard output";
  // The kernel does not pass through a missing folder ("new/../a.csv"); the
  // name is made plain first, then an existing file is known by its inode.
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  const std::string plain = error ? path : canonical.string();
  struct stat info {};
  if (stat(plain.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    return "inode " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
  return plain;
}

void OutputSet::Add(const std::string& option, const std::string& path) {
  outputs_.push_back({option, path, std::make_unique<OutputFile>(&CommandTemporaries())});
}

bool OutputSet::Open(const std::vector<std::string>& inputs) {
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    const Output& out = outputs_[i];
    const std::string identity = FileIdentity(out.path);
    for (const std::string& input : inputs) {
      if (input.empty() || FileIdentity(input) != identity) continue;
      PrintError("the output " + out.option + " " + out.path + " is also an input (" + input +
                 "); refusing to replace it");
      return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (FileIdentity(outputs_[j].path) != identity) continue;
      PrintError(out.option + " " + out.path + " and " + outputs_[j].option + " " +
                 outputs_[j].path + " name the same file");
      return false;
    }
  }
  for (Output& out : outputs_) {
    // A name the folder cannot take (too long) is only found out by the
    // rename at the end; ask first.
    const std::string problem = out.path == "-" ? std::string() : WriteProblem(out.path);
    const bool opened = problem.empty() && (out.path == "-" ? out.file->OpenStandardOutput()
                                                             : out.file->Open(out.path));
    if (!opened) {
      const std::string reason = problem.empty() ? WriteProblem(out.path) : problem;
      PrintError("Could not write file " + out.path + (reason.empty() ? "" : " (" + reason + ")"));
      Abandon();
      return false;
    }
  }
  return true;
}

OutputFile* OutputSet::File(const std::string& option) {
  for (Output& out : outputs_)
    if (out.option == option) return out.file.get();
  return nullptr;
}

const std::string& OutputSet::Path(const std::string& option) const {
  static const std::string none;
  for (const Output& out : outputs_)
    if (out.option == option) return out.path;
  return none;
}

bool OutputSet::Commit() {
  ReachedPhase("commit");
  // Every byte is out (a device or standard output has had all of it) before
  // the first file is replaced, so that a late failure replaces nothing.
  for (Output& out : outputs_) {
    errno = 0;
    if (out.file->Close()) continue;
    Failed(out);
    return false;
  }
  if (!PassCommitPoint()) {
    Abandon();
    return false;
  }
  ReachedPhase("place");
  for (Output& out : outputs_) {
    errno = 0;
    if (out.file->Commit()) continue;
    Failed(out);
    return false;
  }
  return true;
}

void OutputSet::Failed(const Output& out) {
  const int error = errno;
  PrintError("Could not write file " + out.path +
             (error != 0 ? " (" + std::string(std::strerror(error)) + ")" : ""));
  Abandon();
}

void OutputSet::Abandon() {
  for (Output& out : outputs_) out.file->Abandon();
}

std::string OutputSet::Names() const {
  std::string names;
  for (const Output& out : outputs_) {
    if (!names.empty()) names += ", ";
    names += out.path == "-" ? "standard output" : out.path;
  }
  return names;
}

std::vector<std::string> OutputSet::Paths() const {
  std::vector<std::string> paths;
  for (const Output& out : outputs_) paths.push_back(out.path);
  return paths;
}

}  // namespace vantor::cli
