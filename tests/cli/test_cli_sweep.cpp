// vantor-cli sweep, fi, measure and merge as a user meets them: the same rows
// whatever the threads, shards or interruptions, and refusals that leave
// every existing file as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

// Tiny runs: 30 ms trials with the step from 10 to 25 ms.
const std::vector<std::string> kShort = {"--set", "duration=30", "--set", "offset=25", "-q"};
const std::vector<std::string> kGrid = {"--vary", "gA=0:2:3", "--vary", "gK=1,2,3", "--vary",
                                        "step=0:3:3"};

class CliSweep : public ::testing::Test {
 protected:
  void SetUp() override { dir = TestFolder(); }
  void TearDown() override { fs::remove_all(dir); }

  CliOutcome Cli(std::vector<std::string> args, const std::vector<std::string>& more = {}) {
    args.insert(args.end(), more.begin(), more.end());
    CliCall call;
    call.dir = dir;
    call.args = std::move(args);
    return RunCli(call);
  }
  // A sweep of the small grid into `out`, with `extra` options.
  CliOutcome Sweep(const std::string& out, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"sweep", "--out", out};
    args.insert(args.end(), kShort.begin(), kShort.end());
    args.insert(args.end(), kGrid.begin(), kGrid.end());
    return Cli(args, extra);
  }
  std::string Read(const std::string& name) { return ReadFile(dir / name); }
  std::vector<std::string> Lines(const std::string& name) {
    std::istringstream in(Read(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path dir;
};

TEST_F(CliSweep, SameRowsForOneOrTwoJobsInGridOrder) {
  ASSERT_EQ(Sweep("one.csv", {"--jobs", "1"}).status, 0);
  const CliOutcome two = Sweep("two.csv", {"--jobs", "2"});
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(Read("one.csv"), Read("two.csv"));
  const std::vector<std::string> lines = Lines("one.csv");
  ASSERT_EQ(lines.size(), 2u + 27u);
  EXPECT_EQ(lines[0].rfind("# vantor-cli sweep; runs 27;", 0), 0u);
  EXPECT_EQ(lines[1],
            "run,gA,gK,step,spikes,rate_hz,latency_ms,isi_mean_ms,isi_cv,adaptation,peak_mv,"
            "trough_mv,end_mv,class,onset_mv,spike_peak_mv,amplitude_mv,half_width_ms,max_dvdt,"
            "ahp_depth_mv,ahp_time_ms,window_from_ms,window_to_ms,error");
  // The last --vary varies fastest.
  EXPECT_EQ(lines[2].rfind("0,0,1,0,", 0), 0u);
  EXPECT_EQ(lines[3].rfind("1,0,1,1.5,", 0), 0u);
  EXPECT_EQ(lines[5].rfind("3,0,2,0,", 0), 0u);
  EXPECT_EQ(lines[28].rfind("26,2,3,3,", 0), 0u);
  EXPECT_FALSE(fs::exists(dir / "one.csv.part"));
}

TEST_F(CliSweep, RandomPointsAreTheSameForAnyNumberOfJobs) {
  const std::vector<std::string> random = {"--samples", "6", "--seed", "42"};
  std::vector<std::string> args = {"sweep", "--vary", "gA=0.5:1.5:2", "--vary", "step=1,2"};
  args.insert(args.end(), kShort.begin(), kShort.end());
  args.insert(args.end(), random.begin(), random.end());
  ASSERT_EQ(Cli(args, {"--out", "a.csv", "--jobs", "1"}).status, 0);
  ASSERT_EQ(Cli(args, {"--out", "b.csv", "--jobs", "2"}).status, 0);
  EXPECT_EQ(Read("a.csv"), Read("b.csv"));
  const std::vector<std::string> lines = Lines("a.csv");
  ASSERT_EQ(lines.size(), 8u);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const double gA = std::stod(lines[i].substr(lines[i].find(',') + 1));
    EXPECT_GE(gA, 0.5);
    EXPECT_LE(gA, 1.5);
  }
}

TEST_F(CliSweep, ShardsMergeIntoTheWholeAndBadSetsAreRefused) {
  ASSERT_EQ(Sweep("whole.csv").status, 0);
  for (int k = 1; k <= 3; ++k)
    ASSERT_EQ(Sweep("s" + std::to_string(k) + ".csv", {"--shard", std::to_string(k) + "/3"}).status, 0);
  EXPECT_EQ(Lines("s1.csv").size(), 2u + 9u);
  CliOutcome merged = Cli({"merge", "s3.csv", "s1.csv", "s2.csv", "--out", "merged.csv"});
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(Read("merged.csv"), Read("whole.csv"));
  EXPECT_EQ(Cli({"merge", "s1.csv", "s2.csv", "s3.csv", "--out", "-"}).out, Read("whole.csv"));
  // A shard is never replaced: a wrong merge would lose it.
  const std::string shard = Read("s1.csv");
  const CliOutcome over = Cli({"merge", "s1.csv", "s2.csv", "s3.csv", "--out", "s1.csv"});
  EXPECT_EQ(over.status, 1);
  EXPECT_NE(over.err.find("s1.csv is also an input"), std::string::npos) << over.err;
  EXPECT_EQ(Read("s1.csv"), shard);

  WriteFile(dir / "keep.csv", "mine\n");
  const auto refused = [&](std::vector<std::string> args, const std::string& says) {
    args.insert(args.begin(), "merge");
    args.insert(args.end(), {"--out", "keep.csv"});
    const CliOutcome r = Cli(args);
    EXPECT_EQ(r.status, 1) << says;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(Read("keep.csv"), "mine\n");
  };
  refused({"s1.csv", "s3.csv"}, "shard 2/3 is missing");
  refused({"s1.csv", "s2.csv", "s2.csv", "s3.csv"}, "overlapping shards");
  refused({"s1.csv", "s2.csv", "whole.csv"}, "whole.csv is not a shard");
  ASSERT_EQ(Sweep("other.csv", {"--shard", "2/3", "--set", "gNa=10"}).status, 0);
  refused({"s1.csv", "other.csv", "s3.csv"}, "belongs to another sweep");
  // A shard cut short (an interrupted one) is named.
  std::vector<std::string> lines = Lines("s2.csv");
  std::string cut;
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) cut += lines[i] + "\n";
  WriteFile(dir / "s2cut.csv", cut);
  refused({"s1.csv", "s2cut.csv", "s3.csv"}, "incomplete");
  refused({"s1.csv", "missing.csv"}, "missing.csv");
  EXPECT_EQ(Cli({"merge", "s1.csv"}).status, 2);
}

