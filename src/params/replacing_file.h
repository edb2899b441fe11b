// Writes a file so that the user's previous file is never left half
// overwritten: the text goes to a new temporary file beside the target, which
// replaces the target by a rename only once it has been written completely.
#pragma once

#include <cstdio>
#include <string>

namespace vantor {

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();  // an uncommitted temporary file is removed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file; false when the target's directory does not
  // take a new file or the target is a directory. A target that is a link
  // is followed: the file it names is the one replaced.
  bool Open(const std::string& target);
  // The stream to write to; null until Open succeeded.
  std::FILE* Stream() const { return stream_; }
  // Writes text as it is.
  void Write(const std::string& text);
  // Flushes and closes the temporary file and renames it over the target.
  // False (and the target untouched) when anything went wrong on the way.
  bool Commit();
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

 private:
  std::FILE* stream_ = nullptr;
  std::string target_;
  std::string temporary_;
  bool failed_ = false;
};

}  // namespace vantor
