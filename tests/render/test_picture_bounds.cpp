// What a picture draws stays where it belongs: traces within their bands
// (with marks where they leave), overlaid runs within the trace area, labels
// legible and clear of each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vantor/text/number_format.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/layout.h"
#include "render/recording_device.h"
#include "vantor/render/replay.h"
#include "test_paths.h"

namespace vantor {
namespace {

using testing::DrawnLine;
using testing::DrawnText;
using testing::RecordingDevice;

// A record of `samples` samples over `duration` ms; V swings between -200
// and +200 mV and every other slot between -100 and +100 times its number,
// far beyond any default range.
std::string WildRecord(const std::string& name, int samples, double duration) {
  const std::string path = testing::TestScratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < samples; ++i) {
    RunSample s{};
    s[0] = static_cast<float>(duration * (i + 1) / samples);
    const float swing = (i % 4 < 2) ? 1.0f : -1.0f;
    s[1] = 200.0f * swing;
    for (int slot = 2; slot < kSampleSlots; ++slot) s[slot] = 100.0f * slot * swing;
    std::fwrite(s.data(), 4, kSampleSlots, f);  // the test machine is little-endian
  }
  std::fclose(f);
  return path;
}

// A calm record: every slot at zero but V at -65 mV.
std::string CalmRecord(const std::string& name, int samples, double duration) {
  const std::string path = testing::TestScratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < samples; ++i) {
    RunSample s{};
    s[0] = static_cast<float>(duration * (i + 1) / samples);
    s[1] = -65.0f;
    std::fwrite(s.data(), 4, kSampleSlots, f);
  }
  std::fclose(f);
  return path;
}