TEST_F(CliSweep, ResumeCarriesOnFromTheRowsPresent) {
  ASSERT_EQ(Sweep("whole.csv").status, 0);
  // What an interruption leaves: the finished rows and one cut short.
  const std::vector<std::string> lines = Lines("whole.csv");
  std::string part;
  for (std::size_t i = 0; i < 12; ++i) part += lines[i] + "\n";
  part += lines[12].substr(0, 5);
  WriteFile(dir / "r.csv.part", part);
  // Without --resume the part file is not thrown away.
  EXPECT_EQ(Sweep("r.csv").status, 1);
  EXPECT_EQ(Read("r.csv.part"), part);
  const CliOutcome resumed = Sweep("r.csv", {"--resume", "--jobs", "2"});
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(Read("r.csv"), Read("whole.csv"));
  EXPECT_FALSE(fs::exists(dir / "r.csv.part"));
  // Resuming a finished sweep changes nothing.
  EXPECT_EQ(Sweep("r.csv", {"--resume"}).status, 0);
  EXPECT_EQ(Read("r.csv"), Read("whole.csv"));
  // Nor may another grid resume it.
  WriteFile(dir / "r.csv.part", part);
  const CliOutcome other = Cli({"sweep", "--vary", "gA=0:2:4", "--out", "r.csv", "--resume", "-q"});
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("another sweep"), std::string::npos) << other.err;
  EXPECT_EQ(Read("r.csv.part"), part);
  EXPECT_EQ(Read("r.csv"), Read("whole.csv"));
}

