// --tolerance: Model 4's relative tolerance from the command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

TEST(CliTolerance, OutsideItsRangeIsRefusedAndInsideItRuns) {
  const fs::path dir = TestFolder();
  for (const char* bad : {"1e-12", "1e-13", "0.01", "1", "0", "-1e-6", "x", "1e-6x", "nan", "inf"}) {
    const CliOutcome run = RunCliIn(dir, {"run", "--method", "4", "--tolerance", bad, "--csv", "t.csv"});
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find("--tolerance needs a number between 1e-12 and 1e-2"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "t.csv")) << bad;
  }
  // A tighter tolerance records more finely; both runs complete.
  CliOutcome run = RunCliIn(dir, {"run", "--method", "4", "--tolerance", "1e-4", "--csv", "a.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunCliIn(dir, {"run", "--method", "4", "--tolerance=1e-9", "--csv", "b.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFile(dir / "a.csv"), ReadFile(dir / "b.csv"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor::testing
