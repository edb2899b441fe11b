// vantor-cli run as a user meets it: exit status, messages and output files.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vantor/engine/run_sample.h"
#include "vantor/render/run_record.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class CliRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          (std::string("vantor_cli_run_") +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs "vantor-cli run ARGS" in the test directory; returns the exit status
  // and keeps standard error.
  int Run(const std::string& args) {
    const std::string command = "cd '" + dir.string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                std::string(VANTOR_BIN_DIR) + "/vantor-cli' run " + args +
                                " > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    errors = Read(dir / "err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The shipped limits with one pair replaced (maximum, minimum).
  std::string LimitsWith(int index, const std::string& pair) {
    const std::vector<std::string> shipped = Lines(fs::path(VANTOR_BIN_DIR) / "VANTOR.mnx");
    const fs::path path = dir / "wide.mnx";
    std::ofstream out(path);
    for (int k = 0; k < static_cast<int>(shipped.size()); ++k)
      out << (k == index ? pair : shipped[k]) << "\n";
    return path.string();
  }

  fs::path dir;
  std::string errors;
};

TEST_F(CliRun, CsvHasAHeaderAndOneRowPerSample) {
  ASSERT_EQ(Run("--csv run.csv --record run.rec"), 0) << errors;
  const std::vector<std::string> lines = Lines(dir / "run.csv");
  ASSERT_GT(lines.size(), 100u);
  EXPECT_EQ(lines[0],
            "time (ms),V-m (mV),I-Inj (nA),I-cap (nA),[Ca++]-i (\u00b5M),I-C (nA),I-H (nA),I-T (nA),"
            "I-A (nA),I-L (nA),g-Na (\u00b5S),I-K (nA),I-M (nA),I-AHP (nA),I-Nap (nA),"
            "g-AMPA (\u00b5S),g-NMDA (\u00b5S),g-GABAa (\u00b5S),g-GABAb (\u00b5S),g-1 (mNa),"
            "g-2 (hNa),g-3 (mK)");
  EXPECT_EQ(lines[1].rfind("0,-65,0,", 0), 0u) << lines[1];
  EXPECT_EQ(lines.back().rfind("80,", 0), 0u) << lines.back();
  for (std::size_t i = 1; i < lines.size(); ++i)
    ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 21) << i;

  // The record holds the same samples, 84 bytes each.
  const auto record = ReadRunRecord((dir / "run.rec").string());
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->size(), lines.size() - 1);
  EXPECT_EQ(fs::file_size(dir / "run.rec"), record->size() * kSampleBytes);
  EXPECT_EQ(record->back()[0], 80.0f);
}

// Method 4's rows carry its double-precision time and values, rising
// strictly; the record keeps them rounded, one sample a row.
TEST_F(CliRun, Method4CsvRowsAreInDoublePrecision) {
  ASSERT_EQ(Run("--method 4 --csv run.csv --record run.rec"), 0) << errors;
  const std::vector<std::string> lines = Lines(dir / "run.csv");
  const auto record = ReadRunRecord((dir / "run.rec").string());
  ASSERT_TRUE(record.has_value());
  ASSERT_EQ(record->size(), lines.size() - 1);
  double previous = -1;
  int longer = 0;  // times written with more digits than a float has
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string time = lines[i].substr(0, lines[i].find(','));
    const double t = std::stod(time);
    ASSERT_GT(t, previous) << i;
    EXPECT_EQ(static_cast<float>(t), (*record)[i - 1][0]) << i;
    if (time.size() > 10) ++longer;
    previous = t;
  }
  EXPECT_GT(longer, static_cast<int>(lines.size()) / 2);
  EXPECT_EQ(lines[1].rfind("0,-65,0,", 0), 0u) << lines[1];
}

