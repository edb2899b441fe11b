#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "vantor/engine/run_sample.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/layout.h"
#include "vantor/render/live.h"
#include "vantor/render/palette.h"
#include "render/recording_device.h"
#include "test_paths.h"
#include "vantor/render/replay.h"

namespace vantor {
namespace {

using testing::DrawnLine;
using testing::RecordingDevice;

// Sample i of a made-up run: t = i, slot s holds 100 * run + s + 25 * i.
RunSample MadeUpSample(int run, int i) {
  RunSample s{};
  s[0] = static_cast<float>(i);
  for (int slot = 1; slot < kSampleSlots; ++slot) s[slot] = 100.0f * run + slot + 25.0f * i;
  return s;
}

std::string WriteRecord(const std::string& name, int run, int samples, int extraBytes = 0) {
  const std::string path = testing::TestScratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::vector<unsigned char> bytes;
  for (int i = 0; i < samples; ++i) {
    const RunSample s = MadeUpSample(run, i);
    for (float v : s) {
      uint32_t bits;
      std::memcpy(&bits, &v, 4);
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(bits >> (8 * b)));
    }
  }
  const RunSample next = MadeUpSample(run, samples);
  for (int b = 0; b < extraBytes; ++b) {
    uint32_t bits;
    std::memcpy(&bits, &next[b / 4], 4);
    bytes.push_back(static_cast<unsigned char>(bits >> (8 * (b % 4))));
  }
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

class Replay : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetDevice(&device);
    target.surface = {1000, 1000, 1, 0, -1, 1000};  // plot units are device units, y up
  }
  // The points of trace d as the device received them, in plot units.
  std::vector<std::pair<int, int>> Trace(int d, const std::string& path) {
    device.Clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    DrawTraceFromRecord(target, d, f);
    if (f) std::fclose(f);
    std::vector<std::pair<int, int>> points;
    for (const auto& line : device.lines)
      for (auto [x, y] : line.points) points.push_back({x, 1000 - y});
    return points;
  }
  RecordingDevice device{1000, 1000};
  OutputTarget target;
};

TEST_F(Replay, EachTraceReadsItsOwnSlot) {
  const std::string path = WriteRecord("three.tmp", 0, 3);
  // Trace 1 is V (slot 1); trace d > 1 is slot d - 1.
  EXPECT_EQ(Trace(1, path), (std::vector<std::pair<int, int>>{{0, 1}, {1, 26}, {2, 51}}));
  EXPECT_EQ(device.Count(testing::DeviceCall::Pen), 1);  // one pen for the whole polyline
  EXPECT_EQ(device.Count(testing::DeviceCall::Move), 1);
  EXPECT_EQ(device.Count(testing::DeviceCall::Line), 2);
  EXPECT_EQ(Trace(3, path), (std::vector<std::pair<int, int>>{{0, 2}, {1, 27}, {2, 52}}));
  EXPECT_EQ(Trace(21, path), (std::vector<std::pair<int, int>>{{0, 20}, {1, 45}, {2, 70}}));
}

TEST_F(Replay, OneSampleDrawsAMoveOnly) {
  const std::string path = WriteRecord("one.tmp", 0, 1);
  for (int d : {1, 5, 21}) {
    EXPECT_EQ(Trace(d, path).size(), 1u);
    EXPECT_EQ(device.Count(testing::DeviceCall::Move), 1);
    EXPECT_EQ(device.Count(testing::DeviceCall::Line), 0);
  }
}

TEST_F(Replay, RecordCutMidSampleEndsAtTheLastCompletePair) {
  // Four whole samples, then t and V of a fifth (8 bytes of 84).
  const std::string path = WriteRecord("cut.tmp", 0, 4, 8);
  EXPECT_EQ(Trace(1, path).size(), 5u);  // the fifth (t, V) pair is complete
  EXPECT_EQ(Trace(2 + 1, path).size(), 4u);
  EXPECT_EQ(Trace(21, path).size(), 4u);
  // A cut inside the first sample draws nothing.
  const std::string stub = WriteRecord("stub.tmp", 0, 0, 6);
  EXPECT_TRUE(Trace(1, stub).empty());
  EXPECT_TRUE(Trace(5, stub).empty());
  const std::string empty = WriteRecord("empty.tmp", 0, 0);
  EXPECT_TRUE(Trace(1, empty).empty());
}

