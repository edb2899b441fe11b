#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vantor/params/messages.h"
#include "vantor/render/hpgl_plotter.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string kHeader =
    "IN;RO90;IP8128,0,0,10160;DI1,0;SP1;FT1;PW0.2;\r\nSC640,0,480,0;";
const std::string kJobStart = "\x1B" "E\x1B&l1O\x1B%1B\r\n";
const std::string kLaserDefaults = "SD1,21,2,1,4,14,5,0,6,0,7,4148;SS;LA2,4;";
// Pen plotters and files: labels of absolute size, so that P1 right of P2
// does not mirror them.
const std::string kPenSize = "SI0.1524,0.3810;";
const std::string kJobEnd = "\x1B%1A\x1B" "E";

class HpglPlotterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("hpgl_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "vt.plt";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Opens, writes the header, runs `draw`, closes; returns what followed
  // the header (and, for a LaserJet, preceded the job end).
  template <typename Draw>
  std::string Picture(bool laserJet, Draw draw) {
    EXPECT_TRUE(plotter_.OpenPlotter(file_.string(), laserJet, messages_));
    plotter_.WriteHeader(640, 480);
    draw();
    EXPECT_TRUE(plotter_.ClosePlotter());
    std::string all = ReadAll(file_);
    const std::string head = laserJet ? kJobStart + kHeader + kLaserDefaults : kHeader + kPenSize;
    EXPECT_EQ(all.substr(0, head.size()), head);
    all.erase(0, head.size());
    if (laserJet) {
      EXPECT_GE(all.size(), kJobEnd.size());
      EXPECT_EQ(all.substr(all.size() - kJobEnd.size()), kJobEnd);
      all.resize(all.size() - kJobEnd.size());
    }
    return all;
  }

  CollectedMessages messages_;
  HpglPlotter plotter_;
  fs::path dir_, file_;
};

TEST_F(HpglPlotterTest, HeaderOnlyFiles) {
  EXPECT_EQ(Picture(false, [] {}), "");
  EXPECT_EQ(ReadAll(file_), kHeader + kPenSize);
  EXPECT_EQ(Picture(true, [] {}), "");
  EXPECT_EQ(ReadAll(file_), kJobStart + kHeader + kLaserDefaults + kJobEnd);
  EXPECT_TRUE(messages_.entries.empty());
}

TEST_F(HpglPlotterTest, LinesAndTraceCurves) {
  std::string body = Picture(false, [&] {
    plotter_.Line(1.5, 2, 3, 4.25);
    plotter_.Line(-1, 0.004, 0.005, 1e6);
  });
  EXPECT_EQ(body, "\r\nPU1.50,2.00;PD3.00,4.25;PU;\r\nPU-1.00,0.00;PD0.01,1000000.00;PU;");

  body = Picture(false, [&] {
    plotter_.PolylineMove(10, 20);
    for (int i = 1; i <= 10; ++i) plotter_.PolylineLine(10 + i, 20);
  });
  std::string want = "\r\nPU10.00,20.00;";
  for (int i = 1; i <= 10; ++i) {
    if (i == 9) want += "\r\n";  // a line break every eight points
    want += "PD" + std::to_string(10 + i) + ".00,20.00;";
  }
  EXPECT_EQ(body, want);
}

TEST_F(HpglPlotterTest, PenPlotterLabelOffsets) {
  const std::string ten = "0123456789";
  EXPECT_EQ(Picture(false, [&] { plotter_.Text(100, 50, ten, 0, 6, 0); }),
            "DI1.000000,0.000000;PU100.000000,50.000000;CP-5.000000,-0.500000;LB0123456789\x03");
  EXPECT_EQ(Picture(false, [&] { plotter_.Text(1, 2, ten, 0, 0, 8); }),
            "DI1.000000,0.000000;PU1.000000,2.000000;CP0.000000,0.000000;LB0123456789\x03");
  EXPECT_EQ(Picture(false, [&] { plotter_.Text(1, 2, "abc", 1, 2, 6); }),
            "DI0.000000,1.000000;PU1.000000,2.000000;CP-3.000000,-0.250000;LBabc\x03");
  // A control byte cannot end the label early or reach the printer.
  EXPECT_EQ(Picture(false, [&] { plotter_.Text(0, 0, "a\x03;\x1B" "E", 0, 0, 8); }),
            "DI1.000000,0.000000;PU0.000000,0.000000;CP0.000000,0.000000;LBa ; E\x03");
}