TEST_F(CliSweep, ResumeAfterAKillOrAnInterruptGivesTheUninterruptedFile) {
  std::vector<std::string> args = {"sweep", "--vary", "step=0:3:40", "--jobs", "1", "--out"};
  args.insert(args.begin() + 1, kShort.begin(), kShort.end());
  std::vector<std::string> whole = args;
  whole.push_back("whole.csv");
  ASSERT_EQ(Cli(whole).status, 0);
  for (int signal : {SIGKILL, SIGINT}) {
    const std::string out = signal == SIGKILL ? "killed.csv" : "interrupted.csv";
    CliCall call;
    call.dir = dir;
    call.args = args;
    call.args.push_back(out);
    // Stopped as the eleventh row is about to be written.
    call.env["VANTOR_CLI_SIGNAL_AT"] = "sweep-row," + std::to_string(signal) + ",1,10";
    const CliOutcome stopped = RunCli(call);
    ASSERT_EQ(stopped.termSignal, signal) << stopped.status << stopped.err;
    // Killed, it leaves the ten rows written; interrupted, it also writes
    // the rows its runs had finished by then (as many as there were).
    const std::size_t rows = Lines(out + ".part").size() - 2;
    if (signal == SIGKILL) EXPECT_EQ(rows, 10u);
    EXPECT_GE(rows, 10u);
    EXPECT_LE(rows, 40u);
    EXPECT_FALSE(fs::exists(dir / out));
    // Not quiet: the resumed sweep tells how many runs it still has to make.
    std::vector<std::string> again = args;
    again.erase(std::find(again.begin(), again.end(), "-q"));
    again.insert(again.end(), {out, "--resume"});
    const CliOutcome resumed = Cli(again);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    const std::string left = std::to_string(40 - rows) + (rows == 39 ? " run, " : " runs, ");
    EXPECT_EQ(resumed.err.rfind("vantor-cli: sweep: " + left, 0), 0u) << resumed.err;
    EXPECT_EQ(Read(out), Read("whole.csv"));
  }
}

