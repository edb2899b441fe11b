// Sweep rows: in order whatever the number of threads, and read back as
// written.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "vantor/sweep/sweep_rows.h"
#include "vantor/sweep/sweep_runner.h"
#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"
#include "test_paths.h"

namespace vantor {
namespace {

class Sweeps : public ::testing::Test {
 protected:
  void SetUp() override {
    SilentMessages quiet;
    ASSERT_TRUE(LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, quiet));
    base.SetValue(param::TrialDuration, 30);
    base.SetValue(param::StepOffset, 25);
    SweepAxis current;
    current.index = param::InjectedCurrent;
    current.name = "Injected current (nA)";
    std::string error;
    ASSERT_TRUE(ParseAxisValues("0:3:5", current, error));
    SweepAxis area;
    area.index = param::MembraneArea;
    area.name = "area";
    ASSERT_TRUE(ParseAxisValues("29000,0", area, error));  // 0 is refused by the engine
    plan.axes = {current, area};
  }

  std::vector<std::string> Rows(int jobs, long block) {
    std::vector<long> runs;
    for (long r = 0; r < plan.Runs(); ++r) runs.push_back(r);
    const SweepJob job(base, gates, plan, runs, MeasureSettings{});
    LocalThreads threads(jobs, block);
    std::vector<std::string> rows;
    SweepHooks hooks;
    hooks.consume = [&](const SweepResult& result) {
      rows.push_back(SweepRow(result));
      return true;
    };
    EXPECT_EQ(RunSweep(job, threads, hooks), SweepEnd::Complete);
    return rows;
  }

  GateTable gates;
  ParameterSet base;
  SweepPlan plan;
};

TEST_F(Sweeps, SameRowsForOneOrSeveralThreads) {
  const std::vector<std::string> one = Rows(1, 1);
  ASSERT_EQ(one.size(), 10u);
  EXPECT_EQ(Rows(3, 1), one);
  EXPECT_EQ(Rows(2, 4), one);
  // Run 0: no current, the cell stays silent; run 1: refused, the message
  // in the last column and no measures.
  const std::vector<std::string> f0 = SplitCsv(one[0]);
  ASSERT_EQ(f0.size(), 3u + kMeasureCount + 2 + 1);  // the window's two edges, the error
  EXPECT_EQ(f0[0], "0");
  EXPECT_EQ(f0[3], "0");         // spikes
  EXPECT_EQ(f0[12], "silent");   // class
  EXPECT_EQ(f0.back(), "");
  const std::vector<std::string> f1 = SplitCsv(one[1]);
  EXPECT_EQ(f1[2], "0");
  EXPECT_EQ(f1[3], "");
  EXPECT_FALSE(f1.back().empty());
  // The strongest current fires.
  EXPECT_NE(SplitCsv(one[8])[3], "0");
}

TEST(OrderedRows, ReleasesInOrderOnly) {
  OrderedRows<std::string> rows(3);
  rows.Put(2, "c");
  rows.Put(1, "b");
  EXPECT_TRUE(rows.Take(std::chrono::milliseconds(1)).empty());
  std::thread late([&] { rows.Put(0, "a"); });
  std::vector<std::string> got;
  while (got.size() < 3)
    for (auto& r : rows.Take(std::chrono::milliseconds(100))) got.push_back(r);
  late.join();
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(rows.AllTaken());
}

TEST(BlockDispenser, EveryPositionOnceThenNone) {
  BlockDispenser d(10);
  long first = 0, n = 0, total = 0;
  while (d.Next(4, first, n)) total += n;
  EXPECT_EQ(total, 10);
  BlockDispenser stopped(10);
  stopped.Stop();
  EXPECT_FALSE(stopped.Next(1, first, n));
}

TEST(SweepFile, ReadsWholeLinesAndQuotedFields) {
  const std::string path = testing::TestScratchPath("s.csv");
  {
    std::ofstream out(path, std::ios::binary);
    out << "# vantor-cli sweep; runs 3\nrun,gA,error\n0,1,\n1,2,\"The value, \"\"quoted\"\"\"\n2,3";
  }
  SweepFile file;
  std::string error;
  ASSERT_TRUE(ReadSweepFile(path, file, error)) << error;
  ASSERT_EQ(file.rows.size(), 2u);  // the cut last line is not taken
  EXPECT_EQ(file.rows[1].run, 1);
  EXPECT_EQ(SplitCsv(file.rows[1].text).back(), "The value, \"quoted\"");
  EXPECT_EQ(file.completeBytes, 73);
  {
    std::ofstream out(path, std::ios::binary);
    out << "time,V\n1,2\n";
  }
  EXPECT_FALSE(ReadSweepFile(path, file, error));
  EXPECT_NE(error.find("not a sweep file"), std::string::npos);
  EXPECT_FALSE(ReadSweepFile(path + ".none", file, error));
}

// Found by fuzz_sweep_file: a class without a spike count.
TEST(SweepFile, RowWithoutItsSpikeCountIsNoRow) {
  // A row as written, then with its spike count (the field after the one
  // varied value) left out or too large for a count, as the fuzzer found.
  const std::string row = SweepRow(2, {20.0f}, MeasuredRun{});
  const std::size_t from = row.find(',', row.find(',') + 1) + 1;
  const std::size_t to = row.find(',', from);
  const std::string rest = row.substr(to);
  SweepResult result;
  ASSERT_TRUE(ParseSweepRow(row, 1, result));
  EXPECT_EQ(result.measured.measures.spikes, 0);
  EXPECT_FALSE(ParseSweepRow(row.substr(0, from) + rest, 1, result));
  EXPECT_FALSE(ParseSweepRow(row.substr(0, from) + "1e300" + rest, 1, result));
}

}  // namespace
}  // namespace vantor
