#include <gtest/gtest.h>

#include <cmath>

#include "vantor/params/parameter_set.h"
#include "render/axis.h"
#include "vantor/render/layout.h"
#include "vantor/render/palette.h"
#include "render/recording_device.h"

namespace vantor {
namespace {

using testing::RecordingDevice;

void ShowOnly(ParameterSet& params, std::initializer_list<int> rows) {
  for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 0;
  for (int r : rows) params.Trace(r).plot = 1;
}

TEST(BandLayout, DefaultLayoutGivesVmThreeQuartersOfTheBands) {
  ParameterSet params;  // V-m 75 %, I-Inj shown
  EXPECT_DOUBLE_EQ(OtherWeights(params), 1);
  const double unit = BandUnits(params, 0.09, 0.98);
  EXPECT_NEAR(unit, (1 / 0.25001) / 0.89, 1e-12);

  OutputTarget t;
  t.bandTop = t.bandBottom = 0.98;
  AdvanceBand(t, params, trace::Vm, unit);
  EXPECT_NEAR(t.bandTop, 0.972, 1e-12);
  const double vmHeight = 3 / unit;
  EXPECT_NEAR(t.bandBottom, 0.98 - vmHeight, 1e-12);
  EXPECT_NEAR(t.bandTop - t.bandBottom, 0.6595, 1e-3);  // "about 0.66 of the page"
  EXPECT_EQ(TickLimit(t, AxisKind::Y), 7);

  AdvanceBand(t, params, trace::IInj, unit);
  EXPECT_NEAR(t.bandTop, 0.98 - vmHeight - 0.008, 1e-12);
  // V-m takes 0.75 of the combined height and I-Inj 0.25, less the gaps,
  // and together they reach down to the listing strip.
  EXPECT_NEAR(vmHeight * unit, 3, 1e-12);
  EXPECT_NEAR(t.bandBottom, 0.09, 1e-4);
}

TEST(BandLayout, ManyBandsStillReachTheListingStrip) {
  ParameterSet params;
  for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 1;
  params.Trace(trace::Vm).plot = 30;
  const double unit = BandUnits(params, 0.09, 0.98);
  OutputTarget t;
  t.bandTop = t.bandBottom = 0.98;
  double previousBottom = t.bandBottom;
  for (int row = 0; row < kTraceCount; ++row) {
    AdvanceBand(t, params, row, unit);
    EXPECT_LE(t.bandBottom, previousBottom);
    previousBottom = t.bandBottom;
  }
  EXPECT_NEAR(t.bandBottom, 0.09, 1e-4);
}

TEST(BandLayout, VmAloneFillsTheWholeArea) {
  ParameterSet params;
  ShowOnly(params, {});
  EXPECT_DOUBLE_EQ(VmShare(params), 1);
  const double unit = BandUnits(params, 0.09, 0.98);
  OutputTarget t;
  t.bandTop = t.bandBottom = 0.98;
  AdvanceBand(t, params, trace::Vm, unit);
  EXPECT_NEAR(t.bandTop, 0.972, 1e-12);
  EXPECT_NEAR(t.bandBottom, 0.09, 1e-12);
}

TEST(BandLayout, FullVmShareWithOtherTracesIsClamped) {
  ParameterSet params;
  params.Trace(trace::Vm).plot = 100;
  EXPECT_DOUBLE_EQ(VmShare(params), kMaxVmShare);
  const double unit = BandUnits(params, 0.09, 0.98);
  OutputTarget t;
  t.bandTop = t.bandBottom = 0.98;
  AdvanceBand(t, params, trace::Vm, unit);
  AdvanceBand(t, params, trace::IInj, unit);
  EXPECT_TRUE(std::isfinite(t.bandBottom));
  EXPECT_NEAR(t.bandBottom, 0.98 - 20 * 0.89 * 0.05001, 1e-9);
  EXPECT_GT(t.bandTop - t.bandBottom, 0.03);  // I-Inj keeps a visible band
}

TEST(BandLayout, GateTracesShareTheBandBeforeThem) {
  ParameterSet params;
  ShowOnly(params, {trace::INa, trace::G2});
  const double unit = BandUnits(params, 0.09, 0.98);
  OutputTarget t;
  t.bandTop = t.bandBottom = 0.98;
  AdvanceBand(t, params, trace::Vm, unit);
  AdvanceBand(t, params, trace::INa, unit);
  const double top = t.bandTop, bottom = t.bandBottom;
  AdvanceBand(t, params, trace::G2, unit);
  EXPECT_EQ(t.bandTop, top);
  EXPECT_EQ(t.bandBottom, bottom);
}

class ScaleBar : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetDevice(&device);
    target.surface = {1200, 800, 10, 0, -10, 400};  // 10 units per ms and per nA
  }
  RecordingDevice device;
  OutputTarget target;
};

