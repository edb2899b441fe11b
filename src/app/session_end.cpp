#include "app/session_end.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <csignal>
#include <cstdlib>

#include "app/main_window.h"
#include "vantor/render/replay.h"

namespace vantor::app {
namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void OnTerminate(int number) { signalled = number; }

// How often the flag is looked at; the run's pump lets this timer through too.
constexpr int kPollMs = 100;

// Qt ends the program with exit() when the display goes away (the X server
// dies or the connection breaks); the run records must not outlive it.
MainWindow* windowAtExit = nullptr;

extern "C" void RemoveRecordsAtExit() {
  if (windowAtExit != nullptr) DeleteRunRecords(windowAtExit->RunRecords());
}

}  // namespace

SessionEnd::SessionEnd(MainWindow& window) : window_(window) {
  for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, OnTerminate);
  windowAtExit = &window_;
  static const bool atExitRegistered = std::atexit(RemoveRecordsAtExit) == 0;
  (void)atExitRegistered;
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, &SessionEnd::Poll);
  timer->start(kPollMs);
  // A log-out asks about unsaved changes as closing the window does.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!window_.Unsaved()) return;
    if (!manager.allowsInteraction()) return;
    const SaveAnswer answer = window_.AskSaveChanges();
    manager.release();
    if (answer == SaveAnswer::Cancel) manager.cancel();
    else window_.SetUnsaved(false);
  });
}

SessionEnd::~SessionEnd() {
  windowAtExit = nullptr;
  for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
}

void SessionEnd::Poll() {
  if (!signalled) return;
  signal_ = signalled;
  signalled = 0;
  // Nobody is there to answer a prompt: close without asking.
  window_.SetUnsaved(false);
  window_.close();
  QCoreApplication::quit();
}

}  // namespace vantor::app
