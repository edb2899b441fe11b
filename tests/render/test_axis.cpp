#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/axis.h"
#include "render/recording_device.h"

namespace vantor {
namespace {

using testing::RecordingDevice;

// The V-m band of the default layout.
constexpr double kVmTop = 0.972;
constexpr double kVmBottom = 0.98 - 3.0 / (1 / 0.25001 / 0.882);

TEST(ScaleAxis, DefaultMembranePotentialRange) {
  const int n = static_cast<int>((kVmTop - kVmBottom) * 12);
  EXPECT_EQ(n, 7);
  const AxisScale s = ScaleAxis(-100, 20, n, TickMode::Nice);
  EXPECT_DOUBLE_EQ(s.step, 20);
  EXPECT_DOUBLE_EQ(s.minimum, -100);
  EXPECT_DOUBLE_EQ(s.maximum, 20);
  EXPECT_EQ(s.decimals, 0);
  EXPECT_EQ(s.width, 4);
}

TEST(ScaleAxis, DegenerateRangesAreWidened) {
  AxisScale s = ScaleAxis(0, 0, 4, TickMode::Counted);
  EXPECT_DOUBLE_EQ(s.minimum, -1);
  EXPECT_DOUBLE_EQ(s.maximum, 1);
  s = ScaleAxis(5, 5, 7, TickMode::Counted);
  EXPECT_DOUBLE_EQ(s.minimum, 4.5);
  EXPECT_DOUBLE_EQ(s.maximum, 5.5);
  s = ScaleAxis(5, 5, 7, TickMode::Nice);
  EXPECT_NEAR(s.minimum, 4.5, 1e-9);
  EXPECT_NEAR(s.maximum, 5.5, 1e-9);
  // A negative value widened this way comes out ordered.
  s = ScaleAxis(-5, -5, 7, TickMode::Counted);
  EXPECT_DOUBLE_EQ(s.minimum, -5.5);
  EXPECT_DOUBLE_EQ(s.maximum, -4.5);
  s = ScaleAxis(10, 2, 4, TickMode::Counted);
  EXPECT_DOUBLE_EQ(s.minimum, 2);
  EXPECT_DOUBLE_EQ(s.maximum, 10);
}

TEST(ScaleAxis, LimitsSnapWithinATenthOfAStep) {
  AxisScale s = ScaleAxis(-101, 20, 7, TickMode::Nice);
  EXPECT_DOUBLE_EQ(s.step, 20);
  EXPECT_DOUBLE_EQ(s.minimum, -100);
  s = ScaleAxis(-103, 20, 7, TickMode::Nice);
  EXPECT_DOUBLE_EQ(s.step, 20);
  EXPECT_DOUBLE_EQ(s.minimum, -120);
}

TEST(ScaleAxis, HostileRangesEndWithAUsableScale) {
  const double nan = std::nan("");
  const std::vector<std::pair<double, double>> ranges = {
      {nan, 1}, {0, INFINITY}, {-INFINITY, INFINITY}, {-3.4e38, 3.4e38}, {1e-45, 1e-45},
      {1e-30, 2e-30}, {1e30, 1e30}};
  for (const auto& [lo, hi] : ranges) {
    for (TickMode mode : {TickMode::Nice, TickMode::Counted}) {
      const AxisScale s = ScaleAxis(lo, hi, 7, mode);
      EXPECT_TRUE(std::isfinite(s.minimum) && std::isfinite(s.maximum)) << lo << " " << hi;
      EXPECT_LT(s.minimum, s.maximum) << lo << " " << hi;
      EXPECT_GT(s.step, 0) << lo << " " << hi;
    }
  }
}

TEST(SetupAxis, ListingBandMapsLinesIntoTheBottomStrip) {
  OutputTarget target;
  target.surface.pageWidth = 1200;
  target.surface.pageHeight = 800;
  target.bandTop = 0.01;
  target.bandBottom = 0.09;
  EXPECT_EQ(TickLimit(target, AxisKind::Y), 4);
  {
    // Band edges from hostile layout weights, far outside the page.
    OutputTarget wild;
    wild.bandTop = 0;
    wild.bandBottom = 1e300;
    EXPECT_EQ(TickLimit(wild, AxisKind::Y), 4);
    wild.bandBottom = 5e9;
    EXPECT_EQ(TickLimit(wild, AxisKind::Y), 4);
  }
  const AxisScale s = SetupAxis(target, 0.015, 6.0, AxisKind::Y, TickMode::Nice, "Current (nA)");
  EXPECT_DOUBLE_EQ(s.minimum, 0);
  EXPECT_DOUBLE_EQ(s.maximum, 6);
  for (int k = 0; k <= 6; ++k)
    EXPECT_NEAR(target.DeviceY(k), 800 * (0.91 + 0.08 * k / 6), 1e-9);
}

class DrawnAxis : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetDevice(&device);
    target.surface.pageWidth = 1200;
    target.surface.pageHeight = 800;
    target.fontScale = 800 / 330.0;
    target.bandTop = kVmTop;
    target.bandBottom = kVmBottom;
    target.axisColour = 0x0000FF;
    target.labelColour = 0x00FF00;
    target.drawAxis = true;
  }
  RecordingDevice device;
  OutputTarget target;
};

