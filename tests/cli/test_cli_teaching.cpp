// vantor-cli gates, ions and --drug as a user meets them.
#include <gtest/gtest.h>

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
