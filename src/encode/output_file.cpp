#include "encode/output_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vantor {

namespace {

// Enough tries to step over leftovers of earlier crashes without looping long.
constexpr int kTempAttempts = 100;

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Open(const std::string& target) {
  Abandon();
  if (target.empty()) return false;
  std::error_code ec;
  if (std::filesystem::exists(target, ec)) {
    // Only replace what we could have overwritten in place.
    std::FILE* probe = std::fopen(target.c_str(), "r+b");
    if (probe == nullptr) return false;
    std::fclose(probe);
  }
  for (int i = 0; i < kTempAttempts; ++i) {
    std::string name = target + ".tmp" + std::to_string(i);
    // "x": never open a file that is already there (another writer's, or a
    // link planted in its place).
    std::FILE* f = std::fopen(name.c_str(), "wbx");
    if (f != nullptr) {
      stream_ = f;
      target_ = target;
      temp_ = std::move(name);
      return true;
    }
    if (!std::filesystem::exists(name, ec)) return false;  // not a name clash
  }
  return false;
}

bool OutputFile::OpenDevice(const std::string& device) {
  Abandon();
  std::FILE* f = std::fopen(device.c_str(), "wb");
  if (f == nullptr) return false;
  stream_ = f;
  target_ = device;
  temp_.clear();
  return true;
}

bool OutputFile::Commit() {
  if (stream_ == nullptr) return false;
  bool ok = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
  ok = (std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  if (temp_.empty()) return ok;
  if (ok) ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) std::remove(temp_.c_str());
  temp_.clear();
  return ok;
}

void OutputFile::Abandon() {
  if (stream_ == nullptr) return;
  std::fclose(stream_);
  stream_ = nullptr;
  if (!temp_.empty()) std::remove(temp_.c_str());
  temp_.clear();
}

}  // namespace vantor
