#include "cli/interrupts.h"

#include <signal.h>

#include <csignal>

namespace vantor::cli {
namespace {

volatile std::sig_atomic_t gSignal = 0;
RunFlags* volatile gFlags = nullptr;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void OnSignal(int number) {
  if (gSignal != 0) {
    // The user insists: no more cleaning up.
    signal(number, SIG_DFL);
    raise(number);
    return;
  }
  gSignal = number;
  if (RunFlags* flags = gFlags) flags->stop = true;
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking open or write (a FIFO nobody reads) returns
  // instead of waiting on.
  action.sa_flags = 0;
  for (int number : kSignals) {
    struct sigaction old {};
    sigaction(number, nullptr, &old);
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (old.sa_handler == SIG_IGN && number != SIGPIPE) continue;
    sigaction(number, &action, nullptr);
  }
}

bool Interrupted() { return gSignal != 0; }

void ExitIfInterrupted() {
  const int number = gSignal;
  if (number == 0) return;
  signal(number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, number);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(number);
}

StopOnInterrupt::StopOnInterrupt(RunFlags& flags) {
  gFlags = &flags;
  if (gSignal != 0) flags.stop = true;
}

StopOnInterrupt::~StopOnInterrupt() { gFlags = nullptr; }

}  // namespace vantor::cli