struct Box {
  double left, top, right, bottom;
  std::string what;
  bool Meets(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

// Where a text's ink can go, from its reference point, alignment and the
// measured extent (the recording device measures by font size).
Box TextBox(const DrawnText& t) {
  // As the recording device measures.
  const double w = static_cast<int>(t.text.size() * 0.55 * t.fontHeight + 0.5), h = t.fontHeight;
  const int hFlags = t.flags & 6, vFlags = t.flags & 24;
  double along0 = 0;  // start along the baseline, from the reference point
  if (hFlags == 6) along0 = -w / 2;
  if (hFlags == 2) along0 = -w;
  if (t.rotation == 0) {
    const double top = vFlags == 8 ? t.y - h : t.y;
    return {t.x + along0, top, t.x + along0 + w, top + h, t.text};
  }
  // Three quarter turns: the baseline runs down the page, the text's top
  // faces right.
  const double right = vFlags == 8 ? t.x + h : t.x;
  return {right - h, t.y + along0, right, t.y + along0 + w, t.text};
}

class Bounds : public ::testing::Test {
 protected:
  void Show(int vmShare, int others) {
    params.Trace(trace::Vm).plot = static_cast<float>(vmShare);
    for (int r = 1; r < kTraceCount; ++r) params.Trace(r).plot = r <= others ? 1.0f : 0.0f;
  }
  void Draw(RecordingDevice& device) {
    device.measureByFont = true;
    picture.target.SetDevice(&device);
    RedrawPlot(picture, params, messages);
    picture.target.SetDevice(nullptr);
  }

  Picture picture;
  ParameterSet params;
  CollectedMessages messages;
};

TEST_F(Bounds, TracesBeyondTheirRangeStayInTheirBandsAndAreMarked) {
  Show(50, 3);  // V-m, I-Inj, I-cap, [Ca++]-i
  params.SetValue(param::InjectedCurrent, 20);  // a step four times the I-Inj range
  picture.replay.current = {WildRecord("wild.tmp", 200, 80), std::nullopt};
  RecordingDevice device(1200, 800);
  Draw(device);

  // The band of every trace, as the layout makes it, in device y.
  OutputTarget& t = picture.target;
  t.bandTop = t.bandBottom = BandsTop(params);
  const double unit = BandUnits(params, kBandsBottom, BandsTop(params));
  std::vector<std::pair<double, double>> bands;
  for (int row = 0; row <= 3; ++row) {
    AdvanceBand(t, params, row, unit);
    bands.push_back({(1 - t.bandTop) * 800, (1 - t.bandBottom) * 800});
  }
  const double plotRight = 0.75 * 1200;
  int marks = 0;
  for (const DrawnLine& line : device.Drawn()) {
    const auto [x0, y0] = line.points.front();
    if (x0 > plotRight + 1) continue;  // scale bars and the axis stand right of the traces
    // Every point of a line in the trace area lies within one band.
    bool within = false;
    for (const auto& [top, bottom] : bands) {
      bool all = true;
      for (const auto& [x, y] : line.points) all &= y >= top - 1 && y <= bottom + 1;
      within |= all;
    }
    EXPECT_TRUE(within) << "a line from " << x0 << "," << y0 << " leaves its band";
    // The marks: short level bars on a band edge, never the slanted
    // strokes of an arrowhead, which the scale bars use.
    if (line.points.size() == 2) {
      const auto [x1, y1] = line.points.back();
      const bool short_ = std::abs(x1 - x0) <= 12 && std::abs(y1 - y0) <= 10;
      for (const auto& [top, bottom] : bands) {
        const bool onEdge = std::abs(y1 - top) <= 1 || std::abs(y1 - bottom) <= 1;
        if (short_ && onEdge && y1 == y0 && x1 != x0) ++marks;
        EXPECT_FALSE(short_ && onEdge && y1 != y0 && x1 != x0) << "an arrowhead at " << x1 << "," << y1;
      }
    }
  }
  // V-m and I-cap leave at both edges again and again, the step once.
  EXPECT_GE(marks, 8);
}

TEST_F(Bounds, OverlaysOfDifferentLengthsShareTheLongestTimeAxis) {
  Show(75, 1);
  InjectionProtocol p;
  p.onset = 10;
  p.offset = 30;
  p.amplitude = 2;
  p.trialDuration = 160;
  picture.replay.overlays.push_back({CalmRecord("long.tmp", 160, 160), p});
  p.trialDuration = 80;
  picture.replay.overlays.push_back({CalmRecord("mid.tmp", 80, 80), p});
  p.trialDuration = 40;
  picture.replay.current = {CalmRecord("short.tmp", 40, 40), p};
  params.SetValue(param::TrialDuration, 40);  // the parameters are the last run's
  RecordingDevice device(1200, 800);
  Draw(device);

  const double left = 0.01 * 1200, right = 0.75 * 1200;
  double reach = 0;
  for (const DrawnLine& line : device.Drawn()) {
    if (line.points.size() < 3) continue;  // the traces, not the bars and the step figure
    for (const auto& [x, y] : line.points) {
      EXPECT_GE(x, left - 1);
      EXPECT_LE(x, right + 1);
      reach = std::max<double>(reach, x);
    }
  }
  EXPECT_NEAR(reach, right, 2);  // the longest run spans the axis
  // The time bar is a tenth of the longest run.
  EXPECT_NE(device.FindText(FormatEngineering("ms", 16.0f, 1, nullptr)), nullptr);
}

// The picture of each layout at each size: no label below the legible size,
// and the time bar, the tick labels, the arrows' labels and the titles clear
// of each other.
TEST_F(Bounds, LabelsLegibleAndClearOfEachOther) {
  params.SetComment("A long comment as the title of a picture, which has to fit the page");
  picture.replay.current = {WildRecord("run.tmp", 50, 80), std::nullopt};
  const std::pair<int, int> sizes[] = {{600, 1200}, {1200, 800}, {8000, 8000}};
  // The built-in V-m range, and a narrow one whose tick labels are long.
  const std::pair<float, float> vmRanges[] = {{-100, 20}, {-65.4f, -64.2f}};
  for (const auto& [low, high] : vmRanges)
  for (const auto& [w, h] : sizes)
    for (int share : {30, 40, 75, 100})
      for (int shown : {1, 5, 10, 20}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " V-m " +
                     std::to_string(share) + "% with " + std::to_string(shown) + ", V-m from " +
                     std::to_string(low));
        Show(share, shown);
        params.Trace(trace::Vm).minimum = low;
        params.Trace(trace::Vm).maximum = high;
        RecordingDevice device(w, h);
        Draw(device);
        const double smallest = picture.target.MinimumLabelHeight();
        std::vector<Box> boxes;
        for (const DrawnText& t : device.texts) {
          if (t.text.empty()) continue;
          EXPECT_GE(t.fontHeight, smallest) << t.text;
          boxes.push_back(TextBox(t));
          const Box& b = boxes.back();
          EXPECT_GE(b.left, -1) << b.what;
          EXPECT_LE(b.right, w + 1) << b.what;
          EXPECT_GE(b.top, -1) << b.what;
          EXPECT_LE(b.bottom, h + 1) << b.what;
        }
        // The time bar: the first line right of the axis near the top.
        for (const DrawnLine& line : device.Drawn()) {
          const auto [x0, y0] = line.points.front();
          const auto [x1, y1] = line.points.back();
          if (y0 == y1 && x0 > 0.76 * w && line.points.size() == 2 && y0 < 0.1 * h) {
            boxes.push_back({double(std::min(x0, x1)), y0 - 1.0, double(std::max(x0, x1)),
                             y0 + 1.0, "time bar"});
            break;
          }
        }
        for (std::size_t i = 0; i < boxes.size(); ++i)
          for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].Meets(boxes[j])) << boxes[i].left << "," << boxes[i].top << "," << boxes[i].right << "," << boxes[i].bottom << " / " << boxes[j].left << "," << boxes[j].top << "," << boxes[j].right << "," << boxes[j].bottom
                << "\"" << boxes[i].what << "\" meets \"" << boxes[j].what << "\"";
      }
}

}  // namespace
}  // namespace vantor
