#include "app/column_decimator.h"

#include <algorithm>

namespace vantor::app {
namespace {

// Points per polyline handed to the painter. A wide pen strokes a polyline
// as one outline whose rasterising grows much faster than its length, so
// long traces go out as short pieces; round caps and joins make the seams
// invisible.
constexpr int kPiece = 48;

}  // namespace

void ColumnDecimator::Pass(int x, int y) {
  inner_.LineTo(x, y);
  if (++piece_ >= kPiece) {
    inner_.MoveTo(x, y);
    piece_ = 0;
  }
}

void ColumnDecimator::Flush() {
  if (!open_) return;
  open_ = false;
  if (last_.order == 0) return;  // only the entry point, already passed on
  // The extremes in the order the line reached them, then the last point.
  Held extremes[2] = {low_, high_};
  if (extremes[1].order < extremes[0].order) std::swap(extremes[0], extremes[1]);
  int previous = entryY_;
  long passed = 0;
  for (const Held& p : extremes) {
    if (p.order == 0 || p.order == last_.order || p.order == passed) continue;
    if (p.y != previous) Pass(x_, p.y);
    previous = p.y;
    passed = p.order;
  }
  Pass(x_, last_.y);
}

void ColumnDecimator::LineTo(int x, int y) {
  if (open_ && x == x_) {
    const Held p{y, ++count_};
    if (y < low_.y) low_ = p;
    if (y > high_.y) high_ = p;
    last_ = p;
    return;
  }
  Flush();
  Pass(x, y);
  open_ = true;
  x_ = x;
  entryY_ = y;
  low_ = high_ = last_ = Held{y, 0};
  count_ = 0;
}

void ColumnDecimator::MoveTo(int x, int y) {
  Flush();
  piece_ = 0;
  inner_.MoveTo(x, y);
}

void ColumnDecimator::SelectPen(uint32_t colour, int width) {
  Flush();
  inner_.SelectPen(colour, width);
}

void ColumnDecimator::SelectFont(int cellHeight, int quarterTurns) {
  Flush();
  inner_.SelectFont(cellHeight, quarterTurns);
}

void ColumnDecimator::RestoreInitialObjects(bool pen, bool font) {
  Flush();
  inner_.RestoreInitialObjects(pen, font);
}

void ColumnDecimator::SetTextAlign(int flags) { inner_.SetTextAlign(flags); }
void ColumnDecimator::SetTextColour(uint32_t colour) { inner_.SetTextColour(colour); }
void ColumnDecimator::SetBackgroundColour(uint32_t colour) { inner_.SetBackgroundColour(colour); }

void ColumnDecimator::Text(int x, int y, std::string_view text) {
  Flush();
  inner_.Text(x, y, text);
}

TextExtent ColumnDecimator::MeasureText(std::string_view text) { return inner_.MeasureText(text); }

void ColumnDecimator::FillRect(int x, int y, int width, int height, uint32_t colour) {
  Flush();
  inner_.FillRect(x, y, width, height, colour);
}

}  // namespace vantor::app
