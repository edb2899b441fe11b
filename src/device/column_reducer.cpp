#include "device/column_reducer.h"

namespace vantor {

void ColumnReducer::Start(QPoint p) {
  points_.clear();
  started_ = true;
  points_.append(p);
  column_ = p.x();
  count_ = 0;
  low_ = high_ = exit_ = p;
}

void ColumnReducer::Append(QPoint p) {
  if (points_.isEmpty() || points_.last() != p) points_.append(p);
}

void ColumnReducer::Add(QPoint p) {
  if (!started_) {
    Start(p);
    return;
  }
  if (p.x() == column_) {
    if (count_ == 0) {
      low_ = high_ = points_.last();  // the column's entry
      lowAt_ = highAt_ = 0;
    }
    ++count_;
    if (p.y() < low_.y()) {
      low_ = p;
      lowAt_ = count_;
    }
    if (p.y() > high_.y()) {
      high_ = p;
      highAt_ = count_;
    }
    exit_ = p;
    return;
  }
  Finish();
  Append(p);
  column_ = p.x();
  count_ = 0;
}

void ColumnReducer::Finish() {
  if (count_ > 0) {
    const bool lowFirst = lowAt_ <= highAt_;
    Append(lowFirst ? low_ : high_);
    Append(lowFirst ? high_ : low_);
    Append(exit_);
  }
  count_ = 0;
}

void ColumnReducer::KeepLastPoint() {
  if (points_.size() > 1) points_.remove(0, points_.size() - 1);
}

void ColumnReducer::Clear() {
  points_.clear();
  started_ = false;
  count_ = 0;
}

}  // namespace vantor
