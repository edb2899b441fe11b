// vantor-cli against what a careless or hostile user does with files,
// signals and the environment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

CliOutcome Cli(const fs::path& dir, std::vector<std::string> args) {
  CliCall call;
  call.dir = dir;
  call.args = std::move(args);
  call.env["TMPDIR"] = dir.string();
  return RunCli(call);
}

bool HasLeftovers(const fs::path& dir) {
  for (const std::string& name : FileNames(dir))
    if (name.rfind(".vantor-", 0) == 0 || name.rfind("VTW", 0) == 0 ||
        name.rfind("vantor-cli-", 0) == 0)
      return true;
  return false;
}

TEST(CliHardening, FifosAndDevicesAreWrittenIntoNotReplaced) {
  const fs::path dir = TestFolder();
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(dir / "pipe"); });
  const CliOutcome run = Cli(dir, {"run", "--csv", "pipe"});
  reader.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(received.rfind("time (ms),", 0), 0u);
  struct stat info {};
  ASSERT_EQ(stat((dir / "pipe").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A character device (a copy of the null device where we may make one).
  if (mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    EXPECT_EQ(Cli(dir, {"run", "--csv", "null", "--png", "null.png"}).status, 0);
    ASSERT_EQ(stat((dir / "null").c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    fs::remove(dir / "null");
  }
  EXPECT_FALSE(HasLeftovers(dir));
  fs::remove_all(dir);
}

TEST(CliHardening, DashAndDevStdoutAreStandardOutput) {
  const fs::path dir = TestFolder();
  const CliOutcome csv = Cli(dir, {"run", "--csv", "-"});
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("time (ms),V-m (mV),", 0), 0u);
  const CliOutcome svg = Cli(dir, {"run", "--svg", "-"});
  EXPECT_EQ(svg.status, 0) << svg.err;
  EXPECT_NE(svg.out.find("<svg"), std::string::npos);
  const CliOutcome named = Cli(dir, {"run", "--csv", "/dev/stdout"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.out, csv.out);
  // Standard output cannot take two outputs.
  EXPECT_EQ(Cli(dir, {"run", "--csv", "-", "--svg", "/dev/stdout"}).status, 1);
  const CliOutcome rows = Cli(dir, {"sweep", "-q", "--vary", "gA=0:1:2", "--out", "-"});
  EXPECT_EQ(rows.status, 0) << rows.err;
  EXPECT_EQ(rows.out.rfind("# vantor-cli sweep; runs 2;", 0), 0u) << rows.out;
  EXPECT_EQ(std::count(rows.out.begin(), rows.out.end(), '\n'), 4);
  EXPECT_EQ(Cli(dir, {"sweep", "--vary", "gA=0:1:2", "--out", "-", "--resume"}).status, 2);
  const CliOutcome defaults = Cli(dir, {"defaults", "-"});
  EXPECT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_TRUE(FileNames(dir).empty());
  ASSERT_EQ(Cli(dir, {"defaults", "d.vt4"}).status, 0);
  EXPECT_EQ(defaults.out, ReadFile(dir / "d.vt4"));
  fs::remove(dir / "d.vt4");

  // A reader that goes away early ends the run, as it ends any filter: by
  // SIGPIPE, before the run is over (a run that got to its end would be
  // killed there).
  const std::string command = "(VANTOR_CLI_SIGNAL_AT=csv,9 '" VANTOR_BIN_DIR "/vantor-cli' run "
                              "--set duration=20000 --csv /dev/stdout 2>err; echo $? >status) | "
                              "head -c 100 >/dev/null";
  EXPECT_EQ(std::system(("cd '" + dir.string() + "' && " + command).c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "status"), "141\n");
  EXPECT_EQ(ReadFile(dir / "err"), "");
  fs::remove_all(dir);
}

TEST(CliHardening, ARefusedCommandReplacesNothing) {
  const fs::path dir = TestFolder();
  WriteFile(dir / "keep.csv", "OLD\n");
  CliOutcome run = Cli(dir, {"run", "--csv", "keep.csv", "--png", "k.png", "--overlay", "missing.vt4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.vt4"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(dir / "keep.csv"), "OLD\n");

  run = Cli(dir, {"run", "--csv", "ok.csv", "--png", "/nonexistent/x.png"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("/nonexistent/x.png (No such file or directory)"), std::string::npos)
      << run.err;
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"keep.csv"});
  // A name the folder cannot take is known before the run, not at the end.
  run = Cli(dir, {"run", "--csv", "ok.csv", "--png", std::string(300, 'a') + ".png"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("(File name too long)"), std::string::npos) << run.err;
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"keep.csv"});

  // An output that is an input, or another output.
  ASSERT_EQ(Cli(dir, {"defaults", "p.vt4"}).status, 0);
  const std::string before = ReadFile(dir / "p.vt4");
  EXPECT_EQ(Cli(dir, {"run", "p.vt4", "--csv", "p.vt4"}).status, 1);
  run = Cli(dir, {"run", "p.vt4", "--csv", "./sub/../p.vt4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is also an input"), std::string::npos) << run.err;
  fs::create_hard_link(dir / "p.vt4", dir / "same.vt4");
  EXPECT_EQ(Cli(dir, {"run", "p.vt4", "--record", "same.vt4"}).status, 1);
  fs::remove(dir / "same.vt4");
  EXPECT_EQ(Cli(dir, {"run", "--overlay", "p.vt4", "--png", "p.vt4"}).status, 1);
  EXPECT_EQ(Cli(dir, {"convert", "p.vt4", "p.vt4"}).status, 1);
  EXPECT_EQ(ReadFile(dir / "p.vt4"), before);
  run = Cli(dir, {"run", "--csv", "a.csv", "--record", "a.csv"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("name the same file"), std::string::npos) << run.err;
  EXPECT_EQ(FileNames(dir), (std::vector<std::string>{"keep.csv", "p.vt4"}));
  fs::remove_all(dir);
}

class CliSignals : public ::testing::TestWithParam<int> {};

TEST_P(CliSignals, RemoveTemporaryFilesAndEndBySignal) {
  const fs::path dir = TestFolder();
  WriteFile(dir / "c.csv", "OLD\n");
  CliCall call;
  call.dir = dir;
  call.env["TMPDIR"] = dir.string();
  call.args = {"run", "--png", "p.png", "--csv", "c.csv"};
  // Signalled from outside while the run is under way (its outputs open),
  // where it waits until the signal comes.
  call.env["VANTOR_CLI_WAIT_AT"] = "run";
  call.signal = GetParam();
  call.signalWhen = "waiting at run\n";
  const CliOutcome run = RunCli(call);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.termSignal, GetParam()) << run.status << run.err;
  EXPECT_EQ(run.err, "waiting at run\n");
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"c.csv"});
  EXPECT_EQ(ReadFile(dir / "c.csv"), "OLD\n");
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(IntTermHup, CliSignals, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST(CliHardening, NoDisplayIsEverNeeded) {
  const fs::path dir = TestFolder();
  for (const char* platform : {"xcb", "wayland"}) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--version"}, {"params"}, {"run", "--png", "p.png"},
          {"help"}, {"defaults", "d.vt4"}}) {
      CliCall call;
      call.dir = dir;
      call.args = args;
      call.env["QT_QPA_PLATFORM"] = platform;
      call.env["DISPLAY"] = std::nullopt;
      call.env["WAYLAND_DISPLAY"] = std::nullopt;
      const CliOutcome run = RunCli(call);
      EXPECT_EQ(run.status, 0) << platform << " " << args[0] << "\n" << run.err;
    }
  }
  EXPECT_GT(fs::file_size(dir / "p.png"), 1000u);

  // Commands that draw nothing start no GUI application: Qt's plugin
  // loader, which would tell about the platform plugin, stays silent.
  for (std::vector<std::string> args :
       {std::vector<std::string>{"params"}, {"run", "-q", "--csv", "r.csv"}, {"convert", "d.vt4", "e.vts"}}) {
    CliCall call;
    call.dir = dir;
    call.args = args;
    call.env["QT_DEBUG_PLUGINS"] = "1";
    const CliOutcome run = RunCli(call);
    EXPECT_EQ(run.status, 0) << args[0];
    EXPECT_EQ(run.err, "") << args[0];
  }
  fs::remove_all(dir);
}

