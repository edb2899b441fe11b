// The drawing surface as the drawing layer sees it: a small device-context
// style interface (current pen, current font, text alignment flags, a current
// position for polylines). The Qt devices implement it for images, SVG, PDF,
// printers and the window; tests implement it with a recorder.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantor {

// Colours are 0x00BBGGRR: red in the low byte.
inline constexpr int RedOf(uint32_t c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GreenOf(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int BlueOf(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

// Text alignment flags as the device receives them, combined by OR:
// horizontal left 0, right 2, centre 6; vertical top 0, bottom 8.
// The reference point of a text is where these flags put it on the text's
// cell, measured along the (possibly rotated) baseline.
namespace align {
inline constexpr int Left = 0;
inline constexpr int Right = 2;
inline constexpr int Centre = 6;
inline constexpr int Top = 0;
inline constexpr int Bottom = 8;
inline constexpr int HorizontalMask = 6;
inline constexpr int VerticalMask = 24;
}  // namespace align

struct TextExtent {
  int width = 0;   // advance along the baseline, device units
  int height = 0;  // cell height (ascent + descent), device units
};

class Device {
 public:
  virtual ~Device() = default;

  // Size of the drawing surface in device units.
  virtual double SurfaceWidth() const = 0;
  virtual double SurfaceHeight() const = 0;

  // A solid pen; it stays in force until the next SelectPen or
  // RestoreInitialObjects.
  virtual void SelectPen(uint32_t colour, int width) = 0;
  // Changes the dashing of the selected pen: 0 solid, 1 dashed, 2 dotted.
  // Surfaces that cannot dash keep drawing solid lines.
  virtual void SetPenStyle(int /*style*/) {}
  // The program's one face (Arial) with a cell height in device units and a
  // rotation in quarter turns counter-clockwise.
  virtual void SelectFont(int cellHeight, int quarterTurns) = 0;
  // Puts back the pen and/or font the surface had before the layer's own.
  virtual void RestoreInitialObjects(bool pen, bool font) = 0;

  virtual void SetTextAlign(int flags) = 0;
  virtual void SetTextColour(uint32_t colour) = 0;
  virtual void SetBackgroundColour(uint32_t colour) = 0;

  virtual void MoveTo(int x, int y) = 0;
  // A line from the current position with the pen in force; the end becomes
  // the current position.
  virtual void LineTo(int x, int y) = 0;
  // Text in code page 437 bytes at a reference point, with the selected font,
  // the text colour and the alignment flags.
  virtual void Text(int x, int y, std::string_view text) = 0;
  // Extent of a text in the selected font (unrotated).
  virtual TextExtent MeasureText(std::string_view text) = 0;
  virtual void FillRect(int x, int y, int width, int height, uint32_t colour) = 0;
};

}  // namespace vantor