TEST_F(CliSweep, RefusedInputsTouchNoFile) {
  WriteFile(dir / "keep.csv", "mine\n");
  const auto refused = [&](std::vector<std::string> args, int status, const std::string& says) {
    args.insert(args.begin(), "sweep");
    const CliOutcome r = Cli(args);
    EXPECT_EQ(r.status, status) << says << "\n" << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(Read("keep.csv"), "mine\n");
    EXPECT_EQ(FileNames(dir), std::vector<std::string>{"keep.csv"}) << says;
  };
  refused({"--vary", "gX=0:1:2", "--out", "keep.csv"}, 1, "There is no parameter called \"gX\"");
  refused({"--vary", "gA=0:300:2", "--out", "keep.csv"}, 1, "out of range");
  refused({"--vary", "step=1,2,500", "--out", "keep.csv"}, 1, "out of range");
  refused({"--vary", "gA=0:1:0", "--out", "keep.csv"}, 2, "COUNT");
  refused({"--vary", "gA=0:1:2x", "--out", "keep.csv"}, 2, "COUNT");
  refused({"--vary", "gA=0:1:400", "--vary", "gK=0:1:400", "--out", "keep.csv"}, 1, "--force");
  refused({"--vary", "gA=0:1:2", "--out", "no/such/dir/x.csv"}, 1, "no/such/dir/x.csv");
  refused({"--vary", "gA=0:1:2", "--out", "."}, 1, "");
  refused({"--vary", "gA=0:1:2"}, 2, "--out");
  refused({"--vary", "gA=0:1:2", "--vary", "gK=1,2", "--vary", "step=1,2", "--out", "x.csv",
           "--png", "x.png"}, 2, "one or two");
  refused({"--vary", "gA=0:1:2", "--out", "keep.csv", "--plot", "speed"}, 2, "--plot");
  refused({"--vary", "gA=0:1:2", "--out", "keep.csv", "--shard", "4/3"}, 2, "--shard");
  refused({"--vary", "gA=0:1:2", "--out", "keep.csv", "--csv", "x.csv"}, 2, "--csv");
  // Devices and FIFOs are never replaced by the finished rows (a copy of
  // the null device where the test may make one).
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  const CliOutcome fifo = Cli({"sweep", "--vary", "gA=0:1:2", "--out", "fifo", "-q"});
  EXPECT_EQ(fifo.status, 1) << fifo.err;
  EXPECT_NE(fifo.err.find("not a regular file"), std::string::npos) << fifo.err;
  struct stat info {};
  ASSERT_EQ(stat((dir / "fifo").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  fs::remove(dir / "fifo");
  if (mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    EXPECT_EQ(Cli({"sweep", "--vary", "gA=0:1:2", "--out", "null", "-q"}).status, 1);
    ASSERT_EQ(stat((dir / "null").c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    fs::remove(dir / "null");
  }
  // Nor is an input overwritten by the rows.
  ASSERT_EQ(Cli({"defaults", "p.vt4"}).status, 0);
  const std::string parameters = Read("p.vt4");
  const CliOutcome onInput = Cli({"sweep", "p.vt4", "--vary", "gA=0:1:2", "--out", "p.vt4", "-q"});
  EXPECT_EQ(onInput.status, 1) << onInput.err;
  EXPECT_EQ(Read("p.vt4"), parameters);
  fs::remove(dir / "p.vt4");
  // A finished file of another grid is not resumed either.
  refused({"--vary", "gA=0:1:2", "--out", "keep.csv", "--resume"}, 1, "keep.csv");
}

TEST_F(CliSweep, RefusedOrFailedRunsKeepTheirMessageAndTheSweepGoesOn) {
  // Limits that let the membrane area reach 0, which no run accepts.
  std::istringstream shipped(ReadFile(fs::path(VANTOR_BIN_DIR) / "VANTOR.mnx"));
  std::string limits;
  int line = 0;
  for (std::string text; std::getline(shipped, text); ++line) limits += (line == 50 ? "1e9 0" : text) + "\n";
  WriteFile(dir / "wide.mnx", limits);
  std::vector<std::string> args = {"sweep", "--limits", "wide.mnx", "--vary", "area=0,29000",
                                   "--out", "a.csv"};
  args.insert(args.end(), kShort.begin(), kShort.end());
  const CliOutcome r = Cli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines("a.csv");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].rfind("0,0,,,,,,,,,,,", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("Membrane area"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3].back(), ',');  // the second run completed: no message
  // Told even under -q.
  EXPECT_NE(r.err.find("warning: sweep: 2 runs, 1 failed"), std::string::npos) << r.err;
}

TEST_F(CliSweep, MeasureTableAndJson) {
  const CliOutcome table = Cli({"measure"});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("spikes               5\n"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("firing rate          100 Hz\n"), std::string::npos);
  EXPECT_NE(table.out.find("activity             tonic\n"), std::string::npos);
  const CliOutcome json = Cli({"measure", "--json", "--set", "step=0"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"spikes\": 0,"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"latency_ms\": null,"), std::string::npos);
  EXPECT_NE(json.out.find("\"class\": \"silent\","), std::string::npos);
  EXPECT_EQ(Cli({"measure", "--csv", "x.csv"}).status, 2);
  EXPECT_EQ(Cli({"measure", "--set", "gQ=1"}).status, 1);
  EXPECT_TRUE(FileNames(dir).empty());
}

TEST_F(CliSweep, FiTableAndCharts) {
  const CliOutcome table = Cli({"fi", "--points", "3", "-q"});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("           0          0       0                       0 .. 80  silent\n"),
            std::string::npos) << table.out;
  EXPECT_NE(table.out.find("           3        160       9            43.5      10 .. 60  tonic\n"),
            std::string::npos) << table.out;
  std::vector<std::string> args = {"fi", "--points", "4", "--png", "fi.png", "--svg", "fi.svg"};
  args.insert(args.end(), kShort.begin(), kShort.end());
  ASSERT_EQ(Cli(args).status, 0);
  EXPECT_EQ(Read("fi.png").substr(1, 3), "PNG");
  EXPECT_NE(Read("fi.svg").find("step (nA)"), std::string::npos);
  std::vector<std::string> heat = {"sweep", "--vary", "gA=0:1:2", "--vary", "gK=1,2", "--out",
                                   "h.csv", "--png", "h.png", "--plot", "spikes"};
  heat.insert(heat.end(), kShort.begin(), kShort.end());
  ASSERT_EQ(Cli(heat).status, 0);
  EXPECT_EQ(Read("h.png").substr(1, 3), "PNG");
  // The chart may not overwrite the rows, nor be anything but PNG or SVG.
  heat[6] = "h.png";
  EXPECT_EQ(Cli(heat).status, 1);
  heat[8] = "h.gif";
  EXPECT_EQ(Cli(heat).status, 2);
}

TEST_F(CliSweep, SpikeRuleAndWindowAreSettableAndNamed) {
  // The spikes that shrink towards block still count, and the curve says
  // where the rate stops rising.
  const CliOutcome fi = Cli({"fi", "--max", "6", "--points", "7", "-q"});
  ASSERT_EQ(fi.status, 0) << fi.err;
  EXPECT_NE(fi.out.find("           4        220      11"), std::string::npos) << fi.out;
  EXPECT_NE(fi.out.find("The rate is highest at 4 nA (220 Hz); at larger currents the spikes shrink and "
                        "the cell enters depolarisation block (classed so from 5 nA).\n"),
            std::string::npos) << fi.out;
  // Every spike in the JSON; a window given is the one named.
  const CliOutcome json = Cli({"measure", "--json", "--window", "0:80", "--dvdt=30"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"window_ms\": [0, 80],"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"rate_hz\": 62.5,"), std::string::npos) << json.out;
  std::size_t listed = 0;
  for (std::size_t at = json.out.find("\"half_width_ms\""); at != std::string::npos;
       at = json.out.find("\"half_width_ms\"", at + 1))
    ++listed;
  EXPECT_EQ(listed, 5u + 1u);  // the mean and each spike
  EXPECT_NE(Cli({"measure", "--threshold", "100"}).out.find("spikes               0\n"), std::string::npos);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"measure", "--dvdt", "0"}, {"measure", "--window", "60:10"},
        {"fi", "--window", "x"}, {"sweep", "--vary", "gA=0:1:2", "--out", "a.csv", "--dvdt", "-1"}})
    EXPECT_EQ(Cli(bad).status, 2) << bad[1];
  // The rows name their window; another window is another sweep.
  const std::vector<std::string> sweep = {"sweep", "--vary", "step=0,2", "--out", "w.csv", "-q"};
  ASSERT_EQ(Cli(sweep).status, 0);
  const std::vector<std::string> lines = Lines("w.csv");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("; threshold -20; dvdt 20; window step;"), std::string::npos) << lines[0];
  EXPECT_NE(lines[2].find(",0,80,"), std::string::npos) << lines[2];  // no step: the whole trial
  EXPECT_NE(lines[3].find(",10,60,"), std::string::npos) << lines[3];
  std::vector<std::string> other = sweep;
  other.insert(other.end(), {"--window", "10:60", "--resume"});
  const CliOutcome refused = Cli(other);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("another sweep"), std::string::npos) << refused.err;
}

