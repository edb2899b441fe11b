// Every file a command writes, checked and opened before any work starts
// and put in place together at the end: a refused or interrupted command
// replaces nothing. Each output goes to a temporary file beside its target
// (devices, FIFOs and standard output are written directly).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vantor/files/output_file.h"

namespace vantor::cli {

class OutputSet {
 public:
  // An output asked for by `option` ("--csv"); "-" is standard output.
  void Add(const std::string& option, const std::string& path);
  bool Empty() const { return outputs_.empty(); }

  // Refuses an output named twice or naming one of `inputs`, then opens
  // every output. False after a message on standard error; nothing is left
  // behind then.
  bool Open(const std::vector<std::string>& inputs);

  // The open output of `option`; null when it was not asked for.
  OutputFile* File(const std::string& option);
  const std::string& Path(const std::string& option) const;

  // Puts every output in place. False after a message naming the first
  // that failed; the others are then abandoned. False too, and nothing
  // replaced, when a signal has arrived (PassCommitPoint).
  bool Commit();
  // Removes every temporary file; the targets keep their old contents.
  void Abandon();

  // "a.csv, b.png" for the notices.
  std::string Names() const;
  // The paths as given, in the order added.
  std::vector<std::string> Paths() const;

 private:
  struct Output {
    std::string option;
    std::string path;
    std::unique_ptr<OutputFile> file;
  };
  void Failed(const Output& out);
  std::vector<Output> outputs_;
};

// One name for one file: "-" and the descriptors of standard output are the
// same, links are followed, and an existing file is known by its identity,
// so a hard link or "./a/../a.csv" is seen to be the same file.
std::string FileIdentity(const std::string& path);

}  // namespace vantor::cli
