#include "cli/cli_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

namespace vantor::testing {

namespace fs = std::filesystem;

namespace {

// In the child: a mount namespace of its own (as an unprivileged user in a
// user namespace too), with a tiny tmpfs as its TMPDIR.
bool MountSmallTemporaryFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
  return setenv("TMPDIR", folder.c_str(), 1) == 0;
}

}  // namespace

CliOutcome RunCli(const CliCall& call) {
  const fs::path outPath = call.dir.parent_path() / (call.dir.filename().string() + ".out");
  const fs::path errPath = call.dir.parent_path() / (call.dir.filename().string() + ".err");
  int master = -1;
  std::string slaveName;
  if (call.stderrTerminal) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slaveName = ptsname(master);
  }
  const std::string program = VANTOR_BIN_DIR "/vantor-cli";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(call.dir.c_str()) != 0) _exit(97);
    if (call.smallTemporaryFolder && !MountSmallTemporaryFolder(call.dir / "small-tmp"))
      _exit(kNoSmallFileSystem);
    for (int number = 1; number < 32; ++number) signal(number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const auto& [name, value] : call.env)
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = call.stderrTerminal ? open(slaveName.c_str(), O_RDWR)
                                        : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(98);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : call.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(99);
  }
  CliOutcome outcome;
  const auto start = std::chrono::steady_clock::now();
  bool signalled = call.signal == 0;
  int raw = 0;
  std::string terminal;
  for (;;) {
    if (master >= 0) {
      pollfd p{master, POLLIN, 0};
      while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        char buffer[4096];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        terminal.append(buffer, static_cast<std::size_t>(n));
      }
    }
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == pid) break;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const bool due = call.signalWhen.empty()
                         ? elapsed >= call.signalAfter
                         : !signalled && (master >= 0 ? terminal : ReadFile(errPath)).find(call.signalWhen) !=
                                              std::string::npos;
    if (!signalled && due) {
      kill(pid, call.signal);
      signalled = true;
    }
    if (elapsed > call.timeLimit) {
      kill(pid, SIGKILL);
      waitpid(pid, &raw, 0);
      outcome.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(raw)) outcome.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) outcome.termSignal = WTERMSIG(raw);
  outcome.out = ReadFile(outPath);
  if (master >= 0) {
    char buffer[4096];
    pollfd p{master, POLLIN, 0};
    while (poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      terminal.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    outcome.err = terminal;
  } else {
    outcome.err = ReadFile(errPath);
  }
  fs::remove(outPath);
  fs::remove(errPath);
  return outcome;
}

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

fs::path TestFolder() {
  // Other checkouts may run the same tests at the same time: the process id
  // keeps the folders apart, and a parameterised name stays one folder.
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("vantor_cli_") + info->test_suite_name() + "_" + info->name() +
                     "_" + std::to_string(getpid());
  std::replace(name.begin(), name.end(), '/', '_');
  const fs::path dir = fs::temp_directory_path() / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

}  // namespace vantor::testing