TEST_F(ScaleBar, PositiveArrowWithValueAndName) {
  DrawScaleBar(target, 80, 5, "nA", "I", "Inj");
  const auto drawn = device.Drawn();
  ASSERT_EQ(drawn.size(), 4u);
  const int x = static_cast<int>(target.DeviceX(80 * 1.04));
  const int half = static_cast<int>(10 * 0.007 * 80);
  EXPECT_EQ(drawn[1].points[0], std::make_pair(x, 400));
  EXPECT_EQ(drawn[1].points[1], std::make_pair(x, 350));  // up to s = 5
  // Head sides from 0.9 s to the tip.
  EXPECT_EQ(drawn[2].points[0],
            std::make_pair(static_cast<int>(target.DeviceX(80 * (1.04 - 0.007))), 355));
  EXPECT_EQ(drawn[3].points[0],
            std::make_pair(static_cast<int>(target.DeviceX(80 * (1.04 + 0.007))), 355));
  EXPECT_EQ(drawn[0].points[1].first - drawn[0].points[0].first, 2 * half + 1);
  EXPECT_EQ(drawn[2].points[1], std::make_pair(x, 350));
  const auto* label = device.FindText("5 nA I-Inj");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->x, static_cast<int>(target.DeviceX(80 * 1.06)));
  EXPECT_EQ(label->y, static_cast<int>(target.DeviceY(5 / 3.0)));
}

TEST_F(ScaleBar, NegativeArrowPointsDown) {
  DrawScaleBar(target, 80, -30, "\xE6S", "g", "Na");
  const auto drawn = device.Drawn();
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[1].points[1].second, 700);  // s = -30 is 300 units below 0
  EXPECT_EQ(drawn[2].points[0].second, 670);  // head at 0.9 s
  ASSERT_NE(device.FindText("-30 \xB5S g-Na"), nullptr);
  EXPECT_EQ(device.FindText("-30 \xB5S g-Na")->y, static_cast<int>(target.DeviceY(-20)));
}

TEST_F(ScaleBar, GateArrowInPerCentHasAVisibleHead) {
  DrawScaleBar(target, 80, 1, "O", "", "1");
  ASSERT_NE(device.FindText("100%open"), nullptr);
  const auto drawn = device.Drawn();
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[2].points[0].second, static_cast<int>(target.DeviceY(0.9)));
}

class Setup : public ::testing::Test {
 protected:
  void SetUp() override { picture.target.SetDevice(&device); }
  RecordingDevice device{1200, 800};
  Picture picture;
  ParameterSet params;
  CollectedMessages messages;
};

TEST_F(Setup, DefaultPicture) {
  PlotSetup(picture, params, "vt.plt", params.Comment(), messages);
  const OutputTarget& t = picture.target;
  EXPECT_EQ(t.surface.pageWidth, 1200);
  EXPECT_EQ(t.penWidth, 3);
  EXPECT_DOUBLE_EQ(t.fontScale, 800 / 330.0);
  EXPECT_EQ(device.calls.front().kind, testing::DeviceCall::TextColour);
  EXPECT_EQ(device.Count(testing::DeviceCall::Fill), 1);

  const auto* title = device.FindText("Train of action potentials");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 450);
  EXPECT_EQ(title->y, 2);
  EXPECT_EQ(title->flags, align::Centre | align::Top);
  EXPECT_EQ(title->colour, RunColour(0));
  EXPECT_EQ(title->fontHeight, static_cast<int>(14 * 800 / 330.0));

  ASSERT_NE(device.FindText("Potential (mV)"), nullptr);
  ASSERT_NE(device.FindText("-100"), nullptr);
  // The time bar: a tenth of the trial, 3 per cent of the page below the top.
  const auto* bar = device.FindText("8 ms");
  ASSERT_NE(bar, nullptr);
  EXPECT_NEAR(bar->y, 0.05 * 800, 1);
  EXPECT_EQ(bar->flags, align::Centre | align::Top);
  bool foundBar = false;
  for (const auto& line : device.Drawn())
    if (std::abs(line.points[0].second - 24) <= 1 && line.points[0].second == line.points[1].second) {
      foundBar = true;
      EXPECT_NEAR(line.points[1].first - line.points[0].first, 8 * 0.74 * 1200 / 80, 1);
    }
  EXPECT_TRUE(foundBar);

  // The live trace starts at (0, Starting Vm) in the run's colour.
  EXPECT_TRUE(picture.liveTrace);
  EXPECT_EQ(device.calls.back().kind, testing::DeviceCall::Move);
  EXPECT_EQ(device.calls.back().a, 12);
  EXPECT_EQ(device.calls.back().b, static_cast<int>(picture.target.DeviceY(-65)));
  EXPECT_EQ(device.penColour, RunColour(0));
  EXPECT_EQ(picture.target.AlignV(), text_align::Bottom);
}

