// Sweep plans: the values of each axis, the order of the grid, random points
// that do not depend on who runs them, shards and signatures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "vantor/sweep/sweep_plan.h"

namespace vantor {
namespace {

SweepAxis Axis(int index, const std::string& values) {
  SweepAxis axis;
  axis.index = index;
  std::string error;
  EXPECT_TRUE(ParseAxisValues(values, axis, error)) << error;
  return axis;
}

TEST(SweepAxis, RangesAndLists) {
  SweepAxis a = Axis(4, "0:3:61");
  ASSERT_EQ(a.values.size(), 61u);
  EXPECT_EQ(a.values.front(), 0.0f);
  EXPECT_EQ(a.values[20], 1.0f);
  EXPECT_EQ(a.values.back(), 3.0f);
  EXPECT_FALSE(a.list);
  a = Axis(4, "2:1:3");  // downwards is allowed
  EXPECT_EQ(a.values, (std::vector<float>{2.0f, 1.5f, 1.0f}));
  a = Axis(4, "5:9:1");
  EXPECT_EQ(a.values, std::vector<float>{5.0f});
  a = Axis(6, "3,1e-1,-2");
  EXPECT_EQ(a.values, (std::vector<float>{3.0f, 0.1f, -2.0f}));
  EXPECT_TRUE(a.list);
  EXPECT_EQ(a.from, -2.0f);
  EXPECT_EQ(a.to, 3.0f);
}

TEST(SweepAxis, RefusedSpecs) {
  for (const char* bad : {"0:1:0", "0:1:-3", "0:1:2.5", "0:1:", "a:1:3", "0:1", "0:1:2:3", "1,,2",
                          "1,x", "", "0:inf:3", "nan", "0:1:99999999999999999999", "0:1:20000000"}) {
    SweepAxis axis;
    std::string error;
    EXPECT_FALSE(ParseAxisValues(bad, axis, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(SweepPlan, GridOrderLastAxisFastest) {
  SweepPlan plan;
  plan.axes = {Axis(10, "0:1:2"), Axis(6, "1,2,3")};
  ASSERT_EQ(plan.Runs(), 6);
  EXPECT_EQ(plan.Point(0), (std::vector<float>{0, 1}));
  EXPECT_EQ(plan.Point(1), (std::vector<float>{0, 2}));
  EXPECT_EQ(plan.Point(3), (std::vector<float>{1, 1}));
  EXPECT_EQ(plan.Point(5), (std::vector<float>{1, 3}));
}

TEST(SweepPlan, GridSizeSaturates) {
  SweepPlan plan;
  for (int i = 0; i < 5; ++i) plan.axes.push_back(Axis(5, "0:1:10000"));  // 1e20 runs
  EXPECT_EQ(plan.Runs(), std::numeric_limits<long>::max());
}

TEST(SweepPlan, RandomPointsDependOnlyOnSeedAndRun) {
  SweepPlan plan;
  plan.axes = {Axis(10, "0.5:2:3"), Axis(6, "1,2,3")};
  plan.samples = 200;
  plan.seed = 7;
  EXPECT_EQ(plan.Runs(), 200);
  std::set<float> seen;
  for (long run = 0; run < 200; ++run) {
    const std::vector<float> p = plan.Point(run);
    EXPECT_GE(p[0], 0.5f);
    EXPECT_LE(p[0], 2.0f);
    EXPECT_TRUE(p[1] == 1 || p[1] == 2 || p[1] == 3);
    seen.insert(p[0]);
  }
  EXPECT_GT(seen.size(), 190u);  // not the grid's three values
  // Asked in another order, by another copy: the same values.
  SweepPlan copy = plan;
  EXPECT_EQ(copy.Point(123), plan.Point(123));
  copy.seed = 8;
  EXPECT_NE(copy.Point(123), plan.Point(123));
}

TEST(SweepPlan, ShardsInterleaveAndCoverEveryRunOnce) {
  EXPECT_EQ(ShardRuns(10, 1, 3), (std::vector<long>{0, 3, 6, 9}));
  EXPECT_EQ(ShardRuns(10, 3, 3), (std::vector<long>{2, 5, 8}));
  EXPECT_TRUE(ShardRuns(2, 3, 3).empty());
  std::vector<long> all;
  for (int k = 1; k <= 4; ++k) {
    const std::vector<long> part = ShardRuns(23, k, 4);
    all.insert(all.end(), part.begin(), part.end());
  }
  std::sort(all.begin(), all.end());
  ASSERT_EQ(all.size(), 23u);
  for (long i = 0; i < 23; ++i) EXPECT_EQ(all[static_cast<std::size_t>(i)], i);
}

TEST(SweepPlan, SignatureNamesPlanInputsAndShard) {
  SweepPlan plan;
  plan.axes = {Axis(10, "0:1:2")};
  ParameterSet params;
  GateTable gates;
  const std::uint64_t f = InputsFingerprint(params, gates);
  const std::string whole = SweepSignature(plan, f, {}, "");
  EXPECT_EQ(whole.rfind("# vantor-cli sweep; runs 2; vary 10=0:1:2;", 0), 0u) << whole;
  EXPECT_EQ(SweepSignature(plan, f, {}, "2/3"), whole + "; shard 2/3");
  params.SetValue(param::gK, 3);
  EXPECT_NE(InputsFingerprint(params, gates), f);
  ParameterSet limits;
  limits.SetLimits(param::gK, 0, 5);
  EXPECT_NE(InputsFingerprint(limits, gates), f);
  gates.Row(1).A = 2;
  EXPECT_NE(InputsFingerprint(ParameterSet{}, gates), f);
  // The spike rule and the window decide the rows too.
  MeasureSettings other;
  other.rule.threshold = -10;
  EXPECT_NE(SweepSignature(plan, f, other, ""), whole);
  other = {};
  other.rule.dvdt = 10;
  EXPECT_NE(SweepSignature(plan, f, other, ""), whole);
  other = {};
  other.windowGiven = true, other.from = 0, other.to = 80;
  EXPECT_NE(SweepSignature(plan, f, other, ""), whole);
}

}  // namespace
}  // namespace vantor
