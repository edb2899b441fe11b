#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/palette.h"
#include "render/recording_device.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_picture.h"
#include "vantor/render/run_legend.h"

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
  // Fills of the whole surface (the legend stands on a small one of its own).
  int Clears() const {
    int n = 0;
    for (const DeviceCall& c : device.calls) n += c.kind == DeviceCall::Fill && c.c >= 1200 && c.d >= 800;
    return n;
  }
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
  EXPECT_EQ(Clears(), 1);  // a cleared picture
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
  EXPECT_EQ(Clears(), 0);  // drawn over the picture on screen
  ASSERT_EQ(picture.replay.overlays.size(), 1u);
  EXPECT_EQ(picture.replay.overlays[0].recordName, first);
  EXPECT_NE(picture.replay.current.recordName, first);
  EXPECT_EQ(picture.replay.runIndex, 1);
  // Every trace of the new run, live V-m and the replayed step figure alike,
  // in the colour of its place in a full redraw.
  // (The stronger step takes a spike past the V-m range, where the live
  // line is cut, so it may come in pieces.)
  const auto traces = Traces();
  ASSERT_GE(traces.size(), 1u);
  for (const DrawnLine& l : traces) EXPECT_EQ(l.colour, RunColour(1));
  int stepLines = 0;
  for (const DrawnLine& l : device.Drawn()) {
    const bool inTraces = l.points.front().first > 1200 * 0.05 && l.points.front().first < 1200 * 0.75;
    if (l.points.size() != 2 || !inTraces) continue;
    EXPECT_EQ(l.colour, RunColour(1));
    ++stepLines;
  }
  EXPECT_GE(stepLines, 3);
  // The legend names both runs in their colours, the second by what differs.
  const auto* one = device.FindText("Run 1");
  const auto* two = device.FindText("Run 2: Injected current 3");
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(one->colour, RunColour(0));
  EXPECT_EQ(two->colour, RunColour(1));
  EXPECT_GT(two->y, one->y);

  // Begin forgets both runs and their files.
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(picture.replay.overlays.empty());
}

TEST_F(RunPicture, FullRedrawKeepsTheTitleInTheFirstRunsColour) {
  RunFlags flags;
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  params.SetValue(param::gNa, 30);
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  device.Clear();
  RedrawPlot(picture, params, messages);
  const auto* title = device.FindText(params.Comment());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->colour, RunColour(0));
  const auto* third = device.FindText("Run 3: gNa 30");
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->colour, RunColour(2));
  // A picture of one run has no legend.
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  device.Clear();
  RedrawPlot(picture, params, messages);
  EXPECT_EQ(device.FindText("Run 1"), nullptr);
}

