// What vantor-cli writes: the CSV's columns and grid, the progress line,
// and the examples the README and the data folder give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::vector<double>> Rows(const std::string& csv) {
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);  // header
  std::vector<std::vector<double>> rows;
  while (std::getline(lines, line)) {
    std::vector<double> row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

TEST(CliOutputs, CsvHasTheInjectedCurrent) {
  const fs::path dir = TestFolder();
  const CliOutcome run =
      RunCliIn(dir, {"run", "--set", "base=-0.5", "--set", "step=1.5", "--csv", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("time (ms),V-m (mV),I-Inj (nA),I-cap (nA),", 0), 0u);
  int before = 0, during = 0, after = 0;
  for (const auto& row : Rows(run.out)) {
    ASSERT_EQ(row.size(), 22u);
    const double t = row[0];
    const double expected = (t > 10 && t < 60) ? 1.0 : -0.5;
    EXPECT_EQ(row[2], expected) << t;
    (t <= 10 ? before : t < 60 ? during : after)++;
  }
  EXPECT_GT(before, 5);
  EXPECT_GT(during, 50);
  EXPECT_GT(after, 5);
  // Every number is written as printf("%.9g") writes the float it holds.
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) {
      char printed[40];
      std::snprintf(printed, sizeof printed, "%.9g", static_cast<double>(std::strtof(field.c_str(), nullptr)));
      ASSERT_EQ(field, printed);
    }
  }
  fs::remove_all(dir);
}

TEST(CliOutputs, DtResamplesOntoAFixedGrid) {
  const fs::path dir = TestFolder();
  const CliOutcome raw = RunCliIn(dir, {"run", "--csv", "-"});
  const CliOutcome grid = RunCliIn(dir, {"run", "--csv", "-", "--dt", "0.25"});
  ASSERT_EQ(grid.status, 0) << grid.err;
  const auto samples = Rows(raw.out);
  const auto rows = Rows(grid.out);
  ASSERT_EQ(rows.size(), 321u);  // 0, 0.25, ..., 80
  // The recorded rows are irregular; the grid is not.
  bool irregular = false;
  for (std::size_t i = 2; i < samples.size(); ++i)
    irregular |= std::fabs((samples[i][0] - samples[i - 1][0]) - (samples[1][0] - samples[0][0])) > 1e-3;
  EXPECT_TRUE(irregular);
  std::size_t j = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double t = 0.25 * static_cast<double>(i);
    ASSERT_EQ(rows[i][0], t);
    // Linear interpolation between the samples around t, column by column.
    while (j + 1 < samples.size() && samples[j + 1][0] < t) ++j;
    const auto& a = samples[j];
    const auto& b = samples[std::min(j + 1, samples.size() - 1)];
    const double w = b[0] > a[0] ? (t - a[0]) / (b[0] - a[0]) : 0;
    for (std::size_t c : {1u, 3u, 10u}) {
      const double expected = t <= a[0] ? a[c] : a[c] + (b[c] - a[c]) * w;
      // The times read back from nine digits differ from the run's by ~1e-8 ms.
      EXPECT_NEAR(rows[i][c], expected, 2e-5 * (1 + std::fabs(expected))) << t << " col " << c;
    }
  }
  // The manual says so.
  const std::string manual = ReadFile(VANTOR_SOURCE_DIR "/man/vantor-cli.1");
  EXPECT_NE(manual.find("The rows are spaced irregularly"), std::string::npos);
  EXPECT_NE(manual.find(".BI \\-\\-dt \" MS\""), std::string::npos);
  EXPECT_EQ(RunCliIn(dir, {"run", "--csv", "x.csv", "--dt", "0"}).status, 2);
  EXPECT_EQ(RunCliIn(dir, {"run", "--dt", "0.1"}).status, 2);
  fs::remove_all(dir);
}