TEST_F(CliRun, CondFlagsAndGateChoicesNameTheColumns) {
  ASSERT_EQ(Run("--set 'Gate #1 (mC)=8' --set 43=0 --csv run.csv"), 0) << errors;
  const std::string header = Lines(dir / "run.csv").at(0);
  EXPECT_NE(header.find("g-1 (mC)"), std::string::npos) << header;
  EXPECT_NE(header.find("g-2 (V-m, mV)"), std::string::npos) << header;
}

TEST_F(CliRun, SettingsByIndexShortNamePromptAndMethod) {
  EXPECT_EQ(Run("--set 5=10 --set gK=3 --set '[Ca]o=2.5' --method 3 --csv a.csv"), 0) << errors;
  // The prompt typed in UTF-8 finds the prompt held with the code page byte.
  EXPECT_EQ(Run("--set 'gNa (0-20 \u00b5S)=0' --csv b.csv"), 0) << errors;
  EXPECT_NE(Read(dir / "a.csv"), Read(dir / "b.csv"));
}

TEST_F(CliRun, UnknownKeyIsRefused) {
  EXPECT_EQ(Run("--set gXYZ=1 --csv run.csv"), 1);
  EXPECT_NE(errors.find("gXYZ"), std::string::npos) << errors;
  EXPECT_FALSE(fs::exists(dir / "run.csv"));
}

TEST_F(CliRun, OutOfRangeValueGetsTheDialogsMessage) {
  EXPECT_EQ(Run("--set gNa=300"), 1);
  EXPECT_EQ(errors,
            "vantor-cli: error: The value for gNa  is out of range. It must be between 0 and "
            "200!\n");
  EXPECT_EQ(Run("--set gNa=nan"), 1);
  EXPECT_EQ(Run("--set gNa=1e999"), 1);
  EXPECT_EQ(Run("--set gNa=abc"), 1);
  EXPECT_NE(errors.find("not a number"), std::string::npos) << errors;
}

TEST_F(CliRun, UsageErrors) {
  EXPECT_EQ(Run("--set gNa"), 2);
  EXPECT_EQ(Run("--csv"), 2);
  EXPECT_EQ(Run("--frobnicate"), 2);
  EXPECT_EQ(Run("a.vt4 b.vt4"), 2);
  EXPECT_EQ(Run("--limits limits.txt"), 2);
}

TEST_F(CliRun, RefusedRunKeepsThePreviousOutput) {
  { std::ofstream(dir / "run.csv") << "previous"; }
  // Limits that let Model be 7, which no run can use.
  const std::string limits = LimitsWith(49, "9 0");
  EXPECT_EQ(Run("--limits '" + limits + "' --set 49=7 --csv run.csv"), 1);
  EXPECT_NE(errors.find("Model"), std::string::npos) << errors;
  EXPECT_EQ(Read(dir / "run.csv"), "previous");
  // Nothing is left beside it either.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename().string().find("run.csv") != std::string::npos) ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(CliRun, MissingInputsAreRefused) {
  EXPECT_EQ(Run("no-such-file.vt4"), 1);
  EXPECT_EQ(Run("--gates no-such-table.val"), 1);
  EXPECT_NE(errors.find("no-such-table.val"), std::string::npos) << errors;
  EXPECT_EQ(Run("--limits no-such-limits.mnx"), 1);
}

TEST_F(CliRun, EveryShippedExampleRunsWithinTheShippedLimits) {
  int examples = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(VANTOR_BIN_DIR) / "examples")) {
    if (entry.path().extension() != ".vt4") continue;
    ++examples;
    std::string args(1, '\'');
    args.append(entry.path().string()).append("' --csv run.csv");
    EXPECT_EQ(Run(args), 0)
        << entry.path() << "\n" << errors;
    EXPECT_TRUE(errors.empty()) << entry.path() << "\n" << errors;
    EXPECT_GT(Lines(dir / "run.csv").size(), 10u) << entry.path();
  }
  EXPECT_GE(examples, 2);
}

}  // namespace
}  // namespace vantor
