#include "engine/bounded_read.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantor {

bool ReadBounded(const std::string& path, std::size_t maxBytes, std::string& text,
                 std::string& error) {
  text.clear();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      error = path + ": is a directory";
      return false;
    }
    // A device (/dev/zero, a terminal) is no text file; a pipe may be one.
    if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)) {
      error = path + ": is not a regular file";
      return false;
    }
    if (S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > maxBytes) {
      error = path + ": is larger than " + std::to_string(maxBytes >> 20) + " MiB";
      return false;
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = path + ": cannot be opened (" + std::strerror(errno) + ")";
    return false;
  }
  char chunk[1 << 16];
  bool ok = true;
  while (true) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got == 0) {
      if (std::ferror(file)) {
        error = path + ": cannot be read (" + std::strerror(errno) + ")";
        ok = false;
      }
      break;
    }
    if (text.size() + got > maxBytes) {
      error = path + ": is larger than " + std::to_string(maxBytes >> 20) + " MiB";
      ok = false;
      break;
    }
    text.append(chunk, got);
  }
  std::fclose(file);
  if (!ok) text.clear();
  return ok;
}

}  // namespace vantor
