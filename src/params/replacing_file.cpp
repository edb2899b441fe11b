#include "params/replacing_file.h"

#include <filesystem>
#include <random>

namespace vantor {
namespace fs = std::filesystem;

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open(const std::string& target) {
  Discard();
  failed_ = false;
  std::error_code error;
  if (target.empty() || fs::is_directory(target, error)) return false;
  // Saving through a link replaces the file it points to, not the link.
  fs::path resolved = target;
  if (fs::is_symlink(resolved, error)) {
    const fs::path real = fs::canonical(resolved, error);
    if (!error) resolved = real;
  }
  target_ = resolved.string();
  // A short name of its own in the same directory, so that even the longest
  // target name leaves room and the rename stays within one file system;
  // "x" creates it exclusively, so two writers never share one.
  const fs::path directory = resolved.parent_path();
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < 64; ++attempt) {
    temporary_ = (directory / (".vantor-" + std::to_string(pick() % 100000000) + ".tmp")).string();
    stream_ = std::fopen(temporary_.c_str(), "wbx");
    if (stream_ != nullptr) return true;
    if (!fs::exists(temporary_, error)) break;  // not a name clash
  }
  temporary_.clear();
  return false;
}

void ReplacingFile::Write(const std::string& text) {
  if (stream_ == nullptr) return;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) failed_ = true;
}

bool ReplacingFile::Commit() {
  if (stream_ == nullptr) return false;
  bool ok = !failed_ && std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  if (ok) {
    // The new file keeps the access rights the old one had.
    std::error_code error;
    const fs::file_status old = fs::status(target_, error);
    if (!error && fs::exists(old)) fs::permissions(temporary_, old.permissions(), error);
    ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
  }
  if (!ok) std::remove(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void ReplacingFile::Discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.empty()) {
    std::remove(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace vantor