TEST_F(HpglPlotterTest, SignsOutsideAsciiAreSpeltAsThePlotterShowsThem) {
  // Micro in code page 437 and as the formatter writes it, degree, sharp s:
  // the plotter's standard set would show other letters for them.
  EXPECT_EQ(Picture(false, [&] { plotter_.Text(0, 0, "2 \xE6M \xB5S 35\xF8 \xE1 \x9B", 0, 6, 8); }),
            "DI1.000000,0.000000;PU0.000000,0.000000;CP-9.000000,0.000000;"
            "LB2 uM uS 35deg ss ?\x03");
}

TEST_F(HpglPlotterTest, LineTypesOnlyWhenTheyChange) {
  EXPECT_EQ(Picture(false, [&] {
              plotter_.LineStyle(0);
              plotter_.LineStyle(1);
              plotter_.LineStyle(1);
              plotter_.LineStyle(2);
              plotter_.LineStyle(0);
            }),
            "LT2;LT1;LT;");
}

TEST_F(HpglPlotterTest, LaserJetLabelOrigins) {
  const int hs[] = {0, 6, 2};   // left, centre, right
  const int vs[] = {8, 6, 0};   // bottom, centre, top
  const int expected[3][3] = {{11, 12, 13}, {14, 15, 16}, {17, 18, 19}};
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) {
      const std::string body =
          Picture(true, [&] { plotter_.Text(3, 4, "0123456789", 0, hs[c], vs[r]); });
      EXPECT_EQ(body, "DI1.000000,0.000000;PU3.000000,4.000000;LO" +
                          std::to_string(expected[c][r]) + ";LB0123456789\x03")
          << "h " << hs[c] << " v " << vs[r];
    }
  }
}

TEST_F(HpglPlotterTest, PensChangeOnlyWhenTheColourDoes) {
  EXPECT_EQ(HpglPlotter::PenNumber(0x000000), 1);
  EXPECT_EQ(HpglPlotter::PenNumber(0x0000FF), 2);  // red is the low byte
  EXPECT_EQ(HpglPlotter::PenNumber(0x00FF00), 3);
  EXPECT_EQ(HpglPlotter::PenNumber(0xFF0000), 4);
  EXPECT_EQ(HpglPlotter::PenNumber(0xFFFF00), 5);  // cyan
  EXPECT_EQ(HpglPlotter::PenNumber(0xFF00FF), 6);
  EXPECT_EQ(HpglPlotter::PenNumber(0x00FFFF), 7);  // yellow
  EXPECT_EQ(HpglPlotter::PenNumber(0xFFFFFF), 8);  // white: the grey pen
  EXPECT_EQ(HpglPlotter::PenNumber(0x404040), 1);  // dark grey
  EXPECT_EQ(HpglPlotter::PenNumber(0x2F4F4F), 1);  // dark slate grey of the runs
  // Dark colours keep their hue rather than turning black.
  EXPECT_EQ(HpglPlotter::PenNumber(0x7F0000), 4);  // navy
  EXPECT_EQ(HpglPlotter::PenNumber(0x006400), 3);  // dark green
  EXPECT_EQ(HpglPlotter::PenNumber(0x007F7F), 7);  // the default calcium colour
  EXPECT_EQ(HpglPlotter::PenNumber(0xFF1493), 6);  // run colour 14
  EXPECT_EQ(Picture(false, [&] {
              plotter_.Pen(0x0000FF);
              plotter_.Pen(0x0000FF);
              plotter_.Pen(0x0000F0);  // another red, same pen
              plotter_.Pen(0x000000);
            }),
            "SP2;SP1;");
  // The header selected pen 1, so black right after it needs no command.
  EXPECT_EQ(Picture(false, [&] { plotter_.Pen(0x000000); }), "");
}

TEST_F(HpglPlotterTest, CharacterSizes) {
  EXPECT_EQ(Picture(true, [&] { plotter_.CharSize(14); }),
            "SD1,21,2,1,4,14.000000,6,0,7,4148;SS;\r\n");
  // A pen plotter scales the absolute size from the 14-point one.
  EXPECT_EQ(Picture(false, [&] { plotter_.CharSize(14); }), kPenSize);
  EXPECT_EQ(Picture(false, [&] {
              plotter_.CharSize(7);
              plotter_.CharSize(0);
              plotter_.CharSize(-3);
            }),
            "SI0.0762,0.1905;");
}

