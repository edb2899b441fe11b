// The frame of a chart: its box, axes with round ticks, captions, shared by
// the sweep charts and the phase plane.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vantor/render/device.h"

namespace vantor::chart {

inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kGridGrey = 0xE0E0E0;
inline constexpr uint32_t kMissingGrey = 0xC8C8C8;
inline constexpr uint32_t kLineBlue = 0xB0601F;  // 0x00BBGGRR

struct Box {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Clears the surface to white with black text and selects the charts' font,
// sized by the surface; returns that size.
int BlankChart(Device& d);
std::string Label(double v);
void Line(Device& d, int x0, int y0, int x1, int y1);
void Frame(Device& d, const Box& b);
void Text(Device& d, int x, int y, int flags, const std::string& text);
// The finite values' range, widened when it is a single value.
std::pair<double, double> Range(const std::vector<double>& values);
int Scale(double v, double lo, double hi, int a, int b);
// Axis names along the bottom and rotated up the left side; the title on top.
void Captions(Device& d, const Box& plot, int font, const std::string& x, const std::string& y,
              const std::string& title);
// Value ticks and grid lines along a continuous vertical axis.
void VerticalTicks(Device& d, const Box& plot, double lo, double hi, bool grid);
void HorizontalTicks(Device& d, const Box& plot, double lo, double hi, int font);
// Round tick steps (1, 2 or 5 times a power of ten) over lo .. hi, at most
// about `count` of them.
std::vector<double> NiceTicks(double lo, double hi, int count);

}  // namespace vantor::chart