TEST_F(Replay, ValuesThatAreNotNumbersBreakTheLine) {
  const std::string path = testing::TestScratchPath("nan.tmp");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < 4; ++i) {
    RunSample s = MadeUpSample(0, i);
    if (i == 2) s[1] = std::nanf("");
    std::fwrite(s.data(), 4, kSampleSlots, f);  // the test machine is little-endian
  }
  std::fclose(f);
  EXPECT_EQ(Trace(1, path).size(), 3u);
  EXPECT_EQ(device.Count(testing::DeviceCall::Move), 2);
}

TEST(InjectedCurrent, StepShapes) {
  RecordingDevice device(1000, 1000);
  OutputTarget target;
  target.SetDevice(&device);
  target.surface = {1000, 1000, 1, 0, -1, 500};
  auto segments = [&](InjectionProtocol p) {
    device.Clear();
    DrawInjectedCurrent(target, p);
    std::vector<std::vector<int>> out;
    for (const DrawnLine& l : device.Drawn())
      out.push_back({l.points[0].first, 500 - l.points[0].second, l.points[1].first,
                     500 - l.points[1].second});
    return out;
  };
  using Segments = std::vector<std::vector<int>>;
  // T 80, base 1, step of 2 from 10 to 60.
  EXPECT_EQ(segments({80, 1, 10, 60, 2}),
            (Segments{{0, 1, 10, 1}, {10, 1, 10, 3}, {10, 3, 60, 3}, {60, 3, 60, 1}, {60, 1, 80, 1}}));
  // Onset at or after the end: one flat line at the base current.
  EXPECT_EQ(segments({80, 1, 80, 90, 2}), (Segments{{0, 1, 80, 1}}));
  EXPECT_EQ(segments({80, 1, 100, 120, 2}), (Segments{{0, 1, 80, 1}}));
  // Offset at or after the end: the step stays up until T.
  EXPECT_EQ(segments({80, 1, 10, 80, 2}), (Segments{{0, 1, 10, 1}, {10, 1, 10, 3}, {10, 3, 80, 3}}));
  // Offset before onset: no current ever flows.
  EXPECT_EQ(segments({80, 1, 50, 20, 2}), (Segments{{0, 1, 80, 1}}));
}

TEST(ParameterListing, NamesValuesAndLineBreaks) {
  ParameterSet params;
  const auto lines = ParameterListingLines(params, false);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("Trial duration: 80, Base current: 0, Onset of step: 10, ", 0), 0u);
  std::string all;
  for (const auto& l : lines) {
    all += l;
    EXPECT_GT(l.size(), 0u);
  }
  EXPECT_NE(all.find("gK: 2, "), std::string::npos);
  EXPECT_NE(all.find("[K]o: 3.1, "), std::string::npos);
  EXPECT_NE(all.find("nM [Ca]i: 10, "), std::string::npos);  // only "mM" is dropped
  EXPECT_NE(all.find("[Cl]i: 7, "), std::string::npos);
  EXPECT_EQ(all.find("Number of IPSPs"), std::string::npos);
  // A line is broken only after an entry pushed it past 140 characters.
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    EXPECT_GT(lines[i].size(), 140u);
    const std::size_t lastEntry = lines[i].rfind(", ", lines[i].size() - 3);
    EXPECT_LE(lastEntry + 2, 140u);
  }
  const auto extended = ParameterListingLines(params, true);
  std::string every;
  for (const auto& l : extended) every += l;
  EXPECT_EQ(every.find("Plot"), std::string::npos);
  EXPECT_NE(every.find("temperature: 35, "), std::string::npos);
}

// A picture whose record files lie in the test's temporary directory.
class Runs : public ::testing::Test {
 protected:
  void SetUp() override {
    picture.target.SetDevice(&device);
    ShowVmAndINa();
  }
  void ShowVmAndINa() {
    for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 0;
    params.Trace(trace::INa).plot = 1;
  }
  // Ranges that hold the made-up values (100 per run up to about 500).
  void WidenRanges() {
    for (int r = 0; r < kTraceCount; ++r) {
      params.Trace(r).minimum = 0;
      params.Trace(r).maximum = 1000;
    }
  }
  // Colours of the polylines with more than two points (the traces).
  std::vector<uint32_t> TraceColours() const {
    std::vector<uint32_t> colours;
    for (const DrawnLine& l : device.Drawn())
      if (l.points.size() > 2) colours.push_back(l.colour);
    return colours;
  }
  RecordingDevice device{1200, 800};
  Picture picture;
  ParameterSet params;
  CollectedMessages messages;
};