TEST_F(HpglPlotterTest, TracePointsOnTheSameSpotMakeNoStroke) {
  EXPECT_EQ(Picture(false, [&] {
              plotter_.PolylineMove(12, 392.731);
              plotter_.PolylineLine(12.001, 392.729);  // the same point as written
              plotter_.PolylineLine(34.22, 392.84);
              plotter_.PolylineLine(34.22, 392.84);
              plotter_.PolylineLine(12, 392.73);  // back again is a stroke
            }),
            "\r\nPU12.00,392.73;PD34.22,392.84;PD12.00,392.73;");
  // After a label the pen is elsewhere: the next point is drawn to.
  EXPECT_EQ(Picture(false, [&] {
              plotter_.PolylineMove(1, 1);
              plotter_.Text(5, 5, "a", 0, 0, 8);
              plotter_.PolylineLine(1, 1);
            }),
            "\r\nPU1.00,1.00;DI1.000000,0.000000;PU5.000000,5.000000;CP0.000000,0.000000;LBa\x03"
            "PD1.00,1.00;");
}

TEST_F(HpglPlotterTest, CommandsBeforeTheHeaderFollowIt) {
  ASSERT_TRUE(plotter_.OpenPlotter(file_.string(), false, messages_));
  EXPECT_FALSE(plotter_.HeaderDone());
  plotter_.Pen(0xFF0000);
  plotter_.Line(1, 2, 3, 4);
  plotter_.WriteHeader(640, 480);
  EXPECT_TRUE(plotter_.HeaderDone());
  plotter_.WriteHeader(1, 1);  // once per destination
  plotter_.Pen(0xFF0000);      // still pen 4
  plotter_.ClosePlotter();
  EXPECT_EQ(ReadAll(file_), kHeader + kPenSize + "SP4;\r\nPU1.00,2.00;PD3.00,4.00;PU;");
}

TEST_F(HpglPlotterTest, EachPictureReplacesTheFile) {
  auto draw = [&] {
    plotter_.Pen(0x0000FF);
    plotter_.Line(0, 0, 640, 480);
    plotter_.Text(320, 2, "title", 0, 6, 0);
  };
  const std::string first = Picture(false, draw);
  const std::string once = ReadAll(file_);
  const std::string second = Picture(false, draw);
  EXPECT_EQ(first, second);
  // One copy, header first; the pen is selected again in the new file.
  EXPECT_EQ(ReadAll(file_), once);
  EXPECT_NE(second.find("SP2;"), std::string::npos);
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(HpglPlotterTest, StoppedRunIsFinishedOnReopen) {
  { std::ofstream(file_, std::ios::binary) << "earlier"; }
  ASSERT_TRUE(plotter_.OpenPlotter(file_.string(), true, messages_));
  plotter_.WriteHeader(640, 480);
  plotter_.Line(1, 1, 2, 2);
  EXPECT_EQ(ReadAll(file_), "earlier");  // untouched while the new one is written
  // The run stops without ClosePlotter; the next picture opens again.
  const fs::path next = dir_ / "next.plt";
  ASSERT_TRUE(plotter_.OpenPlotter(next.string(), false, messages_));
  const std::string stopped = ReadAll(file_);
  EXPECT_EQ(stopped, kJobStart + kHeader + kLaserDefaults + "\r\nPU1.00,1.00;PD2.00,2.00;PU;" +
                         kJobEnd);
  EXPECT_TRUE(plotter_.Active());
  EXPECT_FALSE(plotter_.HeaderDone());
  plotter_.WriteHeader(640, 480);
  plotter_.ClosePlotter();
  EXPECT_EQ(ReadAll(next), kHeader + kPenSize);  // no LaserJet sequences leak across
}

TEST_F(HpglPlotterTest, UnopenableDestination) {
  EXPECT_FALSE(plotter_.OpenPlotter((dir_ / "no" / "vt.plt").string(), false, messages_));
  EXPECT_FALSE(plotter_.Active());
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].caption, "Error!");
  EXPECT_EQ(messages_.entries[0].text, "Couldn't open the plotter file!");
  plotter_.WriteHeader(1, 1);
  plotter_.Line(0, 0, 1, 1);
  EXPECT_FALSE(plotter_.ClosePlotter());
  EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(HpglPlotterTest, PrinterPortName) {
  const std::string lpt = HpglPlotter::DeviceName("LPT1");
  EXPECT_TRUE(lpt == "/dev/lp0" || lpt == "/dev/usb/lp0") << lpt;
  EXPECT_EQ(HpglPlotter::DeviceName("vt.plt"), "vt.plt");
}

}  // namespace
}  // namespace vantor