TEST(CliHardening, AFailedWriteIsAnErrorAndCommitsNothing) {
  const fs::path dir = TestFolder();
  WriteFile(dir / "old.png", "old");
  CliCall call;
  call.dir = dir;
  call.smallTemporaryFolder = true;
  // A second of firing records far more than the 64 KiB the folder holds.
  call.args = {"run", "-q", "--set", "duration=1000", "--set", "base=2", "--set", "step=0",
               "--png", "old.png", "--svg", "new.svg"};
  call.env["VANTOR_CLI_SAMPLES_IN_MEMORY"] = "0";
  CliOutcome run = RunCli(call);
  if (run.status == kNoSmallFileSystem) GTEST_SKIP() << "no file system of its own can be mounted";
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Could not write file "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("/VTW"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" (No space left on device)"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(dir / "old.png"), "old");
  EXPECT_FALSE(fs::exists(dir / "new.svg"));

  // Within the bound the samples stay in memory: the same run draws.
  call.env.erase("VANTOR_CLI_SAMPLES_IN_MEMORY");
  run = RunCli(call);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFile(dir / "old.png"), "old");
  EXPECT_TRUE(fs::exists(dir / "new.svg"));

  for (const char* option : {"--csv", "--png"}) {
    run = Cli(dir, {"run", "-q", option, "/dev/full"});
    EXPECT_EQ(run.status, 1) << option;
    EXPECT_NE(run.err.find("Could not write file /dev/full (No space left on device)"),
              std::string::npos)
        << run.err;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor::testing