TEST_F(Runs, FullRedrawDrawsEveryKeptRunInItsColourCurrentLast) {
  picture.replay.overlays = {{WriteRecord("a.tmp", 1, 5), {}}, {WriteRecord("b.tmp", 2, 5), {}}};
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  WidenRanges();
  RedrawPlot(picture, params, messages);
  // V-m and I-Na of each run, runs in order.
  EXPECT_EQ(TraceColours(), (std::vector<uint32_t>{RunColour(0), RunColour(0), RunColour(1),
                                                   RunColour(1), RunColour(2), RunColour(2)}));
  EXPECT_EQ(picture.replay.mode, kReplayOrdinary);
  EXPECT_EQ(picture.replay.runIndex, 2);
  EXPECT_EQ(device.calls.back().kind, testing::DeviceCall::Restore);
}

TEST_F(Runs, EachRunKeepsItsOwnInjectedCurrent) {
  params.Trace(trace::IInj).plot = 1;
  InjectionProtocol small{80, 0, 10, 60, 1}, large{80, 0, 10, 60, 3};
  picture.replay.overlays = {{WriteRecord("a.tmp", 1, 5), small}};
  picture.replay.current = {WriteRecord("b.tmp", 2, 5), large};
  RedrawPlot(picture, params, messages);
  // The step's rising edge of each run: from base to base + amplitude.
  std::vector<int> rises;
  for (const DrawnLine& l : device.Drawn())
    if (l.points.size() == 2 && l.points[0].first == l.points[1].first &&
        l.points[0].first == static_cast<int>(picture.target.DeviceX(10)))
      rises.push_back(l.points[0].second - l.points[1].second);
  ASSERT_EQ(rises.size(), 2u);
  EXPECT_NEAR(rises[1], 3 * rises[0], 2);
}

TEST_F(Runs, ListingOnlyOnPaper) {
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  RedrawPlot(picture, params, messages);
  EXPECT_EQ(device.FindText(ParameterListingLines(params, true)[0]), nullptr);
  device.Clear();
  picture.target.printing = true;
  RedrawPlot(picture, params, messages);
  const auto lines = ParameterListingLines(params, true);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const auto* line = device.FindText(lines[k]);
    ASSERT_NE(line, nullptr);
    EXPECT_LE(line->y, 800);  // nothing falls off the page
    EXPECT_GT(line->y, 0.91 * 800);
  }
}

TEST_F(Runs, GateNamesStackedInAWideBandSideBySideInANarrowOne) {
  for (int r = trace::G1; r <= trace::G3; ++r) params.Trace(r).plot = 1;
  params.SetValue(param::Gate1, 8.9f);  // truncated to 8: mC
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  RedrawPlot(picture, params, messages);
  ASSERT_NE(device.FindText("100%open"), nullptr);
  const auto* g1 = device.FindText("mC");
  const auto* g2 = device.FindText("hNa");
  const auto* g3 = device.FindText("mK");
  ASSERT_TRUE(g1 && g2 && g3);
  EXPECT_EQ(g1->x, g2->x);
  EXPECT_LT(g1->y, g2->y);
  EXPECT_LT(g2->y, g3->y);

  device.Clear();
  for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 1;
  params.Trace(trace::Vm).plot = 30;
  RedrawPlot(picture, params, messages);
  g1 = device.FindText("mC");
  g2 = device.FindText("hNa");
  g3 = device.FindText("mK");
  ASSERT_TRUE(g1 && g2 && g3);
  EXPECT_EQ(g1->y, g2->y);
  EXPECT_GE(g2->x, g1->x + 20);  // "mC" is 20 wide on the recorder
  // The third goes beside the second, or on a row below when the page ends.
  EXPECT_TRUE((g3->y == g2->y && g3->x >= g2->x + 30) || g3->y > g2->y);
  for (const auto* g : {g1, g2, g3}) EXPECT_LE(g->x + 10 * g->text.size(), 1200u);
  // Each name follows a short stroke in the line style of its trace.
  EXPECT_GE(device.Count(testing::DeviceCall::Style), 2);
}

