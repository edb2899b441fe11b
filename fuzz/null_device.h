// A surface that draws nothing: the picture's layout and replay run in full
// (every coordinate goes through the transforms) without a painter.
#pragma once

#include "vantor/render/device.h"

namespace vantor::fuzz {

class NullDevice : public Device {
 public:
  double SurfaceWidth() const override { return 1200; }
  double SurfaceHeight() const override { return 800; }
  void SelectPen(uint32_t, int) override {}
  void SelectFont(int cellHeight, int) override { cell_ = cellHeight; }
  void RestoreInitialObjects(bool, bool) override {}
  void SetTextAlign(int) override {}
  void SetTextColour(uint32_t) override {}
  void SetBackgroundColour(uint32_t) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Text(int, int, std::string_view) override {}
  TextExtent MeasureText(std::string_view text) override {
    return {static_cast<int>(text.size()) * (cell_ / 2 + 1), cell_ + 1};
  }
  void FillRect(int, int, int, int, uint32_t) override {}

 private:
  int cell_ = 12;
};

}  // namespace vantor::fuzz