TEST_F(DrawnAxis, TicksLabelsAndTitleOnTheRight) {
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  const double H = 800;
  EXPECT_NEAR(target.DeviceY(-100), H * (1 - kVmBottom), 1e-9);
  EXPECT_NEAR(target.DeviceY(20), H * (1 - kVmTop), 1e-9);

  std::vector<std::string> labels;
  for (const auto& t : device.texts)
    if (!t.text.empty() && t.text != "Potential (mV)") labels.push_back(t.text);
  EXPECT_EQ(labels, (std::vector<std::string>{"-100", "-80", "-60", "-40", "-20", "0", "20"}));

  // The axis line stands a tick length right of the traces; ticks point in.
  const int x = static_cast<int>(1200 * 0.75 + 16);
  const auto drawn = device.Drawn();
  ASSERT_EQ(drawn.size(), 1u + 7u);
  EXPECT_EQ(drawn[0].points.front(), std::make_pair(x, static_cast<int>((1 - kVmTop) * H)));
  EXPECT_EQ(drawn[0].points.back(), std::make_pair(x, static_cast<int>((1 - kVmBottom) * H)));
  for (std::size_t i = 1; i < drawn.size(); ++i) {
    EXPECT_EQ(drawn[i].points[0].first, x);
    EXPECT_EQ(drawn[i].points[1].first, static_cast<int>(x - 1200 * 0.008));
    EXPECT_EQ(drawn[i].colour, 0x00FF00u);  // the label colour is the last one set
  }
  EXPECT_EQ(drawn[0].colour, 0x0000FFu);

  // Title: rotated to run downwards, centred along its baseline, four
  // character heights out; labels horizontal, 0.6 of a character out.
  const auto* title = device.FindText("Potential (mV)");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->rotation, 3);
  EXPECT_EQ(title->flags, 6);
  EXPECT_EQ(title->x, x + 4 * 20);
  const auto* zero = device.FindText("0");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->rotation, 0);
  EXPECT_EQ(zero->flags, 0);
  EXPECT_EQ(zero->x, static_cast<int>(x + 0.6 * 20));
  // Vertically centred by measurement: half the 20-unit height above the tick.
  EXPECT_EQ(zero->y, static_cast<int>(target.DeviceY(0)) - 10);
}

TEST_F(DrawnAxis, ClipboardCopyKeepsTheLastMeasuredSizes) {
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  const int onScreen = device.measures;
  target.charHeight = 30;
  target.charWidth = 18;
  target.clipboardCopy = true;
  device.Clear();
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  EXPECT_EQ(target.charHeight, 30);
  const auto* title = device.FindText("Potential (mV)");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, static_cast<int>(1200 * 0.75 + 16) + 4 * 30);
  // Text is still centred by measurement; only the two "A" measurements go.
  EXPECT_EQ(device.measures - onScreen, onScreen - 2);
}

TEST_F(DrawnAxis, ShortBandKeepsTheTitleClearOfTheTimeBar) {
  // The recorder measures 10 units a character, 20 high: the title is 140 long.
  target.bandBottom = 0.7;  // band from 22.4 to 240 on the page
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  const auto* title = device.FindText("Potential (mV)");
  ASSERT_NE(title, nullptr);
  const double barTextEnd = 0.05 * 800 + 20;
  EXPECT_EQ(title->y, static_cast<int>((barTextEnd + 240) / 2 + 10) - 10);
  EXPECT_GE(title->y - 70, barTextEnd);
  EXPECT_EQ(title->fontHeight, static_cast<int>(14 * target.fontScale));

  device.Clear();
  target.bandBottom = 0.85;  // only 60 units below the bar's text
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  title = device.FindText("Potential (mV)");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->fontHeight, static_cast<int>(10 * target.fontScale));  // not below 10 points
  // The tick labels keep their size.
  EXPECT_EQ(device.FindText("0")->fontHeight, static_cast<int>(14 * target.fontScale));

  device.Clear();
  target.bandBottom = kVmBottom;  // the default band: the title stays centred
  SetupAxis(target, -100, 20, AxisKind::Y, TickMode::Nice, "Potential (mV)");
  title = device.FindText("Potential (mV)");
  EXPECT_EQ(title->y, static_cast<int>(target.DeviceY(-40)) - 10);
}

TEST_F(DrawnAxis, LastTickSurvivesAccumulatedRounding) {
  SetupAxis(target, 0, 0.7, AxisKind::Y, TickMode::Nice, "");
  std::vector<std::string> labels;
  for (const auto& t : device.texts)
    if (!t.text.empty()) labels.push_back(t.text);
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels.front(), "0.0");
  EXPECT_EQ(labels.back(), "0.7");
}

}  // namespace
}  // namespace vantor
