// A Device in front of the window's painter that thins polylines to what a
// screen can show: of the points that fall in one pixel column it passes on
// the first, the lowest, the highest and the last, in their order, in
// short pieces. The line covers the same pixels, but a run of 100 000
// samples across a thousand pixels no longer costs 100 000 stroked segments.
#pragma once

#include "plot/device.h"

namespace vantor::app {

class ColumnDecimator : public Device {
 public:
  explicit ColumnDecimator(Device& inner) : inner_(inner) {}

  // Passes on the points held back for the current column.
  void Flush();

  double SurfaceWidth() const override { return inner_.SurfaceWidth(); }
  double SurfaceHeight() const override { return inner_.SurfaceHeight(); }
  void SelectPen(uint32_t colour, int width) override;
  void SelectFont(int cellHeight, int quarterTurns) override;
  void RestoreInitialObjects(bool pen, bool font) override;
  void SetTextAlign(int flags) override;
  void SetTextColour(uint32_t colour) override;
  void SetBackgroundColour(uint32_t colour) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Text(int x, int y, std::string_view text) override;
  TextExtent MeasureText(std::string_view text) override;
  void FillRect(int x, int y, int width, int height, uint32_t colour) override;

 private:
  struct Held {
    int y;
    long order;
  };
  void Pass(int x, int y);

  Device& inner_;
  int piece_ = 0;      // points in the polyline the painter is collecting
  bool open_ = false;  // a column has points held back
  int x_ = 0;
  int entryY_ = 0;     // the column's first point, already passed on
  Held low_{}, high_{}, last_{};
  long count_ = 0;
};

}  // namespace vantor::app