TEST_F(RunPicture, LongerOverlayRedrawsEveryRunOnItsTimeAxis) {
  RunFlags flags;
  params.SetValue(param::TrialDuration, 40);
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  device.Clear();
  params.SetValue(param::TrialDuration, 80);
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_DOUBLE_EQ(picture.timeAxis, 80);
  // The picture on screen was drawn for 40 ms, so it is cleared and both
  // runs are drawn again, the whole of each within the trace area.
  EXPECT_GE(Clears(), 1);
  std::size_t lastFill = 0;
  for (std::size_t i = 0; i < device.calls.size(); ++i)
    if (device.calls[i].kind == DeviceCall::Fill && device.calls[i].c >= 1200) lastFill = i;
  int tracePoints = 0;
  for (std::size_t i = lastFill; i < device.calls.size(); ++i)
    if (device.calls[i].kind == DeviceCall::Line && device.calls[i].a <= 0.75 * 1200 + 1)
      ++tracePoints;
  EXPECT_GT(tracePoints, 100);
  const auto traces = Traces();
  ASSERT_GE(traces.size(), 2u);
  for (const DrawnLine& l : traces)
    for (const auto& [x, y] : l.points) EXPECT_LE(x, 0.75 * 1200 + 1);
  // An overlay of the same length draws over the picture as before.
  device.Clear();
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_EQ(Clears(), 0);
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

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

class RunOutputs : public RunPicture {
 protected:
  void SetUp() override {
    RunPicture::SetUp();
    dir = std::filesystem::path(::testing::TempDir()) /
          ("run-outputs-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    options.metafileName = (dir / "vt.cgm").string();
    options.plotterFileName = (dir / "vt.plt").string();
  }
  void TearDown() override {
    RunPicture::TearDown();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
};

const std::string kMetafileEnd("\x00\xA0\x00\x40", 4);  // END PICTURE, END METAFILE

TEST_F(RunOutputs, CgmSwitchWritesTheRunsMetafile) {
  picture.preferences.values[Preferences::CgmSwitch] = 1;
  RunFlags flags;
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  const std::string cgm = Slurp(dir / "vt.cgm");
  ASSERT_GT(cgm.size(), 392u);
  EXPECT_EQ(cgm.substr(0, 10), std::string("\x00\x28\x06vt.cgm\x00\x10", 10));
  EXPECT_EQ(cgm.substr(cgm.size() - 4), kMetafileEnd);
  EXPECT_NE(cgm.find("Potential (mV)"), std::string::npos);  // the axis title
  EXPECT_NE(cgm.find("5 nA I-Inj"), std::string::npos);      // drawn by the replay
  EXPECT_EQ(picture.target.Cgm(), nullptr);
  // Without the switch no metafile is written.
  std::filesystem::remove(dir / "vt.cgm");
  picture.preferences.values[Preferences::CgmSwitch] = 0;
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_FALSE(std::filesystem::exists(dir / "vt.cgm"));
}

TEST_F(RunOutputs, PlotterChoiceThreeWritesThePlotterFileOnce) {
  params.SetValue(param::PlotChoice, 3);
  RunFlags flags;
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_TRUE(messages.entries.empty());
  const std::string plt = Slurp(dir / "vt.plt");
  EXPECT_EQ(Occurrences(plt, "IN;RO90;"), 1u);
  EXPECT_EQ(plt.find("IN;RO90;"), 0u);  // the header comes first
  EXPECT_NE(plt.find("LBPotential (mV)\x03"), std::string::npos);
  EXPECT_NE(plt.find("LB5 nA I-Inj\x03"), std::string::npos);
  EXPECT_EQ(picture.target.Plotter(), nullptr);
  // The next run writes the file anew: still one copy.
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  EXPECT_EQ(Occurrences(Slurp(dir / "vt.plt"), "IN;RO90;"), 1u);
}

TEST_F(RunOutputs, PlotterListsTheRunItDraws) {
  RunFlags flags;
  params.SetValue(param::InjectedCurrent, 1);
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  params.SetValue(param::InjectedCurrent, 3);
  ASSERT_EQ(OverlayRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Completed);
  // A repaint with the plotter chosen draws the first run onto the plotter.
  params.SetValue(param::PlotChoice, 3);
  HpglPlotter plotter;
  picture.target.AttachPlotter(&plotter);
  RedrawPlot(picture, params, messages, options.plotterFileName);
  picture.target.AttachPlotter(nullptr);
  const std::string plt = Slurp(dir / "vt.plt");
  EXPECT_NE(plt.find("Injected current: 1, "), std::string::npos);
  EXPECT_EQ(plt.find("Injected current: 3, "), std::string::npos);
  EXPECT_EQ(plt.find("Plot"), std::string::npos);  // the plot choice is not the run's
}

TEST_F(RunOutputs, StoppedRunFinishesItsMetafileAndPlotterFile) {
  picture.preferences.values[Preferences::CgmSwitch] = 1;
  params.SetValue(param::PlotChoice, 3);
  RunFlags flags;
  int samples = 0;
  options.pump = [&] {
    if (++samples == 5) flags.stop = true;
  };
  ASSERT_EQ(BeginRun(picture, params, gates, flags, messages, options).outcome,
            RunOutcome::Stopped);
  const std::string cgm = Slurp(dir / "vt.cgm");
  ASSERT_GT(cgm.size(), 392u);
  EXPECT_EQ(cgm.substr(cgm.size() - 4), kMetafileEnd);
  EXPECT_EQ(cgm.find("5 nA I-Inj"), std::string::npos);  // no replay after Stop
  const std::string plt = Slurp(dir / "vt.plt");
  EXPECT_EQ(plt.find("IN;RO90;"), 0u);
  EXPECT_NE(plt.find("LBPotential (mV)\x03"), std::string::npos);
  EXPECT_EQ(picture.target.Cgm(), nullptr);
  EXPECT_EQ(picture.target.Plotter(), nullptr);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A family's runs are named by their level; parameter differences still show.
TEST(RunLegend, FamilyMembersSayTheirLevel) {
  ReplayState replay;
  RecordedRun first, second, third;
  first.recordName = second.recordName = third.recordName = "r";
  first.drive = "holding -70 mV";
  second.drive = "holding -50 mV";
  third.drive = "holding -30 mV";
  ParameterSet params;
  third.parameters.assign(params.Values().begin(), params.Values().end());
  third.parameters[param::gK] = 0;
  replay.overlays = {first, second};
  replay.current = third;
  EXPECT_EQ(RunLegendText(replay, 0, params), "Run 1: holding -70 mV");
  EXPECT_EQ(RunLegendText(replay, 1, params), "Run 2: holding -50 mV");
  EXPECT_EQ(RunLegendText(replay, 2, params).rfind("Run 3: holding -30 mV, gK 0", 0), 0u)
      << RunLegendText(replay, 2, params);
  replay.overlays[1].drive.clear();
  EXPECT_EQ(RunLegendText(replay, 1, params), "Run 2: the same parameters");
}

}  // namespace
}  // namespace vantor
