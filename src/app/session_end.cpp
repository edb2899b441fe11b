#include "app/session_end.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <csignal>

#include "app/main_window.h"

namespace vantor::app {
namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void OnTerminate(int) { signalled = 1; }

// How often the flag is looked at; the run's pump lets this timer through too.
constexpr int kPollMs = 100;

}  // namespace

SessionEnd::SessionEnd(MainWindow& window) : window_(window) {
  for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, OnTerminate);
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
  for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
}

void SessionEnd::Poll() {
  if (!signalled) return;
  signalled = 0;
  // Nobody is there to answer a prompt: close without asking.
  window_.SetUnsaved(false);
  window_.close();
  QCoreApplication::quit();
}

}  // namespace vantor::app
