#include "vantor/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

namespace {

// Enough tries to step over leftovers of earlier crashes without looping long.
constexpr int kTempAttempts = 100;
// The system gives up on longer chains of links too; a loop of links ends here.
constexpr int kMaxLinkHops = 40;

// A name the C library sees exactly as given: an embedded NUL would cut it
// short and send the bytes to some other file.
bool UsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

// The file a save through `target` should replace. Saving through a link
// replaces the file it names, not the link; a link whose file does not exist
// yet still names where the file goes. Nothing for a loop of links.
std::optional<fs::path> FollowLinks(const fs::path& target) {
  fs::path resolved = target;
  std::error_code error;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    if (!fs::is_symlink(resolved, error)) return resolved;
    const fs::path next = fs::read_symlink(resolved, error);
    if (error) return std::nullopt;
    resolved = next.is_absolute() ? next : resolved.parent_path() / next;
  }
  return std::nullopt;
}

// The process's own descriptors: replacing what they name would cut the
// shell's redirection off from the output.
bool IsOwnDescriptor(const std::string& name) {
  return name == "/dev/stdout" || name == "/dev/stderr" || name.rfind("/dev/fd/", 0) == 0 ||
         name.rfind("/proc/self/fd/", 0) == 0;
}

enum class TargetKind { Replaceable, Direct, Refused };

TargetKind KindOf(const std::string& target) {
  if (IsOwnDescriptor(target)) return TargetKind::Direct;
  struct stat info {};
  if (stat(target.c_str(), &info) != 0) return TargetKind::Replaceable;  // a new file
  if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return TargetKind::Direct;
  if (S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode)) return TargetKind::Refused;
  return TargetKind::Replaceable;
}

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Open(const std::string& target) {
  Abandon();
  failed_ = false;
  error_ = 0;
  if (!UsableName(target)) return false;
  if (temporaries_ != nullptr && temporaries_->Holds(target)) return OpenDevice(target);
  switch (KindOf(target)) {
    case TargetKind::Direct:
      return OpenDevice(target);
    case TargetKind::Refused:
      return false;
    case TargetKind::Replaceable:
      break;
  }
  const std::optional<fs::path> resolved = FollowLinks(target);
  if (!resolved) return false;
  std::error_code error;
  if (fs::is_directory(*resolved, error)) return false;
  if (fs::exists(*resolved, error)) {
    // Only replace what we could have overwritten in place: a file the user
    // made read-only stays as it is.
    std::FILE* probe = std::fopen(resolved->c_str(), "r+b");
    if (probe == nullptr) return false;
    std::fclose(probe);
  }
  // A short name of its own in the same directory, so that even the longest
  // target name leaves room and the rename stays within one file system.
  const fs::path directory = resolved->parent_path();
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    std::string name =
        (directory / (".vantor-" + std::to_string(pick() % 100000000) + ".tmp")).string();
    // Exclusive: never open a file that is already there (another writer's,
    // or a link planted in its place).
    const int fd = temporaries_ != nullptr
                       ? temporaries_->Create(name)
                       : open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;  // not a name clash
    }
    stream_ = fdopen(fd, "wb");
    temp_ = std::move(name);
    if (stream_ == nullptr) {
      close(fd);
      RemoveTemp();
      return false;
    }
    target_ = resolved->string();
    return true;
  }
  return false;
}

bool OutputFile::OpenDevice(const std::string& device) {
  Abandon();
  failed_ = false;
  error_ = 0;
  if (!UsableName(device)) return false;
  std::FILE* f = std::fopen(device.c_str(), "wb");
  if (f == nullptr) return false;
  stream_ = f;
  target_ = device;
  return true;
}

bool OutputFile::OpenStandardOutput() {
  Abandon();
  failed_ = false;
  error_ = 0;
  std::fflush(stdout);
  const int copy = dup(STDOUT_FILENO);
  if (copy < 0) return false;
  stream_ = fdopen(copy, "wb");
  if (stream_ == nullptr) {
    close(copy);
    return false;
  }
  target_ = "/dev/stdout";  // for writers that open a name themselves
  return true;
}

std::string OutputFile::HandOver() {
  if (stream_ == nullptr) return {};
  if (std::fclose(stream_) != 0) failed_ = true;
  stream_ = nullptr;
  handedOver_ = true;
  return temp_.empty() ? target_ : temp_;
}

void OutputFile::Write(const std::string& text) {
  if (stream_ == nullptr) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) Fail();
}

void OutputFile::Fail() {
  if (!failed_) error_ = errno;
  failed_ = true;
}

bool OutputFile::Close() {
  if (stream_ != nullptr) {
    errno = 0;
    const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    if (!flushed) Fail();
    errno = 0;
    if (std::fclose(stream_) != 0) Fail();
    stream_ = nullptr;
    closed_ = true;
  }
  if (failed_) errno = error_;
  return !failed_;
}

bool OutputFile::Commit() {
  if (stream_ == nullptr && !handedOver_ && !closed_) return false;
  bool ok = Close();
  handedOver_ = false;
  closed_ = false;
  if (temp_.empty()) return ok;
  if (ok) {
    // The new file keeps the access rights the old one had.
    std::error_code error;
    const fs::file_status old = fs::status(target_, error);
    if (!error && fs::exists(old)) fs::permissions(temp_, old.permissions(), error);
    ok = temporaries_ != nullptr ? temporaries_->Rename(temp_, target_)
                                 : std::rename(temp_.c_str(), target_.c_str()) == 0;
  }
  if (ok) {
    temp_.clear();
  } else {
    const int error = errno;
    RemoveTemp();
    errno = error;
  }
  return ok;
}

void OutputFile::Abandon() {
  handedOver_ = false;
  closed_ = false;
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  RemoveTemp();
}

void OutputFile::RemoveTemp() {
  if (temp_.empty()) return;
  if (temporaries_ != nullptr) temporaries_->Remove(temp_);
  else std::remove(temp_.c_str());
  temp_.clear();
}

}  // namespace vantor
