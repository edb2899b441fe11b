// A Device that remembers every call, for checking what the drawing layer
// asks of a surface. Text measures 10 units per character and 20 high, or,
// with measureByFont, in proportion to the selected font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vantor/render/device.h"

namespace vantor::testing {

struct DeviceCall {
  enum Kind { Pen, Style, Font, Restore, Align, TextColour, Background, Move, Line, Text, Fill };
  Kind kind;
  int a = 0, b = 0, c = 0, d = 0;
  uint32_t colour = 0;
  std::string text;
};

// A polyline as the device drew it: the pen in force and the points.
struct DrawnLine {
  uint32_t colour = 0;
  int width = 0;
  std::vector<std::pair<int, int>> points;
};

struct DrawnText {
  int x = 0, y = 0;
  std::string text;
  int flags = 0;
  uint32_t colour = 0;
  int fontHeight = 0;
  int rotation = 0;
};

class RecordingDevice : public Device {
 public:
  RecordingDevice(double width = 1200, double height = 800) : width_(width), height_(height) {}

  double SurfaceWidth() const override { return width_; }
  double SurfaceHeight() const override { return height_; }
  void SelectPen(uint32_t colour, int width) override {
    penColour = colour;
    penWidth = width;
    calls.push_back({DeviceCall::Pen, width, 0, 0, 0, colour, {}});
  }
  void SetPenStyle(int style) override {
    penStyle = style;
    calls.push_back({DeviceCall::Style, style, 0, 0, 0, penColour, {}});
  }
  void SelectFont(int cellHeight, int quarterTurns) override {
    fontHeight = cellHeight;
    rotation = quarterTurns;
    calls.push_back({DeviceCall::Font, cellHeight, quarterTurns, 0, 0, 0, {}});
  }
  void RestoreInitialObjects(bool pen, bool font) override {
    calls.push_back({DeviceCall::Restore, pen, font, 0, 0, 0, {}});
  }
  void SetTextAlign(int f) override {
    flags = f;
    calls.push_back({DeviceCall::Align, f, 0, 0, 0, 0, {}});
  }
  void SetTextColour(uint32_t c) override {
    textColour = c;
    calls.push_back({DeviceCall::TextColour, 0, 0, 0, 0, c, {}});
  }
  void SetBackgroundColour(uint32_t c) override {
    calls.push_back({DeviceCall::Background, 0, 0, 0, 0, c, {}});
  }
  void MoveTo(int x, int y) override {
    calls.push_back({DeviceCall::Move, x, y, 0, 0, penColour, {}});
    lines.push_back({penColour, penWidth, {{x, y}}});
  }
  void LineTo(int x, int y) override {
    calls.push_back({DeviceCall::Line, x, y, 0, 0, penColour, {}});
    if (lines.empty()) lines.push_back({penColour, penWidth, {{0, 0}}});
    lines.back().points.push_back({x, y});
  }
  void Text(int x, int y, std::string_view text) override {
    calls.push_back({DeviceCall::Text, x, y, 0, 0, textColour, std::string(text)});
    texts.push_back({x, y, std::string(text), flags, textColour, fontHeight, rotation});
  }
  TextExtent MeasureText(std::string_view text) override {
    ++measures;
    if (measureByFont) {
      // About what a sans face gives: a cell as asked, an average advance of
      // 0.55 of it.
      const int h = fontHeight > 0 ? fontHeight : 1;
      return {static_cast<int>(text.size() * 0.55 * h + 0.5), h};
    }
    return {static_cast<int>(text.size()) * 10, 20};
  }
  void FillRect(int x, int y, int w, int h, uint32_t colour) override {
    calls.push_back({DeviceCall::Fill, x, y, w, h, colour, {}});
  }

  int Count(DeviceCall::Kind kind) const {
    int n = 0;
    for (const DeviceCall& call : calls) n += call.kind == kind;
    return n;
  }
  const DrawnText* FindText(std::string_view text) const {
    for (const DrawnText& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
  // Polylines of more than one point (segments included).
  std::vector<DrawnLine> Drawn() const {
    std::vector<DrawnLine> out;
    for (const DrawnLine& l : lines)
      if (l.points.size() > 1) out.push_back(l);
    return out;
  }
  void Clear() {
    calls.clear();
    lines.clear();
    texts.clear();
  }

  std::vector<DeviceCall> calls;
  std::vector<DrawnLine> lines;
  std::vector<DrawnText> texts;
  uint32_t penColour = 0, textColour = 0;
  int penStyle = 0;
  int penWidth = 1, fontHeight = 0, rotation = 0, flags = 0, measures = 0;
  // Measure texts by the selected font instead of a fixed 10 by 20 cell.
  bool measureByFont = false;

 private:
  double width_, height_;
};

}  // namespace vantor::testing
