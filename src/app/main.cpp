// vantor: the desktop program. The command line names one parameter file,
// read and run at start-up, or the word "deepsetup".
#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/data_paths.h"
#include "app/main_window.h"
#include "app/session_end.h"

namespace {

// Without a display Qt aborts the program with a message about plugins; say
// what is missing instead, and leave with an error status.
bool DisplayMissing(int argc, char* argv[]) {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) return false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0) return false;
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (DisplayMissing(argc, argv)) {
    std::fputs("vantor: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "Start it in a desktop session or under xvfb-run, or run the cell without a window with\n"
               "vantor-cli (for instance: vantor-cli run --csv run.csv --png run.png).\n",
               stderr);
    return 1;
  }
  Q_INIT_RESOURCE(vantor);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vantor"));
  QApplication::setOrganizationName(QStringLiteral("vantor"));
  QApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("io.github.vantor.Vantor"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/vantor/vantor.svg")));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Simulator of one nerve cell under current clamp."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("A parameter file to read and run, or deepsetup."),
                               QStringLiteral("[FILE | deepsetup]"));
  parser.process(app);
  // The whole tail is one path, blanks included.
  const QString tail = parser.positionalArguments().join(' ');

  vantor::app::MainWindow window;
  window.Start(vantor::app::FindDataDirectory(QApplication::applicationDirPath()), tail);
  const QByteArray geometry = QSettings().value(QStringLiteral("window/geometry")).toByteArray();
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) window.resize(1000, 720);
  vantor::app::SessionEnd sessionEnd(window);
  window.show();
  const int status = app.exec();
  if (const int number = sessionEnd.Signal(); number != 0) {
    // Everything is cleaned up: end by the signal, as the shell expects.
    std::signal(number, SIG_DFL);
    std::raise(number);
  }
  return status;
}
