// What vantor-cli says: the one message form, limits, parameter names,
// help and options every command shares.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

// The shipped limits of parameter k: "maximum minimum" as the file has them.
std::pair<std::string, std::string> ShippedLimits(int k) {
  std::istringstream in(ReadFile(VANTOR_BIN_DIR "/VANTOR.mnx"));
  std::string maximum, minimum;
  for (int i = 0; i <= k; ++i) in >> maximum >> minimum;
  return {maximum, minimum};
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every line of standard error is "vantor-cli: error: ..." or "... warning: ...",
// or the pointer to the help after a usage error.
void ExpectFramed(const std::string& err) {
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    const bool framed = line.rfind("vantor-cli: error: ", 0) == 0 ||
                        line.rfind("vantor-cli: warning: ", 0) == 0 || line.rfind("(see '", 0) == 0;
    EXPECT_TRUE(framed) << line;
    for (const char* caption : {"Error!", "VTWin", "Bad Parameter"})
      EXPECT_FALSE(Has(line, caption)) << line;
  }
}

// The built-in parameter file with line `line` (1-based) replaced.
void WriteParameterFileWith(const fs::path& dir, const std::string& name, int line,
                            const std::string& text) {
  ASSERT_EQ(RunCliIn(dir, {"defaults", name}).status, 0);
  std::istringstream in(ReadFile(dir / name));
  std::string out;
  int n = 0;
  for (std::string l; std::getline(in, l);) out += (++n == line ? text : l) + "\n";
  WriteFile(dir / name, out);
}

