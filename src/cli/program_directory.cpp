#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QGuiApplication>

#include "cli/commands.h"
#include "params/data_directory.h"

namespace vantor::cli {
namespace {

// QGuiApplication keeps references to both.
int gArgc = 1;
char gProgramName[] = "vantor-cli";
char* gArgv[] = {gProgramName, nullptr};

}  // namespace

std::string ProgramDirectory() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  const std::string path(buffer, static_cast<std::size_t>(n));
  // Installed, the data lies in share/vantor beside bin/ rather than beside
  // the program; the program's own directory still comes first.
  return FindDataDirectory(path.substr(0, path.rfind('/') + 1));
}

bool EnsureGuiApplication() {
  static QGuiApplication* app = nullptr;
  if (app != nullptr) return true;
  // Whatever the environment asks for, a display is never needed here: a
  // platform without one (xcb with no X server) would abort the program.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  unsetenv("QT_QPA_PLATFORMTHEME");
  // Qt wants a runtime directory and complains on the terminal without one;
  // give it the private one it would fall back to anyway.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  app = new QGuiApplication(gArgc, gArgv);
  // The application object adopts the user's locale; files and labels are
  // always written with a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  return true;
}

}  // namespace vantor::cli
