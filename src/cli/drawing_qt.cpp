#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <string>

#include <QGuiApplication>

#include "cli/drawing.h"
#include "device/picture_file.h"

namespace vantor::cli {
namespace {

// QGuiApplication keeps references to both.
int gArgc = 1;
char gProgramName[] = "vantor-cli";
char* gArgv[] = {gProgramName, nullptr};

}  // namespace

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

bool CanDraw() { return true; }

bool IsChartFile(const std::string& path) {
  const std::optional<PictureFormat> format = PictureFormatForPath(path);
  return format && *format != PictureFormat::Pdf;
}

std::optional<std::string> EncodeChart(const std::string& path, int width, int height,
                                       const std::function<void(Device&)>& draw) {
  const std::optional<PictureFormat> format = PictureFormatForPath(path);
  if (!format) return std::nullopt;
  const QByteArray bytes = RenderPicture(*format, width, height, 0xFFFFFF, draw);
  if (bytes.isEmpty()) return std::nullopt;
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace vantor::cli
