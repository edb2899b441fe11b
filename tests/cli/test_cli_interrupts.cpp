// vantor-cli interrupted at each phase of its commands and at random
// moments: no temporary file is left, an output is either its old self or
// complete, and the status says which (ended by the signal: nothing
// replaced; status 0: everything in place).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

const std::string kOld = "OLD\n";

// A short run that writes every kind of output.
const std::vector<std::string> kRunOutputs = {"c.csv", "r.rec", "p.png", "s.svg",
                                              "d.pdf", "m.cgm", "h.plt"};
const std::vector<std::string> kRun = {"run",   "-q",    "--set", "duration=200", "--csv",
                                       "c.csv", "--record", "r.rec", "--png", "p.png",
                                       "--svg", "s.svg", "--pdf", "d.pdf", "--cgm",
                                       "m.cgm", "--plt", "h.plt"};
// A sweep on two threads with its chart.
const std::vector<std::string> kSweepOutputs = {"o.csv", "ch.png"};
const std::vector<std::string> kSweep = {"sweep", "-q", "--set", "duration=30", "--vary",
                                         "step=0:2:8", "--jobs", "2", "--out", "o.csv",
                                         "--png", "ch.png"};

void Seed(const fs::path& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) WriteFile(dir / name, kOld);
}

// The names in `dir` that are none of `expected`.
std::vector<std::string> Strays(const fs::path& dir, const std::vector<std::string>& expected) {
  std::vector<std::string> strays;
  for (const std::string& name : FileNames(dir))
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) strays.push_back(name);
  return strays;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text;
}

// The outputs of an uninterrupted command. A PDF carries the time it was
// made, so only its frame is compared.
std::map<std::string, std::string> Reference(const std::vector<std::string>& args,
                                             const std::vector<std::string>& outputs) {
  const fs::path dir = TestFolder() / "reference";
  fs::create_directories(dir);
  const CliOutcome run = RunCliIn(dir, args);
  EXPECT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> bytes;
  for (const std::string& name : outputs) bytes[name] = ReadFile(dir / name);
  fs::remove_all(dir);
  return bytes;
}

bool SameOutput(const std::string& name, const std::string& bytes, const std::string& reference) {
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pdf") == 0)
    return bytes.rfind("%PDF-", 0) == 0 && bytes.size() > 6 &&
           bytes.compare(bytes.size() - 6, 6, "%%EOF\n") == 0;
  return bytes == reference;
}

// What a command interrupted in `dir` must have left: empty when it did.
std::string CheckLeft(const fs::path& dir, const std::vector<std::string>& outputs,
                      const std::map<std::string, std::string>& reference, bool completed,
                      bool partAllowed) {
  std::vector<std::string> expected = outputs;
  // An interrupted sweep keeps its finished rows for --resume: the rows of
  // the finished output, in order, the last maybe cut short.
  if (partAllowed && !completed && fs::exists(dir / "o.csv.part")) {
    if (reference.at("o.csv").rfind(ReadFile(dir / "o.csv.part"), 0) != 0)
      return "o.csv.part is not the beginning of the sweep's rows";
    expected.push_back("o.csv.part");
  }
  if (const std::vector<std::string> strays = Strays(dir, expected); !strays.empty())
    return "left behind: " + Joined(strays);
  for (const std::string& name : outputs) {
    const std::string bytes = ReadFile(dir / name);
    if (!completed && bytes != kOld) return name + " was replaced by an interrupted command";
    if (completed && !SameOutput(name, bytes, reference.at(name)))
      return name + " is not the complete output";
  }
  return "";
}

struct PhaseCase {
  std::string phase;
  int times;  // 2: the second signal insists
  bool completes;
};