TEST(CliMessages, FileProblemsNameTheFileAndTheReason) {
  const fs::path dir = TestFolder();
  fs::create_directories(dir / "folder.vt4");
  CliOutcome run = RunCliIn(dir, {"run", "folder.vt4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantor-cli: error: Parameter file not found! (folder.vt4: Is a directory)\n");

  WriteFile(dir / "bad.val", "not a gate table\n");
  run = RunCliIn(dir, {"run", "--gates", "bad.val"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantor-cli: error: Unreadable vmodels.val file! (bad.val)\n");
  run = RunCliIn(dir, {"run", "--gates", "none.val"});
  EXPECT_TRUE(Has(run.err, "none.val: No such file or directory")) << run.err;

  WriteFile(dir / "short.mnx", "1000000 1\n200 -200\n");
  run = RunCliIn(dir, {"run", "--limits", "short.mnx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Has(run.err, "Could not find")) << run.err;
  EXPECT_TRUE(Has(run.err, "short.mnx is malformed")) << run.err;
  run = RunCliIn(dir, {"run", "--limits", "none.mnx"});
  EXPECT_EQ(run.err,
            "vantor-cli: error: Could not find initialization file: none.mnx (No such file or "
            "directory)\n");

  if (geteuid() != 0) {  // the superuser reads everything
    WriteFile(dir / "locked.vt4", "x\n");
    fs::permissions(dir / "locked.vt4", fs::perms::none);
    run = RunCliIn(dir, {"run", "locked.vt4"});
    EXPECT_TRUE(Has(run.err, "locked.vt4: Permission denied")) << run.err;
  }
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"run", "--set", "gNa=300"}, {"run", "--frobnicate"}, {"convert", "x.vt4", "y.vt4"},
           {"run", "--set", "gXYZ=1"}, {"frobnicate"}})
    ExpectFramed(RunCliIn(dir, args).err);
  fs::remove_all(dir);
}

TEST(CliMessages, ValuesOutsideTheLimitsAreWarnedAboutAndEndlessTrialsRefused) {
  const fs::path dir = TestFolder();
  WriteParameterFileWith(dir, "neg.vt4", 7, " -20 gNa (0-20 \xE6S)");
  CliOutcome run = RunCliIn(dir, {"run", "neg.vt4", "--csv", "n.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "vantor-cli: warning: The value for gNa  is out of range. It must be between 0 and "
            "200! (neg.vt4)\n");

  WriteParameterFileWith(dir, "long.vt4", 2, "1e30 Trial duration (ms)");
  // Refused before it runs: a run that started would be killed.
  CliCall endless;
  endless.dir = dir;
  endless.args = {"run", "long.vt4", "--csv", "l.csv"};
  endless.env["VANTOR_CLI_SIGNAL_AT"] = "run,9";
  run = RunCli(endless);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "Trial duration  is out of range")) << run.err;
  EXPECT_TRUE(Has(run.err, "--force")) << run.err;
  EXPECT_FALSE(fs::exists(dir / "l.csv"));
  // A --set may mend it.
  EXPECT_EQ(RunCliIn(dir, {"run", "long.vt4", "--set", "duration=50", "--csv", "l.csv"}).status, 0);

  // Beyond limits that allow only 50 ms: --force runs it, with the warning.
  std::string limits = ReadFile(VANTOR_BIN_DIR "/VANTOR.mnx");
  limits.replace(0, limits.find('\n'), "50 1");
  WriteFile(dir / "tight.mnx", limits);
  ASSERT_EQ(RunCliIn(dir, {"defaults", "p.vt4"}).status, 0);
  EXPECT_EQ(RunCliIn(dir, {"run", "p.vt4", "--limits", "tight.mnx", "--csv", "f.csv"}).status, 1);
  run = RunCliIn(dir, {"run", "p.vt4", "--limits", "tight.mnx", "--force", "--csv", "f.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.err, "warning: The value for Trial duration  is out of range")) << run.err;
  EXPECT_TRUE(fs::exists(dir / "f.csv"));
  fs::remove_all(dir);
}

TEST(CliMessages, ParamsListsEveryParameterAndSetKnowsTheirNames) {
  const fs::path dir = TestFolder();
  CliOutcome run = RunCliIn(dir, {"params"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 55);
  EXPECT_TRUE(std::regex_search(run.out, std::regex("\n5 +gNa +gNa \\(0-20 \xC2\xB5S\\) +\xC2\xB5S +20 +0 +200\n")))
      << run.out;
  EXPECT_TRUE(std::regex_search(run.out, std::regex("\n0 +duration +Trial duration \\(ms\\) +ms +80 +1 +1000000\n")));
  run = RunCliIn(dir, {"params", "--json"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '{'), 54);
  const auto [modelMax, modelMin] = ShippedLimits(49);
  EXPECT_TRUE(Has(run.out, "{\"index\": 49, \"name\": \"model\", \"prompt\": \"Model (1=Step.F,2=Euler.F,3=RK)\", "
                           "\"unit\": \"\", \"default\": 1, \"minimum\": " + modelMin +
                           ", \"maximum\": " + modelMax + "}"))
      << run.out;

  // Short names, any case; the CSV shows the values took.
  run = RunCliIn(dir, {"run", "--set", "Duration=30", "--set", "ONSET=5", "--set", "offset=25",
                  "--set", "step=1.5", "--set", "base=0.25", "--set", "vstart=-70", "--set",
                  "gna=15", "--set", "trial DURATION (MS)=30", "--csv", "-"});
  EXPECT_EQ(run.status, 0) << run.err;
  std::istringstream rows(run.out);
  std::string header, first, last, row;
  std::getline(rows, header);
  std::getline(rows, first);
  while (std::getline(rows, row)) last = row;
  EXPECT_EQ(first.rfind("0,-70,0.25,", 0), 0u) << first;
  EXPECT_EQ(last.rfind("30,", 0), 0u) << last;

  run = RunCliIn(dir, {"run", "--set", "gNaa=1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "There is no parameter called \"gNaa\". Did you mean gNa")) << run.err;
  run = RunCliIn(dir, {"run", "--set", "duratoin=1"});
  EXPECT_TRUE(Has(run.err, "Did you mean duration?")) << run.err;
  fs::remove_all(dir);
}

TEST(CliMessages, HelpVersionAndTheEndOfOptionsForEveryCommand) {
  const fs::path dir = TestFolder();
  CliOutcome run = RunCliIn(dir, {"help"});
  EXPECT_EQ(run.status, 0);
  for (const char* command : {"run", "params", "defaults", "convert"}) {
    EXPECT_TRUE(Has(run.out, std::string("  ") + command + " ")) << run.out;
    for (const char* flag : {"--help", "-h"}) {
      const CliOutcome help = RunCliIn(dir, {command, flag});
      EXPECT_EQ(help.status, 0) << command << flag;
      EXPECT_EQ(help.out.rfind(std::string("usage: vantor-cli ") + command, 0), 0u) << help.out;
    }
    EXPECT_EQ(RunCliIn(dir, {"help", command}).out, RunCliIn(dir, {command, "--help"}).out);
    const CliOutcome version = RunCliIn(dir, {command, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vantor-cli ", 0), 0u);
  }
  // Nothing was written by any of them.
  EXPECT_TRUE(FileNames(dir).empty());
  EXPECT_EQ(RunCliIn(dir, {}).status, 2);
  EXPECT_EQ(RunCliIn(dir, {"help", "nothing"}).status, 2);

  // "--" lets a file begin with "-".
  EXPECT_EQ(RunCliIn(dir, {"defaults", "--", "-odd.vt4"}).status, 0);
  EXPECT_TRUE(fs::exists(dir / "-odd.vt4"));
  EXPECT_EQ(RunCliIn(dir, {"run", "--csv", "r.csv", "--", "-odd.vt4"}).status, 0);
  EXPECT_EQ(RunCliIn(dir, {"convert", "--", "-odd.vt4", "--help.vts"}).status, 0);
  EXPECT_TRUE(fs::exists(dir / "--help.vts"));
  fs::remove_all(dir);
}

TEST(CliMessages, MethodIsAWholeNumberTheLimitsAllowAndSizeHasBounds) {
  const fs::path dir = TestFolder();
  for (const char* method : {"2.5", "x", "", "-1", "1e0"})
    EXPECT_EQ(RunCliIn(dir, {"run", "--method", method}).status, 2) << method;
  EXPECT_EQ(RunCliIn(dir, {"run", "--method=3", "--csv", "a.csv"}).status, 0);
  // The limits file says which methods there are.
  const auto [modelMax, modelMin] = ShippedLimits(49);
  CliOutcome run = RunCliIn(dir, {"run", "--method", "9"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "The value for Model  is out of range. It must be between " + modelMin +
                               " and " + modelMax + "!"))
      << run.err;
  std::string limits = ReadFile(VANTOR_BIN_DIR "/VANTOR.mnx");
  std::istringstream lines(limits);
  std::string wider, line;
  for (int k = 0; std::getline(lines, line); ++k) wider += (k == 49 ? "9 1" : line) + "\n";
  WriteFile(dir / "wide.mnx", wider);
  run = RunCliIn(dir, {"run", "--limits", "wide.mnx", "--method", "9"});
  EXPECT_FALSE(Has(run.err, "out of range")) << run.err;  // the run itself refuses method 9
  fs::remove(dir / "wide.mnx");
  for (const char* size : {"99x100", "100x99", "20001x800", "0x0", "100"})
    EXPECT_EQ(RunCliIn(dir, {"run", "--png", "p.png", "--size", size}).status, 2) << size;
  EXPECT_EQ(RunCliIn(dir, {"run", "--png", "p.png", "--size", "100x100"}).status, 0);
  EXPECT_EQ(FileNames(dir), (std::vector<std::string>{"a.csv", "p.png"}));
  fs::remove_all(dir);
}

TEST(CliMessages, NothingGivenIsSilentlyIgnored) {
  const fs::path dir = TestFolder();
  const auto usage = [&](std::vector<std::string> args, const std::string& says) {
    const CliOutcome r = RunCliIn(dir, args);
    EXPECT_EQ(r.status, 2) << says;
    EXPECT_TRUE(Has(r.err, says)) << r.err;
  };
  usage({"run", "--csv", "a.csv", "--csv", "b.csv"}, "--csv is given twice (a.csv, b.csv)");
  usage({"sweep", "--vary", "gA=0:1:2", "--out", "a.csv", "--out=b.csv"}, "--out is given twice");
  usage({"sweep", "--vary", "gA=0:1:2", "--seed", "3", "--out", "a.csv"},
        "--seed applies to --samples N");
  usage({"run", "--tolerance", "1e-6"}, "--tolerance applies to method 4, and the run uses method 1");
  EXPECT_EQ(RunCliIn(dir, {"run", "-q", "--method", "4", "--tolerance", "1e-6"}).status, 0);
  // A method between two is none of them, however it is given.
  const CliOutcome between = RunCliIn(dir, {"run", "--set", "model=2.5"});
  EXPECT_EQ(between.status, 1);
  EXPECT_TRUE(Has(between.err, "The method \"2.5\" is not a whole number.")) << between.err;
  const CliOutcome late = RunCliIn(dir, {"run", "-q", "--set", "onset=70"});
  EXPECT_EQ(late.status, 0);
  EXPECT_TRUE(Has(late.err, "warning: the step's onset (70 ms) is after its offset (60 ms)"))
      << late.err;
  EXPECT_TRUE(FileNames(dir).empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor::testing
