#include "cli/interrupts.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vantor::cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

pthread_t gMainThread;
volatile std::sig_atomic_t gSignal = 0;   // the first one, before the point of no return
volatile std::sig_atomic_t gSettled = 0;  // past that point
RunFlags* volatile gFlags = nullptr;

// What the handler removes when the user insists. Made once and never
// destroyed: a signal may still come while the program ends.
struct HeldNames {
  std::vector<std::string> files;
  std::vector<std::string> folders;
};
HeldNames* gHeld = nullptr;

HeldNames& Held() {
  if (gHeld == nullptr) gHeld = new HeldNames;
  return *gHeld;
}

// The test hook of ReachedPhase.
struct PhaseSignal {
  std::string phase;
  int number = SIGINT;
  int times = 1;
  int skip = 0;  // passes of the phase let go first
};
PhaseSignal* gPhaseSignal = nullptr;
// The phase at which the command waits for a signal from outside.
std::string* gWaitPhase = nullptr;

sigset_t HandledSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kSignals) sigaddset(&set, number);
  return set;
}

// The signals wait while the main thread changes the names or the files
// behind them.
class HoldSignals {
 public:
  HoldSignals() {
    const sigset_t set = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~HoldSignals() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  HoldSignals(const HoldSignals&) = delete;
  HoldSignals& operator=(const HoldSignals&) = delete;

 private:
  sigset_t old_;
};

void Forget(std::vector<std::string>& names, const std::string& name) {
  const auto at = std::find(names.begin(), names.end(), name);
  if (at != names.end()) names.erase(at);
}

// Async-signal-safe: only unlink and rmdir on names that stay put while it
// runs.
void RemoveHeld() {
  if (gHeld == nullptr) return;
  for (const std::string& file : gHeld->files) unlink(file.c_str());
  for (auto folder = gHeld->folders.rbegin(); folder != gHeld->folders.rend(); ++folder)
    rmdir(folder->c_str());
}

void OnSignal(int number) {
  if (!pthread_equal(pthread_self(), gMainThread)) {
    pthread_kill(gMainThread, number);
    return;
  }
  // The outputs are going in place: too late to stop, and nothing to stop.
  if (gSettled) return;
  if (gSignal == 0) {
    gSignal = number;
    if (RunFlags* flags = gFlags) flags->stop = true;
    return;
  }
  // The user insists: end now, but leave nothing behind.
  RemoveHeld();
  signal(number, SIG_DFL);
  raise(number);
}

// The code the handler interrupts may be about to read errno.
void OnSignalKeepingErrno(int number) {
  const int saved = errno;
  OnSignal(number);
  errno = saved;
}

class CommandFiles final : public TemporaryFiles {
 public:
  int Create(const std::string& name) override {
    int fd = -1;
    {
      HoldSignals hold;
      if (gSignal != 0) {
        errno = EINTR;
        return -1;
      }
      fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) Held().files.push_back(name);
    }
    if (fd >= 0) ReachedPhase("create");
    return fd;
  }

  bool Holds(const std::string& name) const override {
    return std::find(Held().files.begin(), Held().files.end(), name) != Held().files.end();
  }

  bool Rename(const std::string& name, const std::string& target) override {
    ReachedPhase("rename");
    HoldSignals hold;
    if (!gSettled && gSignal != 0) {
      errno = EINTR;
      return false;
    }
    gSettled = 1;
    if (std::rename(name.c_str(), target.c_str()) != 0) return false;
    Forget(Held().files, name);
    return true;
  }

  void Remove(const std::string& name) override {
    HoldSignals hold;
    std::remove(name.c_str());
    Forget(Held().files, name);
  }
};

}  // namespace

void InstallInterruptHandlers() {
  gMainThread = pthread_self();
  Held();
  if (const char* at = std::getenv("VANTOR_CLI_SIGNAL_AT"); at != nullptr && *at != '\0') {
    // Kept to the end (the pointer is dropped once the signal is sent).
    static PhaseSignal requested;
    gPhaseSignal = &requested;
    int number = 0, times = 0, skip = 0;
    char phase[64] = {};
    const int fields = std::sscanf(at, "%63[^,],%d,%d,%d", phase, &number, &times, &skip);
    gPhaseSignal->phase = phase;
    if (fields >= 2 && number > 0) gPhaseSignal->number = number;
    if (fields >= 3 && times > 0) gPhaseSignal->times = times;
    if (fields >= 4 && skip > 0) gPhaseSignal->skip = skip;
  }
  if (const char* at = std::getenv("VANTOR_CLI_WAIT_AT"); at != nullptr && *at != '\0') {
    static std::string phase;
    phase = at;
    gWaitPhase = &phase;
  }
  struct sigaction action {};
  action.sa_handler = OnSignalKeepingErrno;
  // One handler at a time on the main thread.
  action.sa_mask = HandledSignals();
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
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(number);
}

bool PassCommitPoint() {
  HoldSignals hold;
  if (gSignal != 0) return false;
  gSettled = 1;
  return true;
}

TemporaryFiles& CommandTemporaries() {
  static CommandFiles files;
  return files;
}

bool MakeTemporaryFolder(std::string& pattern) {
  HoldSignals hold;
  if (gSignal != 0) {
    errno = EINTR;
    return false;
  }
  if (mkdtemp(pattern.data()) == nullptr) return false;
  Held().folders.push_back(pattern);
  return true;
}

void RemoveTemporaryFolder(const std::string& folder) {
  HoldSignals hold;
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  const std::string inside = folder + "/";
  std::erase_if(Held().files, [&](const std::string& file) { return file.rfind(inside, 0) == 0; });
  Forget(Held().folders, folder);
}

// Says so on standard error, then sleeps until a handled signal has come
// (blocked first, so that one sent on seeing the line is not missed).
void WaitForSignal(const char* phase) {
  const sigset_t handled = HandledSignals();
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &handled, &old);
  const std::string line = std::string("waiting at ") + phase + "\n";
  if (write(STDERR_FILENO, line.data(), line.size()) < 0) {
    // Nobody to tell: carry on.
  }
  sigset_t waiting = old;
  for (int number : kSignals) sigdelset(&waiting, number);
  while (gSignal == 0) sigsuspend(&waiting);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void ReachedPhase(const char* phase) {
  if (gWaitPhase != nullptr && *gWaitPhase == phase && pthread_equal(pthread_self(), gMainThread)) {
    gWaitPhase = nullptr;  // once only
    WaitForSignal(phase);
  }
  PhaseSignal* at = gPhaseSignal;
  if (at == nullptr || at->phase != phase) return;
  if (at->skip > 0) {
    --at->skip;
    return;
  }
  gPhaseSignal = nullptr;  // once only
  for (int i = 0; i < at->times; ++i) raise(at->number);
}

StopOnInterrupt::StopOnInterrupt(RunFlags& flags) {
  gFlags = &flags;
  if (gSignal != 0) flags.stop = true;
}

StopOnInterrupt::~StopOnInterrupt() { gFlags = nullptr; }

}  // namespace vantor::cli
