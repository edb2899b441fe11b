// Ending the program from outside: a termination signal (SIGTERM, SIGINT,
// SIGHUP) or the desktop session logging out. Either way a run going on
// ends and the run records are removed; a log-out first asks about unsaved
// changes and may be cancelled.
#pragma once

#include <QObject>

namespace vantor::app {

class MainWindow;

class SessionEnd : public QObject {
  Q_OBJECT

 public:
  // Installs the signal handlers; one instance per program.
  explicit SessionEnd(MainWindow& window);
  ~SessionEnd() override;
  // The signal that ended the program (0: none), so that main() can end by
  // it as the shell expects.
  int Signal() const { return signal_; }

 private:
  void Poll();
  MainWindow& window_;
  int signal_ = 0;
};

}  // namespace vantor::app
