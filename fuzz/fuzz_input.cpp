#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantor::fuzz {
namespace {

struct Scratch {
  std::filesystem::path dir;
  Scratch() {
    std::error_code ec;
    dir = std::filesystem::temp_directory_path(ec) / ("vantor-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir, ec);
    if (ec) std::abort();  // no folder to read from: nothing can be fuzzed
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

std::string ScratchPath(const std::string& name) {
  static Scratch scratch;
  return (scratch.dir / name).string();
}

std::string WriteInput(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  if (std::fclose(f) != 0) std::abort();
  return path;
}

}  // namespace vantor::fuzz
