// The typed sweep: plans checked and worded by the core, results in plan
// order from any number of threads, and a sweep that stops when asked.
#include <gtest/gtest.h>

#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"
#include "vantor/sweep/sweep_request.h"
#include "vantor/sweep/sweep_rows.h"
#include "vantor/sweep/sweep_runner.h"
#include "test_paths.h"

namespace vantor {
namespace {

class SweepApi : public ::testing::Test {
 protected:
  void SetUp() override {
    SilentMessages quiet;
    ASSERT_TRUE(LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, quiet));
    base.SetValue(param::TrialDuration, 30);
    base.SetValue(param::StepOffset, 25);
    base.SetLimits(param::MembraneArea, 0, 1e9);  // the engine refuses area 0
    SweepRequest request;
    request.axes = {{"step", -1, "0:3:4", {}}, {"", param::MembraneArea, "", {29000, 0}}};
    ASSERT_FALSE(MakeSweepPlan(request, base, terms, plan));
    for (long r = 0; r < plan.Runs(); ++r) runs.push_back(r);
  }

  const SweepTerms terms{"vary", "force=True"};
  GateTable gates;
  ParameterSet base;
  SweepPlan plan;
  std::vector<long> runs;
};

TEST_F(SweepApi, ThreadsGiveTheRunsMadeOneByOneInPlanOrder) {
  const SweepJob job(base, gates, plan, runs, MeasureSettings{});
  std::vector<SweepResult> results;
  ASSERT_EQ(RunSweep(job, 2, results), SweepEnd::Complete);
  ASSERT_EQ(results.size(), 8u);
  for (long r = 0; r < 8; ++r) {
    const SweepResult& got = results[static_cast<std::size_t>(r)];
    EXPECT_EQ(got.run, r);
    EXPECT_EQ(got.point, plan.Point(r));
    ParameterSet alone = base;
    alone.SetValue(param::InjectedCurrent, got.point[0]);
    alone.SetValue(param::MembraneArea, got.point[1]);
    const MeasuredRun one = MeasureTrial(alone, gates);
    EXPECT_EQ(got.measured.outcome, one.outcome) << r;
    EXPECT_EQ(got.measured.message, one.message) << r;
    EXPECT_EQ(SweepRow(got), SweepRow(r, got.point, one)) << r;
  }
  EXPECT_NE(results[1].measured.outcome, RunOutcome::Completed);  // area 0 is refused
  EXPECT_GT(results[6].measured.measures.spikes, 0);
  // A row reads back as the result it was written from.
  SweepResult back;
  ASSERT_TRUE(ParseSweepRow(SweepRow(results[6]), 2, back));
  EXPECT_EQ(SweepRow(back), SweepRow(results[6]));
}

// Makes one run per pump on the calling thread, so that when the sweep
// stops is certain.
class OneByOne : public SweepBackend {
 public:
  void Start(const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results) override {
    job_ = &job, dispenser_ = &dispenser, results_ = &results;
  }
  std::chrono::milliseconds Pump() override {
    long first = 0, n = 0;
    if (dispenser_->Next(1, first, n)) results_->Put(first, job_->ResultOfRun(job_->Run(first)));
    return std::chrono::milliseconds(0);
  }
  void Finish() override {}

 private:
  const SweepJob* job_ = nullptr;
  BlockDispenser* dispenser_ = nullptr;
  OrderedResults* results_ = nullptr;
};

TEST_F(SweepApi, StopsWhenAskedOrWhenTheConsumerFails) {
  const SweepJob job(base, gates, plan, runs, MeasureSettings{});
  std::vector<long> seen;
  long progress = 0;
  SweepHooks hooks;
  hooks.consume = [&](const SweepResult& r) { return seen.push_back(r.run), true; };
  hooks.stop = [&] { return seen.size() >= 3; };
  hooks.progress = [&](long done, long total) {
    progress = done;
    EXPECT_EQ(total, 8);
  };
  OneByOne backend;
  EXPECT_EQ(RunSweep(job, backend, hooks), SweepEnd::Stopped);
  EXPECT_EQ(seen, (std::vector<long>{0, 1, 2}));
  EXPECT_EQ(progress, 3);

  seen.clear();
  hooks.stop = {};
  hooks.consume = [&](const SweepResult& r) { return seen.push_back(r.run), seen.size() < 2; };
  OneByOne again;
  EXPECT_EQ(RunSweep(job, again, hooks), SweepEnd::ConsumerFailed);
  EXPECT_EQ(seen, (std::vector<long>{0, 1}));
}

TEST_F(SweepApi, PlansAreRefusedInTheFrontEndsTerms) {
  SweepPlan refused;
  SweepRequest request;
  request.axes = {{"gAA", -1, "0:1:2", {}}};
  PlanRefusal r = MakeSweepPlan(request, base, terms, refused);
  EXPECT_EQ(r.fault, PlanFault::NoSuchParameter);
  EXPECT_EQ(r.text, "There is no parameter called \"gAA\". Did you mean gNa or gA?");
  request.axes = {{"gA", -1, "0,500", {}}};
  r = MakeSweepPlan(request, base, terms, refused);
  EXPECT_EQ(r.fault, PlanFault::OutOfRange);
  EXPECT_EQ(r.caption, "Bad Parameter");
  EXPECT_EQ(r.text, "The value for gA  is out of range. It must be between 0 and 200!");
  request.axes = {{"gA", -1, "a:b", {}}};
  EXPECT_EQ(MakeSweepPlan(request, base, terms, refused).text,
            "vary gA: expected FROM:TO:COUNT or a list V1,V2,...: a:b");
  request.axes = {{"gA", -1, "0:1:2", {}}, {"", param::gA, "", {1}}};
  EXPECT_EQ(MakeSweepPlan(request, base, terms, refused).text, "vary names gA twice");
  request.axes = {{"gA", -1, "0:1:1000", {}}, {"gK", -1, "0:1:1000", {}}};
  EXPECT_EQ(MakeSweepPlan(request, base, terms, refused).text,
            "The sweep has 1000000 runs, more than 100000. Add force=True to run it all the same.");
  request.force = true;
  EXPECT_FALSE(MakeSweepPlan(request, base, terms, refused));
  EXPECT_EQ(refused.Runs(), 1000000);
}

}  // namespace
}  // namespace vantor
