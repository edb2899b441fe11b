#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vantor/render/cgm_writer.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/output_target.h"
#include "render/recording_device.h"
#include "test_paths.h"

namespace vantor {
namespace {

using testing::DeviceCall;
using testing::RecordingDevice;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TempPath(const std::string& name) {
  return testing::TestScratchPath(name);
}

class Layer : public ::testing::Test {
 protected:
  void SetUp() override {
    target.SetDevice(&device);
    target.surface = {4000, 4000, 2, 10, -2, 3000};
    target.penWidth = 3;
    target.fontScale = 2;
  }
  RecordingDevice device{4000, 4000};
  OutputTarget target;
};

TEST_F(Layer, PlotPointsMapThroughTheTransformAndTruncate) {
  target.MoveToPlot(1.9, 2.6);
  target.LineToPlot(-5.9, 1.2);
  ASSERT_EQ(device.lines.size(), 1u);
  EXPECT_EQ(device.lines[0].points[0], std::make_pair(13, 2994));  // 13.8 and 2994.8
  EXPECT_EQ(device.lines[0].points[1], std::make_pair(-1, 2997));  // -1.8 toward zero
  EXPECT_EQ(device.lines[0].width, 3);
}

TEST_F(Layer, OnePenPerAttributeChange) {
  target.SetColour(0x123456);
  target.MoveToPlot(0, 0);
  for (int i = 1; i < 1000; ++i) target.LineToPlot(i, i);
  target.MoveToPlot(0, 0);
  target.LineDevice(0, 0, 5, 5);
  EXPECT_EQ(device.Count(DeviceCall::Pen), 1);
  target.SetColour(0x123456);  // same colour: still a new pen, the flag is set
  target.LineDevice(0, 0, 5, 5);
  EXPECT_EQ(device.Count(DeviceCall::Pen), 2);
}

TEST_F(Layer, LineToAfterAColourChangeKeepsThePreviousPen) {
  target.SetColour(0x0000FF);
  target.MoveToPlot(0, 0);
  target.SetColour(0x00FF00);
  target.LineToPlot(1, 1);
  EXPECT_EQ(device.lines.back().colour, 0x0000FFu);
  EXPECT_EQ(device.textColour, 0x00FF00u);  // text takes the new colour at once
  target.MoveToPlot(1, 1);
  EXPECT_EQ(device.penColour, 0x00FF00u);
}

TEST_F(Layer, FontMadeOnlyWhenSomethingChanged) {
  target.SetTextStyle(0, 0);
  target.SetTextAlignment(text_align::Left, text_align::Bottom);
  target.TextDevice(100, 100, "a");
  target.TextDevice(100, 200, "b");
  EXPECT_EQ(device.Count(DeviceCall::Font), 1);
  EXPECT_EQ(device.fontHeight, 28);  // 14 points at 2 units per point
  // Another alignment makes the font anew at the next text.
  target.SetTextAlignment(text_align::Right, text_align::Bottom);
  target.TextDevice(100, 300, "c");
  EXPECT_EQ(device.Count(DeviceCall::Font), 2);
  target.SetTextStyle(1, 1);  // 28 points, a quarter turn
  target.TextDevice(100, 300, "d");
  EXPECT_EQ(device.Count(DeviceCall::Font), 3);
  EXPECT_EQ(device.fontHeight, 56);
  EXPECT_EQ(device.rotation, 1);
  target.SetCharSize(7.9);
  target.TextDevice(100, 300, "e");
  EXPECT_EQ(device.fontHeight, 14);
}

TEST_F(Layer, VerticalCentringByMeasurement) {
  target.SetTextStyle(0, 0);
  target.SetTextAlignment(text_align::Centre, text_align::Middle);
  target.TextDevice(100.7, 200.9, "abc");
  ASSERT_EQ(device.texts.size(), 1u);
  EXPECT_EQ(device.texts[0].flags, align::Centre);  // no vertical flag: the layer centres
  EXPECT_EQ(device.texts[0].x, 100);
  EXPECT_EQ(device.texts[0].y, 190);  // 200.9 - 10, truncated

  target.SetTextStyle(3, 0);
  target.SetTextAlignment(text_align::Left, text_align::Middle);
  target.TextDevice(100, 200, "abc");
  EXPECT_EQ(device.texts[1].flags, 6);  // rotated: centred along the baseline
  EXPECT_EQ(device.texts[1].y, 190);    // and the half height still comes off
  EXPECT_EQ(device.texts[1].rotation, 3);

  const int before = device.measures;
  target.SetTextAlignment(text_align::Left, text_align::Top);
  target.TextDevice(100, 200, "abc");
  EXPECT_EQ(device.measures, before);
  EXPECT_EQ(device.texts[2].y, 200);
}

TEST_F(Layer, ReleaseGivesTheDeviceItsObjectsBack) {
  target.SetColour(1);
  target.MoveToPlot(0, 0);
  target.TextDevice(0, 0, "x");
  target.ReleaseDrawingObjects();
  ASSERT_EQ(device.calls.back().kind, DeviceCall::Restore);
  EXPECT_EQ(device.calls.back().a, 1);
  EXPECT_EQ(device.calls.back().b, 1);
  // The next picture makes its own pen and font again, with the same attributes.
  target.MoveToPlot(0, 0);
  target.TextDevice(0, 0, "y");
  EXPECT_EQ(device.Count(DeviceCall::Pen), 2);
  EXPECT_EQ(device.Count(DeviceCall::Font), 2);
  EXPECT_EQ(device.penColour, 1u);
  // Nothing of ours selected: nothing to restore.
  target.ReleaseDrawingObjects();
  target.ReleaseDrawingObjects();
  EXPECT_EQ(device.Count(DeviceCall::Restore), 2);
}

TEST_F(Layer, MetafileMirrorsLinesTextsAndAttributes) {
  const std::string path = TempPath("mirror.cgm");
  CgmWriter cgm(target.surface);
  ASSERT_TRUE(cgm.CgmOpen(path));
  target.AttachCgm(&cgm);
  target.labelColour = 0x030201;
  target.SetColour(0x332211);                  // LINE COLOUR 11 22 33
  target.LineDevice(0, 4000, 4000, 0);         // corners: VDC (100,100) and (10300,7700)
  target.SetTextAlignment(text_align::Centre, text_align::Top);
  target.TextDevice(0, 4000, "10");
  ASSERT_TRUE(cgm.CgmClose());
  const std::string bytes = Slurp(path);
  auto has = [&](std::initializer_list<int> seq) {
    std::string s;
    for (int b : seq) s += static_cast<char>(b);
    return bytes.find(s) != std::string::npos;
  };
  EXPECT_TRUE(has({0x50, 0x86, 0x00, 0x11, 0x00, 0x22, 0x00, 0x33}));
  EXPECT_TRUE(has({0x40, 0x28, 0x00, 0x64, 0x00, 0x64, 0x28, 0x3C, 0x1E, 0x14}));
  EXPECT_TRUE(has({0x52, 0x4C, 0x00, 0x02, 0x00, 0x01}));                 // centre, top
  EXPECT_TRUE(has({0x51, 0xC6, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03}));     // label colour
  EXPECT_TRUE(has({0x40, 0x8A, 0x00, 0x64, 0x00, 0x64, 0x00, 0x01, 0x02, '1', '0', 0x00}));
}

TEST_F(Layer, MetafileGetsTracePointsUnmapped) {
  const std::string path = TempPath("trace.cgm");
  CgmWriter cgm(target.surface);
  ASSERT_TRUE(cgm.CgmOpen(path));
  target.AttachCgm(&cgm);
  target.surface = {4000, 4000, 1, 0, 1, 0};
  target.MoveToPlot(2000, 2000);
  target.LineToPlot(4000, 0);
  ASSERT_TRUE(cgm.CgmClose());
  const std::string bytes = Slurp(path);
  const std::string expected = std::string("\x40\x3F\x00\x08\x14\x50\x0F\x3C\x28\x3C\x1E\x14", 12);
  EXPECT_NE(bytes.find(expected), std::string::npos);
}

TEST_F(Layer, PlotterGetsLinesLabelsPensAndTraces) {
  const std::string path = TempPath("mirror.plt");
  CollectedMessages messages;
  HpglPlotter plotter;
  ASSERT_TRUE(plotter.OpenPlotter(path, false, messages));
  target.AttachPlotter(&plotter);
  plotter.WriteHeader(4000, 4000);
  target.SetColour(0x0000FF);
  target.SetColour(0x0000FF);
  target.LineDevice(1, 2, 3, 4);
  target.SetTextAlignment(text_align::Centre, text_align::Top);
  target.TextDevice(10, 20, "0123456789");
  target.MoveToPlot(0, 0);
  target.LineToPlot(5, 5);
  ASSERT_TRUE(plotter.ClosePlotter());
  const std::string text = Slurp(path);
  EXPECT_NE(text.find("PU1.00,2.00;PD3.00,4.00;PU;"), std::string::npos);
  EXPECT_NE(text.find("CP-5.000000,-0.500000;"), std::string::npos);
  EXPECT_NE(text.find("LB0123456789\x03"), std::string::npos);
  // One pen command for two changes to the same colour.
  const std::string pen = "SP" + std::to_string(HpglPlotter::PenNumber(0x0000FF)) + ";";
  std::size_t count = 0;
  for (std::size_t p = text.find(pen); p != std::string::npos; p = text.find(pen, p + 1)) ++count;
  EXPECT_EQ(count, 1u);
  EXPECT_FALSE(plotter.Active());
}

TEST_F(Layer, CentredLabelsReachTheMirrorsAtTheirOwnPoint) {
  // The screen shifts a centred label up by half its measured height; the
  // plotter and the metafile centre it themselves and must not get that shift.
  const std::string plt = TempPath("centred.plt");
  const std::string cgmPath = TempPath("centred.cgm");
  CollectedMessages messages;
  HpglPlotter plotter;
  ASSERT_TRUE(plotter.OpenPlotter(plt, false, messages));
  plotter.WriteHeader(4000, 4000);
  CgmWriter cgm(target.surface);
  ASSERT_TRUE(cgm.CgmOpen(cgmPath));
  target.AttachPlotter(&plotter);
  target.AttachCgm(&cgm);
  target.SetTextStyle(0, 0);
  target.SetTextAlignment(text_align::Left, text_align::Middle);
  target.TextDevice(400, 2000, "-40");
  ASSERT_TRUE(plotter.ClosePlotter());
  ASSERT_TRUE(cgm.CgmClose());
  ASSERT_EQ(device.texts.size(), 1u);
  EXPECT_EQ(device.texts[0].y, 1990);
  EXPECT_NE(Slurp(plt).find("PU400.000000,2000.000000;"), std::string::npos);
  // VDC y of device y 2000 on a 4000 high surface: 2000 * 7600 / 4000 + 100 = 3900 (0x0F3C).
  const std::string bytes = Slurp(cgmPath);
  const std::string text = std::string("\x0F\x3C\x00\x01\x03-40", 8);
  EXPECT_NE(bytes.find(text), std::string::npos);
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(LegibleSize, NinePixelLettersOnScreenSevenPointsOnPaper) {
  OutputTarget target;
  target.surface.pageWidth = 1200;
  target.surface.pageHeight = 800;
  EXPECT_NEAR(target.MinimumLabelHeight(), 9 * 1.15, 1e-9);  // cells are 1.15 letters tall
  // A printer page of 600 per inch, given or inferred from an A4 page.
  target.printing = true;
  target.surface.pageWidth = 4960;
  target.surface.pageHeight = 7016;
  const double sevenPoints = 7 * 600 / 72.0 * 1.15;
  EXPECT_NEAR(target.MinimumLabelHeight(), sevenPoints, sevenPoints * 0.02);
  target.devicePerInch = 600;
  EXPECT_NEAR(target.MinimumLabelHeight(), sevenPoints, 1e-9);
}

}  // namespace
}  // namespace vantor
