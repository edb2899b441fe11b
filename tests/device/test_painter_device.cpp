#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "device/gui_app.h"
#include "device/painter_device.h"

namespace vantor {
namespace {

// Bounding box of every pixel that is not white.
QRect Ink(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
  return box;
}

class Painter : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureGuiApp();
    image = QImage(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
  }
  // Draws one text through a device and returns where its ink went.
  QRect TextInk(int flags, int rotation = 0, const char* text = "Hello") {
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterDevice device(painter, 400, 400);
    device.SelectFont(40, rotation);
    device.SetTextAlign(flags);
    device.SetTextColour(0x000000);
    device.Text(200, 200, text);
    painter.end();
    return Ink(image);
  }
  QImage image;
};

TEST_F(Painter, FaceIsArialOrItsMetricTwin) {
  const QString family = QFontInfo(PictureFont(30)).family();
  EXPECT_TRUE(family == "Arial" || family == "Liberation Sans") << family.toStdString();
}

TEST_F(Painter, CellHeightIsWhatWasAskedFor) {
  QPainter painter(&image);
  PainterDevice device(painter, 400, 400);
  device.SelectFont(40, 0);
  const TextExtent a = device.MeasureText("A");
  EXPECT_NEAR(a.height, 40, 1);
  EXPECT_GT(a.width, 20);
  EXPECT_LT(a.width, 32);
  EXPECT_EQ(device.MeasureText("").width, 0);
  EXPECT_GT(device.MeasureText("AA").width, a.width);
}

TEST_F(Painter, HorizontalAlignmentPlacesTheReferencePoint) {
  const QRect left = TextInk(align::Left | align::Top);
  EXPECT_GE(left.left(), 200);
  EXPECT_LE(left.left(), 205);
  EXPECT_GE(left.top(), 200);  // text hangs below a top reference
  const QRect right = TextInk(align::Right | align::Top);
  EXPECT_LE(right.right(), 200);
  EXPECT_GE(right.right(), 194);
  const QRect centre = TextInk(align::Centre | align::Top);
  EXPECT_NEAR((centre.left() + centre.right()) / 2.0, 200, 3);
  const QRect bottom = TextInk(align::Left | align::Bottom);
  EXPECT_LE(bottom.bottom(), 200);
  EXPECT_GE(bottom.bottom(), 190);
}

TEST_F(Painter, QuarterTurnsRotateCounterClockwise) {
  // Three quarter turns: the text runs downwards, its top facing right.
  const QRect down = TextInk(align::Left | align::Top, 3);
  EXPECT_GT(down.height(), 2 * down.width());
  EXPECT_GE(down.top(), 199);
  EXPECT_LE(down.right(), 201);
  // One quarter turn: it runs upwards from the point.
  const QRect up = TextInk(align::Left | align::Top, 1);
  EXPECT_GT(up.height(), 2 * up.width());
  EXPECT_LE(up.bottom(), 201);
  EXPECT_GE(up.left(), 199);
  // Centred along the rotated baseline.
  const QRect centred = TextInk(align::Centre, 3);
  EXPECT_NEAR((centred.top() + centred.bottom()) / 2.0, 200, 3);
}

TEST_F(Painter, PolylineKeepsThePenItStartedWith) {
  {
    QPainter painter(&image);
    PainterDevice device(painter, 400, 400);
    device.SelectPen(0x0000FF, 3);  // red
    device.MoveTo(10, 10);
    device.LineTo(100, 10);
    device.LineTo(100, 100);
    device.SelectPen(0xFF0000, 3);  // blue for what follows
    device.MoveTo(200, 200);
    device.LineTo(300, 200);
    device.FillRect(350, 350, 20, 20, 0x00FF00);
  }
  EXPECT_EQ(image.pixel(50, 10), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(100, 50), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(250, 200), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(360, 360), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(50, 50), qRgb(255, 255, 255));
}

TEST_F(Painter, PenStylesDashAndDot) {
  // Ink along a horizontal line, and how often it breaks.
  auto gaps = [&](int style) {
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PainterDevice device(painter, 400, 400);
      device.SelectPen(0x000000, 2);
      device.SetPenStyle(style);
      device.MoveTo(10, 100);
      device.LineTo(390, 100);
    }
    int breaks = 0;
    for (int x = 20; x < 380; ++x)
      breaks += image.pixel(x, 100) != qRgb(255, 255, 255) && image.pixel(x + 1, 100) == qRgb(255, 255, 255);
    return breaks;
  };
  EXPECT_EQ(gaps(0), 0);
  const int dashes = gaps(1), dots = gaps(2);
  EXPECT_GT(dashes, 10);
  EXPECT_GT(dots, dashes);  // dots come closer together than dashes
  // A new pen is solid again.
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PainterDevice device(painter, 400, 400);
    device.SelectPen(0x000000, 2);
    device.SetPenStyle(1);
    device.SelectPen(0x000000, 2);
    device.MoveTo(10, 100);
    device.LineTo(390, 100);
  }
  int ink = 0;
  for (int x = 20; x < 380; ++x) ink += image.pixel(x, 100) != qRgb(255, 255, 255);
  EXPECT_EQ(ink, 360);
}

}  // namespace
}  // namespace vantor
