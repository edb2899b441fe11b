// vantor-cli gates, ions and --drug as a user meets them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "cli_process.h"
#include "test_paths.h"

namespace vantor {
namespace {

using testing::RunCliIn;

int Lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(CliTeaching, GateCurvesAsCsvAndChart) {
  const auto dir = testing::TestScratchDir();
  const auto csv = RunCliIn(dir, {"gates", "--only", "mNa,mAHP", "--points", "7", "--csv", "-"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("gate,x,x_unit,inf,tau_ms\nmNa,-100,mV,", 0), 0u) << csv.out;
  EXPECT_EQ(Lines(csv.out), 1 + 2 * 7);
  EXPECT_NE(csv.out.find("mAHP,0,uM,0,"), std::string::npos);
  const auto png = RunCliIn(dir, {"gates", "--png", "g.png", "--size", "600x450"});
  ASSERT_EQ(png.status, 0) << png.err;
  EXPECT_GT(std::filesystem::file_size(dir / "g.png"), 1000u);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"gates"}, {"gates", "--only", "AMPA", "--csv", "-"},
        {"gates", "--range", "0:0", "--csv", "-"}, {"gates", "--record", "r", "--csv", "-"}}) {
    const auto refused = RunCliIn(dir, bad);
    EXPECT_EQ(refused.status, 2) << bad[1] << refused.err;
    EXPECT_NE(refused.err.find("error:"), std::string::npos);
  }
}

TEST(CliTeaching, DrugsBlockTheSpikesAndIonsPrintThePotentials) {
  const auto dir = testing::TestScratchDir();
  const auto control = RunCliIn(dir, {"measure", "--json"});
  const auto ttx = RunCliIn(dir, {"measure", "--json", "--drug", "TTX=1uM"});
  ASSERT_EQ(control.status, 0) << control.err;
  ASSERT_EQ(ttx.status, 0) << ttx.err;
  EXPECT_EQ(control.out.find("\"spikes\": 0,"), std::string::npos) << control.out;
  EXPECT_NE(ttx.out.find("\"spikes\": 0,"), std::string::npos) << ttx.out;
  const auto unknown = RunCliIn(dir, {"run", "--drug", "coffee=1uM", "--csv", "x.csv"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no drug called \"coffee\""), std::string::npos) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.csv"));
  const auto ions = RunCliIn(dir, {"ions", "--set", "[K]o=135"});
  ASSERT_EQ(ions.status, 0) << ions.err;
  EXPECT_NE(ions.out.find("E_K                  0 mV"), std::string::npos) << ions.out;
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// Each run's measures, as 'measure' prints them, stand in its own part of the report.
TEST(CliTeaching, ReportHoldsEveryRunsMeasures) {
  const auto dir = testing::TestScratchDir();
  const std::string a = std::string(VANTOR_BIN_DIR) + "/examples/default.vt4";
  const std::string b = std::string(VANTOR_BIN_DIR) + "/examples/rebound-burst.vt4";
  const auto made = RunCliIn(dir, {"report", a, b, "--html", "r.html", "--pdf", "r.pdf"});
  ASSERT_EQ(made.status, 0) << made.err;
  std::ifstream in(dir / "r.html");
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("<td>duration</td><td>ms</td><td>80</td><td>250</td>"), std::string::npos);
  const std::size_t second = html.find("Run 2: ");
  ASSERT_NE(second, std::string::npos);
  for (int run = 0; run < 2; ++run) {
    const auto measured = RunCliIn(dir, {"measure", run == 0 ? a : b});
    ASSERT_EQ(measured.status, 0) << measured.err;
    std::istringstream lines(measured.out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
      std::string label = line.substr(0, 20);
      while (!label.empty() && label.back() == ' ') label.pop_back();
      if (label == "window" || label == "stimulus onset") continue;
      const std::string row = "<tr><td>" + label + "</td><td>" + line.substr(21) + "</td></tr>";
      const std::size_t at = html.find(row, run == 0 ? 0 : second);
      EXPECT_TRUE(at != std::string::npos && (run == 1 || at < second)) << row;
      ++rows;
    }
    EXPECT_GT(rows, 10);
  }
  EXPECT_EQ(RunCliIn(dir, {"report", a}).status, 2);  // no output named
  FILE* text = popen(("pdftotext '" + (dir / "r.pdf").string() + "' - 2>/dev/null").c_str(), "r");
  ASSERT_NE(text, nullptr);
  std::string pdf;
  for (int c; (c = std::fgetc(text)) != EOF;) pdf += static_cast<char>(c);
  if (pclose(text) != 0) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_NE(pdf.find("Run 2: "), std::string::npos);
  EXPECT_NE(pdf.find("bursting"), std::string::npos) << pdf;
}

}  // namespace
}  // namespace vantor