// The rate is given (simulated ms per second), so the hour is reached on
// any machine: 61 runs of 80 ms are 4880 s at 1 ms/s on one job.
TEST_F(CliSweep, TheSizeIsToldFirstAndASweepOverAnHourNeedsForce) {
  CliCall call;
  call.dir = dir;
  call.env["VANTOR_CLI_SWEEP_RATE"] = "1";
  for (const char* command : {"fi", "sweep"}) {
    SCOPED_TRACE(command);
    call.args = {command, "--jobs", "1", "--out", "f.csv"};
    if (std::string(command) == "sweep") call.args.insert(call.args.end(), {"--vary", "step=0:3:61"});
    const CliOutcome refused = RunCli(call);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("61 runs, 4.88 s of simulated time, about 1 h 21 min here on 1 job"),
              std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_TRUE(FileNames(dir).empty());
    call.args.push_back("--force");
    const CliOutcome forced = RunCli(call);
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.err, std::string("vantor-cli: ") + command + ": 61 runs, 4.88 s of simulated time, "
              "about 1 h 21 min here on 1 job\nvantor-cli: " + command + ": 61 runs, none failed\n");
    fs::remove(dir / "f.csv");
  }
  // Two jobs halve it: under the hour, no --force needed.
  call.args = {"fi", "--jobs", "2", "--out", "f.csv"};
  const CliOutcome two = RunCli(call);
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_NE(two.err.find("about 40 min 40 s here on 2 jobs"), std::string::npos) << two.err;
  // A refused resume leaves no part file of its own.
  call.args = {"fi", "--jobs", "1", "--out", "g.csv", "--resume"};
  EXPECT_EQ(RunCli(call).status, 2);
  EXPECT_EQ(FileNames(dir), std::vector<std::string>{"f.csv"});
  // A resumed sweep is sized by the runs it still has to make.
  const std::vector<std::string> lines = Lines("f.csv");
  std::string part;
  for (std::size_t i = 0; i < 2 + 41; ++i) part += lines[i] + "\n";
  fs::remove(dir / "f.csv");
  WriteFile(dir / "f.csv.part", part);
  call.args = {"fi", "--jobs", "1", "--out", "f.csv", "--resume"};
  const CliOutcome resumed = RunCli(call);
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_NE(resumed.err.find("20 runs, 1.6 s of simulated time, about 26 min 40 s"), std::string::npos)
      << resumed.err;
  EXPECT_NE(resumed.err.find("61 runs, none failed"), std::string::npos) << resumed.err;
}