TEST_F(Setup, EveryTraceOnKeepsEachBandLegibleAndSaysWhy) {
  RecordingDevice low{1000, 720};
  picture.target.SetDevice(&low);
  for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = 1;
  PlotSetup(picture, params, "vt.plt", params.Comment(), messages);
  const OutputTarget& t = picture.target;
  EXPECT_LT(t.vmShareCap, 0.75);
  EXPECT_GE(t.vmShareCap, kLeastVmShare);
  bool noted = false;
  for (const auto& call : low.calls)
    noted = noted || call.text.rfind("V-m has ", 0) == 0;
  EXPECT_TRUE(noted);
  // Every band below V-m is at least the legible height.
  OutputTarget bands = t;
  const double unit = BandUnits(params, kBandsBottom, kBandsTop, t.vmShareCap);
  bands.bandTop = bands.bandBottom = kBandsTop;
  for (int row = 0; row < kTraceCount; ++row) {
    AdvanceBand(bands, params, row, unit);
    if (row == trace::Vm || row == trace::G2 || row == trace::G3) continue;
    EXPECT_GE((bands.bandTop - bands.bandBottom) * 720, LeastBandHeight(t) - 1e-6) << row;
  }
  EXPECT_NEAR(bands.bandBottom, kBandsBottom, 1e-4);

  // The built-in layout keeps its own share, without a note.
  ParameterSet plain;
  RecordingDevice other{1000, 720};
  picture.target.SetDevice(&other);
  PlotSetup(picture, plain, "vt.plt", plain.Comment(), messages);
  EXPECT_EQ(picture.target.vmShareCap, 1.0);
  for (const auto& call : other.calls) EXPECT_NE(call.text.rfind("V-m has ", 0), 0u);
}

TEST_F(Setup, HiddenVmKeepsTheTimeBarButNoLiveTrace) {
  params.Trace(trace::Vm).plot = 0;
  PlotSetup(picture, params, "vt.plt", "t", messages);
  EXPECT_FALSE(picture.liveTrace);
  EXPECT_EQ(device.FindText("Potential (mV)"), nullptr);
  const auto* bar = device.FindText("8 ms");
  ASSERT_NE(bar, nullptr);
  EXPECT_NEAR(bar->y, 0.05 * 800, 1);
  EXPECT_NE(device.calls.back().kind, testing::DeviceCall::Move);
  // The other traces' bands begin below the time bar's text and still reach
  // the listing strip.
  EXPECT_DOUBLE_EQ(picture.target.bandBottom, kBandsTopWithoutVm);
  EXPECT_GT(1 - kBandsTopWithoutVm, 0.05 + 14 / 330.0);
  const double unit = BandUnits(params, kBandsBottom, BandsTop(params));
  OutputTarget t;
  t.bandTop = t.bandBottom = BandsTop(params);
  AdvanceBand(t, params, trace::IInj, unit);
  EXPECT_NEAR(t.bandBottom, 0.09, 1e-4);
}

TEST_F(Setup, PrintingScalesFontsDownAndFillsOnce) {
  picture.target.printing = true;
  picture.replay.mode = kReplayFullRedraw;
  PlotSetup(picture, params, "vt.plt", "t", messages);
  EXPECT_DOUBLE_EQ(picture.target.fontScale, 800 / 330.0 * 0.7);
  EXPECT_EQ(device.Count(testing::DeviceCall::Fill), 1);
  // The whole page, not a window-sized corner of it.
  for (const auto& call : device.calls)
    if (call.kind == testing::DeviceCall::Fill) {
      EXPECT_EQ(call.a, 0);
      EXPECT_EQ(call.b, 0);
      EXPECT_EQ(call.c, 1200);
      EXPECT_EQ(call.d, 800);
    }
}

}  // namespace
}  // namespace vantor