TEST(CliOutputs, ProgressOnATerminalQuietAndTheWroteNothingNotice) {
  const fs::path dir = TestFolder();
  CliCall call;
  call.dir = dir;
  call.stderrTerminal = true;
  // The line waits a second before it shows; here it shows at once, however fast the run.
  call.env["VANTOR_CLI_PROGRESS_AFTER_MS"] = "0";
  call.args = {"run", "--set", "0=20000", "--set", "1=2", "--set", "4=0", "--record", "r.rec"};
  CliOutcome run = RunCli(call);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.find("\rt = ") != std::string::npos) << run.err;
  EXPECT_TRUE(run.err.find(" ms/s") != std::string::npos) << run.err;
  call.args.push_back("--quiet");
  run = RunCli(call);
  EXPECT_EQ(run.err, "");

  run = RunCliIn(dir, {"run"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.err.find("warning: the run completed and wrote nothing") != std::string::npos)
      << run.err;
  EXPECT_EQ(RunCliIn(dir, {"run", "-q"}).err, "");
  fs::remove_all(dir);
}

TEST(CliOutputs, TheReadmeExamplesRunInAnEmptyFolder) {
  const fs::path dir = TestFolder();
  // The example block of the README's command-line section, as a script.
  const std::string readme = ReadFile(VANTOR_SOURCE_DIR "/README.md");
  const std::size_t intro = readme.find("Examples (in an empty folder");
  ASSERT_NE(intro, std::string::npos);
  const std::size_t open = readme.find("```\n", intro) + 4;
  const std::size_t close = readme.find("```", open);
  WriteFile(dir / "examples.sh", "set -e\n" + readme.substr(open, close - open));
  const std::string command = "cd '" + dir.string() + "' && PATH='" VANTOR_BIN_DIR "':$PATH bash examples.sh >/dev/null 2>err.txt";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(dir / "err.txt");
  EXPECT_GT(fs::file_size(dir / "out/overlay.png"), 1000u);
  EXPECT_NE(ReadFile(dir / "b.vt4"), ReadFile(dir / "mine.vt4"));
  EXPECT_NE(ReadFile(dir / "c.vt4"), ReadFile(dir / "mine.vt4"));
  fs::remove_all(dir);
}

// The fi and sweep examples write where they are run, not over the README's
// own pictures.
TEST(CliOutputs, TheReadmeSweepExamplesRunInAnEmptyFolder) {
  const fs::path dir = TestFolder();
  const std::string readme = ReadFile(VANTOR_SOURCE_DIR "/README.md");
  const std::size_t from = readme.find("\n## Measures and sweeps\n");
  const std::size_t to = readme.find("\n## ", from + 1);
  ASSERT_NE(from, std::string::npos);
  std::string script = "set -e\n";
  for (std::size_t open = readme.find("```\n", from); open < to; open = readme.find("```\n", open)) {
    open += 4;
    const std::size_t close = readme.find("```", open);
    script += readme.substr(open, close - open);
    open = close + 3;
  }
  EXPECT_NE(script.find("vantor-cli fi "), std::string::npos) << script;
  EXPECT_NE(script.find("vantor-cli sweep "), std::string::npos) << script;
  WriteFile(dir / "examples.sh", script);
  const std::string command = "cd '" + dir.string() + "' && PATH='" VANTOR_BIN_DIR "':$PATH bash examples.sh >/dev/null 2>err.txt";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(dir / "err.txt");
  for (const char* name : {"fi.csv", "fi-curve.png", "gA-gK.csv", "gA-gK-rate.png"})
    EXPECT_GT(fs::file_size(dir / name), 1000u) << name;
  fs::remove_all(dir);
}

TEST(CliOutputs, ShippedExamplesHoldTheFullPrompts) {
  for (const auto& entry : fs::directory_iterator(VANTOR_SOURCE_DIR "/data/examples")) {
    if (entry.path().extension() != ".vt4") continue;  // stimuli and waveforms beside them
    std::istringstream lines(ReadFile(entry.path()));
    std::string line;
    for (int n = 0; n < 51 && std::getline(lines, line);) ++n;
    EXPECT_EQ(line.substr(line.find_first_not_of(' ')).substr(line.find(' ', line.find_first_not_of(' ')) - line.find_first_not_of(' ') + 1),
              "Model (1=Step.F,2=Euler.F,3=RK)")
        << entry.path();
  }
}

}  // namespace
}  // namespace vantor::testing
