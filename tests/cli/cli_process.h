// Runs vantor-cli as a child process under the test's control: its own
// folder, environment, standard streams, a time limit and signals.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantor::testing {

struct CliCall {
  std::filesystem::path dir;                             // working folder
  std::vector<std::string> args;                         // after the program name
  std::map<std::string, std::optional<std::string>> env;  // set, or unset when empty
  // Standard input is /dev/null.
  bool stderrTerminal = false;  // standard error on a pseudo terminal
  // Send `signal` after `signalAfter` (0: none), or once standard error
  // holds `signalWhen` when that is given.
  int signal = 0;
  std::chrono::milliseconds signalAfter{0};
  std::string signalWhen;
  std::chrono::milliseconds timeLimit{20000};  // then killed; `timedOut` set
  // TMPDIR is a 64 KiB file system of the child's own; where none can be
  // mounted (no mount namespace) the status is kNoSmallFileSystem.
  bool smallTemporaryFolder = false;
};

inline constexpr int kNoSmallFileSystem = 96;

struct CliOutcome {
  int status = -1;      // exit status, -1 when ended by a signal
  int termSignal = 0;   // the signal that ended it
  bool timedOut = false;
  std::string out;
  std::string err;
};

CliOutcome RunCli(const CliCall& call);

// vantor-cli with `args`, run in `dir` with nothing else set.
inline CliOutcome RunCliIn(const std::filesystem::path& dir, std::vector<std::string> args) {
  CliCall call;
  call.dir = dir;
  call.args = std::move(args);
  return RunCli(call);
}

// Every file name in `dir` (one level, hidden ones included), sorted.
std::vector<std::string> FileNames(const std::filesystem::path& dir);
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the system temporary folder, named after the test.
std::filesystem::path TestFolder();

}  // namespace vantor::testing
