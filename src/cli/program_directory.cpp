#include <unistd.h>

#include <string>

#include "cli/commands.h"
#include "vantor/files/data_directory.h"

namespace vantor::cli {

std::string ProgramDirectory() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  const std::string path(buffer, static_cast<std::size_t>(n));
  // Installed, the data lies in share/vantor beside bin/ rather than beside
  // the program; the program's own directory still comes first.
  return FindDataDirectory(path.substr(0, path.rfind('/') + 1));
}

}  // namespace vantor::cli
