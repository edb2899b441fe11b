#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <map>
#include <vector>

#include "device/column_reducer.h"
#include "device/gui_app.h"
#include "device/painter_device.h"

namespace vantor {
namespace {

// A long run squeezed into a picture: many points per pixel column, swinging
// up and down inside each.
std::vector<QPoint> DenseTrace(int columns, int perColumn) {
  std::vector<QPoint> points;
  unsigned seed = 12345;
  for (int x = 0; x < columns; ++x)
    for (int k = 0; k < perColumn; ++k) {
      seed = seed * 1103515245u + 12345u;
      points.emplace_back(10 + x, 20 + static_cast<int>((seed >> 16) % 160));
    }
  return points;
}

TEST(ColumnReducer, KeepsEntryLowestHighestAndExitOfEveryColumn) {
  const std::vector<QPoint> in = DenseTrace(50, 40);
  ColumnReducer reducer;
  reducer.Start(in.front());
  for (std::size_t i = 1; i < in.size(); ++i) reducer.Add(in[i]);
  reducer.Finish();
  const QPolygon& out = reducer.Points();

  std::map<int, std::vector<QPoint>> byColumnIn, byColumnOut;
  for (const QPoint& p : in) byColumnIn[p.x()].push_back(p);
  for (const QPoint& p : out) byColumnOut[p.x()].push_back(p);
  ASSERT_EQ(byColumnOut.size(), byColumnIn.size());
  for (const auto& [x, points] : byColumnIn) {
    const std::vector<QPoint>& kept = byColumnOut[x];
    EXPECT_LE(kept.size(), 4u) << x;
    EXPECT_EQ(kept.front(), points.front()) << x;
    EXPECT_EQ(kept.back(), points.back()) << x;
    auto lowest = [](const std::vector<QPoint>& v) {
      return std::min_element(v.begin(), v.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); })->y();
    };
    auto highest = [](const std::vector<QPoint>& v) {
      return std::max_element(v.begin(), v.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); })->y();
    };
    EXPECT_EQ(lowest(kept), lowest(points)) << x;
    EXPECT_EQ(highest(kept), highest(points)) << x;
  }
  // Columns are visited in order and points within one keep their order.
  for (int i = 1; i < out.size(); ++i) EXPECT_GE(out[i].x(), out[i - 1].x());
}

TEST(ColumnReducer, SparseLinesPassUnchanged) {
  const std::vector<QPoint> in = {{0, 0}, {3, 7}, {3, 2}, {9, 9}, {12, 1}};
  ColumnReducer reducer;
  reducer.Start(in.front());
  for (std::size_t i = 1; i < in.size(); ++i) reducer.Add(in[i]);
  reducer.Finish();
  EXPECT_EQ(reducer.Points(), QPolygon(QList<QPoint>(in.begin(), in.end())));
  // Going on from the last point after a piece was stroked.
  reducer.KeepLastPoint();
  EXPECT_EQ(reducer.Points(), QPolygon(QList<QPoint>{{12, 1}}));
}

// The thinned line, stroked in pieces, paints what the whole line does but
// for a few antialiased pixels.
TEST(ColumnReducer, ThinnedLinePaintsTheSamePixels) {
  testing::EnsureGuiApp();
  const std::vector<QPoint> in = DenseTrace(180, 60);
  auto paint = [&](bool throughDevice) {
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (throughDevice) {
      PainterDevice device(painter, 200, 200);
      device.SelectPen(0x000000, 2);
      device.MoveTo(in.front().x(), in.front().y());
      for (std::size_t i = 1; i < in.size(); ++i) device.LineTo(in[i].x(), in[i].y());
      device.Flush();
    } else {
      painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawPolyline(QPolygon(QList<QPoint>(in.begin(), in.end())));
    }
    painter.end();
    return image;
  };
  const QImage whole = paint(false), thinned = paint(true);
  int differ = 0, inked = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      inked += whole.pixel(x, y) != qRgb(255, 255, 255);
      differ += std::abs(qGray(whole.pixel(x, y)) - qGray(thinned.pixel(x, y))) > 64;
    }
  EXPECT_GT(inked, 10000);
  EXPECT_LE(differ, inked / 100);
}

}  // namespace
}  // namespace vantor