// Raises SIGINT, SIGTERM or SIGHUP at `phase` of `args` and checks what is
// left.
void InterruptAt(const fs::path& dir, const std::vector<std::string>& args,
                 const std::vector<std::string>& outputs,
                 const std::map<std::string, std::string>& reference, const PhaseCase& c,
                 int signal, bool partAllowed = false) {
  SCOPED_TRACE(args[0] + " at " + c.phase + " x" + std::to_string(c.times) + " signal " +
               std::to_string(signal));
  for (const std::string& name : FileNames(dir)) fs::remove_all(dir / name);
  Seed(dir, outputs);
  CliCall call;
  call.dir = dir;
  call.args = args;
  call.env["TMPDIR"] = dir.string();
  call.env["VANTOR_CLI_SIGNAL_AT"] =
      c.phase + "," + std::to_string(signal) + "," + std::to_string(c.times);
  const CliOutcome run = RunCli(call);
  ASSERT_FALSE(run.timedOut);
  if (c.completes) {
    EXPECT_EQ(run.status, 0) << run.err;
  } else {
    EXPECT_EQ(run.termSignal, signal) << "status " << run.status << " " << run.err;
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(CheckLeft(dir, outputs, reference, c.completes, partAllowed), "");
}

std::vector<PhaseCase> BothWays(const std::vector<std::string>& phases, bool completes) {
  std::vector<PhaseCase> cases;
  for (const std::string& phase : phases)
    for (int times : {1, 2}) cases.push_back({phase, times, completes});
  return cases;
}

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

TEST(CliInterrupts, EveryPhaseOfARun) {
  const fs::path dir = TestFolder();
  const auto reference = Reference(kRun, kRunOutputs);
  std::vector<PhaseCase> cases =
      BothWays({"start", "create", "run", "csv", "record", "draw", "png", "svg", "pdf", "cgm",
                "plt", "commit"},
               false);
  // Once the outputs go in place, the command completes.
  for (const PhaseCase& c : BothWays({"place", "rename"}, true)) cases.push_back(c);
  int k = 0;
  for (const PhaseCase& c : cases) InterruptAt(dir, kRun, kRunOutputs, reference, c, kSignals[k++ % 3]);
  fs::remove_all(dir);
}

// A signal stops the run of a measure or a report, which then prints nothing
// and ends by the signal.
TEST(CliInterrupts, AMeasureStopsItsRun) {
  const fs::path dir = TestFolder();
  CliCall call;
  call.dir = dir;
  call.args = {"measure", "--method", "4", "--set", "duration=100000"};
  call.env["VANTOR_CLI_SIGNAL_AT"] = "start";
  const CliOutcome run = RunCli(call);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.termSignal, SIGINT);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  fs::remove_all(dir);
}

TEST(CliInterrupts, EveryPhaseOfASweepAMergeAndAParameterFile) {
  const fs::path dir = TestFolder();
  const auto sweep = Reference(kSweep, kSweepOutputs);
  int k = 0;
  for (const PhaseCase& c : BothWays({"create", "sweep-row", "sweep-end", "commit"}, false))
    InterruptAt(dir, kSweep, kSweepOutputs, sweep, c, kSignals[k++ % 3], true);
  for (const PhaseCase& c : BothWays({"place", "rename"}, true))
    InterruptAt(dir, kSweep, kSweepOutputs, sweep, c, kSignals[k++ % 3], true);

  // The shards are made in a folder of their own, then merged.
  const fs::path shards = dir.parent_path() / (dir.filename().string() + "_shards");
  fs::create_directories(shards);
  std::vector<std::string> merge = {"merge", "--out", "m.csv"};
  for (const char* shard : {"1/2", "2/2"}) {
    const std::string name = std::string("s") + shard[0] + ".csv";
    ASSERT_EQ(RunCliIn(shards, {"sweep", "-q", "--set", "duration=30", "--vary", "step=0:2:4",
                                "--shard", shard, "--out", name})
                  .status,
              0);
    merge.push_back((shards / name).string());
  }
  const auto merged = Reference(merge, {"m.csv"});
  for (const PhaseCase& c : BothWays({"create", "merge", "commit"}, false))
    InterruptAt(dir, merge, {"m.csv"}, merged, c, kSignals[k++ % 3]);
  for (const PhaseCase& c : BothWays({"place"}, true))
    InterruptAt(dir, merge, {"m.csv"}, merged, c, kSignals[k++ % 3]);

  // A version 3 file and its companion: both or neither.
  const std::vector<std::string> pair = {"p.vts", "p.cin"};
  const auto defaults = Reference({"defaults", "p.vts"}, pair);
  for (const PhaseCase& c : BothWays({"create", "rename"}, false))
    InterruptAt(dir, {"defaults", "p.vts"}, pair, defaults, c, kSignals[k++ % 3]);
  fs::remove_all(shards);
  fs::remove_all(dir);
}