TEST_F(Runs, LabelsOfNarrowBandsAreSetSmaller) {
  const int full = static_cast<int>(14 * 800 / 330.0);
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  RedrawPlot(picture, params, messages);
  ASSERT_NE(device.FindText("-20 \xB5S g-Na"), nullptr);
  EXPECT_EQ(device.FindText("-20 \xB5S g-Na")->fontHeight, full);

  device.Clear();
  for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 1;
  params.Trace(trace::Vm).plot = 30;
  RedrawPlot(picture, params, messages);
  const auto* label = device.FindText("-20 \xB5S g-Na");
  ASSERT_NE(label, nullptr);
  const double band = (0.89 * 0.7 / 18 - 0.008) * 800;
  EXPECT_LT(label->fontHeight, full);
  EXPECT_LE(label->fontHeight, band + 1);
  EXPECT_GT(label->fontHeight, band - 3);
}

TEST_F(Runs, CondFlagRelabelsTheStoredValues) {
  params.Trace(trace::INa).cond = 1;
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  RedrawPlot(picture, params, messages);
  EXPECT_NE(device.FindText("-20 \xB5S g-Na"), nullptr);
  device.Clear();
  params.Trace(trace::INa).cond = 0;
  RedrawPlot(picture, params, messages);
  EXPECT_NE(device.FindText("-20 nA I-Na"), nullptr);
}

TEST_F(Runs, HostileSettingsDrawWithoutTrouble) {
  const float nan = std::nanf(""), inf = INFINITY;
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  for (float bad : {nan, inf, -inf, 0.0f, -5.0f, 3e38f, 1e-40f}) {
    ParameterSet p;
    for (int r = 0; r < kTraceCount; ++r) {
      p.Trace(r).plot = r % 3 == 0 ? bad : 1;
      p.Trace(r).maximum = bad;
      p.Trace(r).minimum = r % 2 ? bad : -bad;
    }
    for (int k : {param::TrialDuration, param::StepOnset, param::InjectedCurrent, param::Gate1,
                  param::StartingVm})
      p.SetValue(k, bad);
    picture.target.printing = true;
    device.Clear();
    RedrawPlot(picture, p, messages);
    picture.target.printing = false;
    // The frame is still there and every point stayed within reach.
    EXPECT_NE(device.FindText("Train of action potentials"), nullptr) << bad;
    for (const DrawnLine& line : device.lines)
      for (auto [x, y] : line.points) {
        EXPECT_LE(std::abs(x), 10000000) << bad;
        EXPECT_LE(std::abs(y), 10000000) << bad;
      }
  }
}

TEST(RunRecords, OverlayKeepsAndDeleteRemovesEveryFile) {
  ReplayState replay;
  replay.current = {WriteRecord("x.tmp", 0, 1), {}};
  AddRunToOverlay(replay);
  ASSERT_EQ(replay.overlays.size(), 1u);
  replay.current = {WriteRecord("y.tmp", 0, 1), {}};
  const std::string x = replay.overlays[0].recordName, y = replay.current.recordName;
  DeleteRunRecords(replay);
  EXPECT_FALSE(std::filesystem::exists(x));
  EXPECT_FALSE(std::filesystem::exists(y));
  EXPECT_TRUE(replay.overlays.empty());
  EXPECT_TRUE(replay.current.recordName.empty());
}

TEST_F(Runs, PrintedOverlaysKeepFullSizeLabelsAfterEachListing) {
  picture.replay.overlays = {{WriteRecord("a.tmp", 1, 5), {}}};
  picture.replay.current = {WriteRecord("c.tmp", 3, 5), {}};
  picture.target.printing = true;
  RedrawPlot(picture, params, messages);
  const int full = static_cast<int>(14 * 800 / 330.0 * 0.7);
  int labels = 0;
  for (const auto& text : device.texts)
    if (text.text == "-20 \xB5S g-Na") {
      ++labels;
      EXPECT_EQ(text.fontHeight, full) << "label " << labels;
    }
  EXPECT_EQ(labels, 2);
}

}  // namespace
}  // namespace vantor