TEST_F(CliSweep, ProgressLineOnATerminalOnly) {
  CliCall call;
  call.dir = dir;
  call.args = {"sweep", "--vary", "step=0:3:4", "--out", "a.csv", "--set", "duration=30"};
  call.stderrTerminal = true;
  const CliOutcome shown = RunCli(call);
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.err.find("4 of 4 runs"), std::string::npos) << shown.err;
  call.args.back() = "duration=31";
  call.args.push_back("--resume");
  call.stderrTerminal = false;
  fs::remove(dir / "a.csv");
  const CliOutcome hidden = RunCli(call);
  ASSERT_EQ(hidden.status, 0) << hidden.err;
  EXPECT_EQ(hidden.err.find("of 4 runs"), std::string::npos) << hidden.err;
}

}  // namespace
}  // namespace vantor::testing

namespace vantor::testing {
namespace {

// mpirun without --mpi would run the whole sweep in every rank, into one
// part file.
TEST(CliSweepLaunch, AnMpiLaunchWithoutMpiIsRefused) {
  const fs::path dir = TestFolder();
  for (const char* variable : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE"}) {
    CliCall call;
    call.dir = dir;
    call.env[variable] = "2";
    call.args = {"sweep", "--vary", "gA=0:1:2", "--out", "a.csv"};
    CliOutcome r = RunCli(call);
    EXPECT_EQ(r.status, 2) << variable;
    EXPECT_NE(r.err.find("started as 2 MPI ranks"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("add --mpi"), std::string::npos) << r.err;
    call.args = {"fi", "--points", "2"};
    r = RunCli(call);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.err.find("run fi without mpirun"), std::string::npos) << r.err;
    call.env[variable] = "1";  // a single rank is an ordinary run
    EXPECT_EQ(RunCli(call).status, 0);
  }
  EXPECT_TRUE(FileNames(dir).empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor::testing