// One try: `args` started in its own process group in `dir`, and after
// `delay` signalled as `way` says.
enum class Way { TwiceLikeTimeout, Insisting, Once };

struct Try {
  bool completed = false;
  bool signalled = false;
  std::string problem;
};

Try InterruptOnce(const fs::path& dir, const std::vector<std::string>& args,
                  std::chrono::microseconds delay, Way way, int signal) {
  const std::string program = VANTOR_BIN_DIR "/vantor-cli";
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::string(*e).rfind("TMPDIR=", 0) != 0 && std::string(*e).rfind("VANTOR_CLI_", 0) != 0)
      environment.push_back(*e);
  environment.push_back("TMPDIR=" + dir.string());
  environment.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  Try result;
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir(dir.c_str()) != 0) _exit(97);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0), dup2(null, 1), dup2(null, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(99);
  }
  if (pid < 0) {
    result.problem = "fork failed";
    return result;
  }
  setpgid(pid, pid);
  std::this_thread::sleep_for(delay);  // only picks the moment
  const int second = signal == SIGINT ? SIGTERM : SIGINT;
  kill(pid, signal);
  if (way == Way::TwiceLikeTimeout) kill(-pid, signal);
  if (way == Way::Insisting) kill(pid, second);
  int raw = 0;
  waitpid(pid, &raw, 0);
  result.completed = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
  result.signalled = WIFSIGNALED(raw) && (WTERMSIG(raw) == signal || WTERMSIG(raw) == second);
  if (!result.completed && !result.signalled)
    result.problem = WIFEXITED(raw) ? "exit status " + std::to_string(WEXITSTATUS(raw))
                                    : "ended by signal " + std::to_string(WTERMSIG(raw));
  return result;
}

// Interrupts `args` `tries` times at moments spread over its own length (as
// long as it takes on this machine) on two threads, and counts the outcomes.
void Hammer(const std::vector<std::string>& args, const std::vector<std::string>& outputs,
            int tries, bool partAllowed) {
  const auto start = std::chrono::steady_clock::now();
  const auto reference = Reference(args, outputs);
  const auto length = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mutex mutex;
  std::vector<std::string> problems;
  int completed = 0, signalled = 0;
  const fs::path base = TestFolder();
  auto worker = [&](int first, int count) {
    std::mt19937 pick(static_cast<unsigned>(first) * 7919u + 1u);
    const fs::path dir = base / std::to_string(first);
    fs::create_directories(dir);
    for (int t = first; t < first + count; ++t) {
      for (const std::string& name : FileNames(dir)) fs::remove_all(dir / name);
      Seed(dir, outputs);
      const auto delay = std::chrono::microseconds(
          std::uniform_int_distribution<long>(0, length.count() * 5 / 4)(pick));
      const Way way = static_cast<Way>(t % 3);
      const int signal = kSignals[(t / 3) % 3];
      Try one = InterruptOnce(dir, args, delay, way, signal);
      if (one.problem.empty())
        one.problem = CheckLeft(dir, outputs, reference, one.completed, partAllowed);
      std::lock_guard<std::mutex> lock(mutex);
      completed += one.completed;
      signalled += one.signalled;
      if (!one.problem.empty())
        problems.push_back("try " + std::to_string(t) + " after " +
                           std::to_string(delay.count()) + " us: " + one.problem);
    }
  };
  std::thread other(worker, tries / 2, tries - tries / 2);
  worker(0, tries / 2);
  other.join();
  std::printf("[          ] %s: %d tries, %d ended by the signal, %d completed, %zu faulty\n",
              args[0].c_str(), tries, signalled, completed, problems.size());
  EXPECT_EQ(completed + signalled, tries);
  EXPECT_TRUE(problems.empty()) << Joined(problems);
  fs::remove_all(base);
}

TEST(CliInterrupts, RandomMomentsOfARunLeaveNothingBehind) { Hammer(kRun, kRunOutputs, 240, false); }

TEST(CliInterrupts, RandomMomentsOfASweepLeaveNothingBehind) {
  Hammer(kSweep, kSweepOutputs, 60, true);
}

}  // namespace
}  // namespace vantor::testing
