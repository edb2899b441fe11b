#include "vantor/files/data_directory.h"

#include <filesystem>
#include <system_error>

namespace vantor {
namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

std::string FindDataDirectory(const std::string& programDirectory) {
  namespace fs = std::filesystem;
  const fs::path program(programDirectory);
  for (const fs::path& dir : {program, program / ".." / "share" / "vantor"}) {
    std::error_code error;
    if (fs::is_regular_file(dir / "vmodels.val", error))
      return WithSlash(dir.lexically_normal().string());
  }
  return WithSlash(programDirectory);
}

}  // namespace vantor
