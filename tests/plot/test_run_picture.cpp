#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params/gate_table.h"
#include "params/parameter_set.h"
#include "plot/palette.h"
#include "plot/recording_device.h"
#include "plot/replay.h"
#include "plot/run_picture.h"

namespace vantor {
namespace {

using testing::DeviceCall;
using testing::DrawnLine;
using testing::RecordingDevice;

class RunPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    CollectedMessages gateMessages;
    ASSERT_TRUE(LoadGateTable(std::string(VANTOR_BIN_DIR) + "/vmodels.val", gates, gateMessages));
    options.recordDirectory = ::testing::TempDir();
    picture.target.SetDevice(&device);
  }
  void TearDown() override { DeleteRunRecords(picture.replay); }
  std::vector<DrawnLine> Traces() const {
    std::vector<DrawnLine> out;
    for (const DrawnLine& l : device.Drawn())
      if (l.points.size() > 2) out.push_back(l);
    return out;
  }

  RecordingDevice device{1200, 800};
  Picture picture;
  ParameterSet params;
  GateTable gates;
  CollectedMessages messages;
  RunPictureOptions options;
};

TEST_F(RunPicture, BeginDrawsVmLiveAndTheRestFromTheRecord) {
  RunFlags flags;
  const RunResult result = BeginRun(picture, params, gates, flags, messages, options);
  ASSERT_EQ(result.outcome, RunOutcome::Completed) << result.message;
  ASSERT_GT(result.samples, 10);
  EXPECT_EQ(device.Count(DeviceCall::Fill), 1);  // a cleared picture
  // One trace: V-m from (0, Starting Vm) through every sample; the end-of-run
  // replay adds the I-Inj figure but does not draw V-m again.
  const auto traces = Traces();
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(static_cast<long>(traces[0].points.size()), result.samples + 1);
  EXPECT_EQ(traces[0].colour, RunColour(0));
  EXPECT_NE(device.FindText("5 nA I-Inj"), nullptr);
  EXPECT_EQ(device.calls.back().kind, DeviceCall::Restore);
  EXPECT_TRUE(std::filesystem::exists(picture.replay.current.recordName));
  EXPECT_EQ(std::filesystem::file_size(picture.replay.current.recordName),
            static_cast<std::uintmax_t>(result.samples) * 84u);
  EXPECT_EQ(picture.replay.mode, kReplayOrdinary);
}

TEST_F(RunPicture, OverlayKeepsTheEarlierRunAndTakesTheNextColour) {
  RunFlags flags;
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  const std::string first = picture.replay.current.recordName;
  device.Clear();
  params.SetValue(param::InjectedCurrent, 3);
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_EQ(device.Count(DeviceCall::Fill), 0);  // drawn over the picture on screen
  ASSERT_EQ(picture.replay.overlays.size(), 1u);
  EXPECT_EQ(picture.replay.overlays[0].recordName, first);
  EXPECT_NE(picture.replay.current.recordName, first);
  EXPECT_EQ(picture.replay.runIndex, 1);
  // Live V-m in the colour of its place in a full redraw; the replayed step
  // figure of the new run in colour 0.
  const auto traces = Traces();
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(traces[0].colour, RunColour(1));
  bool stepInColourZero = false;
  for (const DrawnLine& l : device.Drawn())
    stepInColourZero |= l.points.size() == 2 && l.colour == RunColour(0);
  EXPECT_TRUE(stepInColourZero);

  // Begin forgets both runs and their files.
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(picture.replay.overlays.empty());
}

TEST_F(RunPicture, StoppedRunKeepsItsRecordButIsNotReplayed) {
  RunFlags flags;
  int samples = 0;
  options.pump = [&] {
    if (++samples == 5) flags.stop = true;
  };
  params.Trace(trace::INa).plot = 1;
  const RunResult result = BeginRun(picture, params, gates, flags, messages, options);
  EXPECT_EQ(result.outcome, RunOutcome::Stopped);
  EXPECT_EQ(device.FindText("5 nA I-Inj"), nullptr);  // no replay, no scale bars
  EXPECT_TRUE(std::filesystem::exists(picture.replay.current.recordName));
  EXPECT_EQ(device.calls.back().kind, DeviceCall::Restore);
}

}  // namespace
}  // namespace vantor
