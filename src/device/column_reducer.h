// Thins a polyline for a raster or vector painter: of the points that fall
// into one device pixel column only the entry, the lowest, the highest and
// the exit are kept (in the order they came), which draws the same pixels.
// Long runs put thousands of samples into one column, and an antialiasing
// stroker handed them all costs far more than the run did.
#pragma once

#include <QPoint>
#include <QPolygon>

namespace vantor {

class ColumnReducer {
 public:
  // Starts a new polyline at p (the previous one must have been taken).
  void Start(QPoint p);
  // Extends the polyline to p.
  void Add(QPoint p);
  // Ends the column still open; after it Points() is the whole reduced line.
  void Finish();
  bool Started() const { return started_; }
  // Points decided so far (the open column's entry included).
  QPolygon& Points() { return points_; }
  // Drops the decided points but the last, from which the line goes on: a
  // painter strokes a long line in pieces this way.
  void KeepLastPoint();
  void Clear();

 private:
  void Append(QPoint p);

  QPolygon points_;
  bool started_ = false;
  int column_ = 0;
  int count_ = 0;  // points in the open column after its entry
  QPoint low_, high_, exit_;
  int lowAt_ = 0, highAt_ = 0;  // their places in the column (0: the entry)
};

}  // namespace vantor
