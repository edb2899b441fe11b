#include "device/painter_device.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

#include "device/vector_state.h"
#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

// A polyline is stroked in pieces of at most this many times the surface's
// width plus height: an ordinary trace stays one piece (no joints), a long
// run's thousands of strokes up and down become many small ones.
constexpr double kPieceLengthPerSize = 2.0;

// Cell height of the face per pixel of em size, measured once at a large
// size so that rounding does not matter.
double CellPerEm() {
  static const double ratio = [] {
    QFont f;
    f.setFamilies(QStringList{"Arial", "Liberation Sans"});
    f.setPixelSize(1000);
    const double h = QFontMetricsF(f).height();
    return h > 0 ? h / 1000.0 : 1.15;
  }();
  return ratio;
}

}  // namespace

QColor ColourFromRef(uint32_t colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

QFont PictureFont(int cellHeight) {
  QFont font;
  font.setFamilies(QStringList{"Arial", "Liberation Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  font.setKerning(false);
  const int em = static_cast<int>(std::lround(cellHeight / CellPerEm()));
  font.setPixelSize(em < 1 ? 1 : em);
  return font;
}

QString PictureText(std::string_view bytes) {
  const std::string utf8 = Cp437ToUtf8(bytes);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

PainterDevice::PainterDevice(QPainter& painter, double width, double height)
    : painter_(painter), width_(width), height_(height), initialPen_(painter.pen()),
      font_(PictureFont(14)) {}

PainterDevice::~PainterDevice() { Flush(); }

void PainterDevice::Flush() {
  line_.Finish();
  if (line_.Points().size() >= 2) {
    painter_.drawPolyline(line_.Points());
    ReleaseWideVectorState();
  }
  line_.Clear();
}

void PainterDevice::SelectPen(uint32_t colour, int width) {
  Flush();
  // Round ends and joins: a thick trace of many short segments stays one
  // smooth line.
  QPen pen(ColourFromRef(colour), width < 1 ? 1 : width, Qt::SolidLine, Qt::RoundCap,
           Qt::RoundJoin);
  painter_.setPen(pen);
}

void PainterDevice::SetPenStyle(int style) {
  Flush();
  QPen pen = painter_.pen();
  pen.setStyle(style == 1 ? Qt::DashLine : (style == 2 ? Qt::DotLine : Qt::SolidLine));
  // Dots of a round-capped pen need gaps wider than the pen to show.
  if (style == 2) pen.setDashPattern({0.5, 2.5});
  painter_.setPen(pen);
}

void PainterDevice::SelectFont(int cellHeight, int quarterTurns) {
  font_ = PictureFont(cellHeight);
  rotation_ = ((quarterTurns % 4) + 4) % 4;
}

void PainterDevice::RestoreInitialObjects(bool pen, bool font) {
  Flush();
  if (pen) painter_.setPen(initialPen_);
  if (font) {
    font_ = PictureFont(14);
    rotation_ = 0;
  }
}

void PainterDevice::MoveTo(int x, int y) {
  Flush();
  position_ = QPoint(x, y);
}

void PainterDevice::LineTo(int x, int y) {
  if (!line_.Started()) {
    line_.Start(position_);
    measured_ = 1;
    pieceLength_ = 0;
  }
  position_ = QPoint(x, y);
  line_.Add(position_);
  // The antialiasing stroker's cost grows much faster than the length of
  // what it is handed when the line runs over itself.
  const QPolygon& points = line_.Points();
  for (; measured_ < points.size(); ++measured_)
    pieceLength_ += (points[measured_] - points[measured_ - 1]).manhattanLength();
  if (pieceLength_ >= kPieceLengthPerSize * (width_ + height_)) {
    painter_.drawPolyline(points);
    ReleaseWideVectorState();
    line_.KeepLastPoint();
    measured_ = 1;
    pieceLength_ = 0;
  }
}

void PainterDevice::Text(int x, int y, std::string_view text) {
  Flush();
  if (text.empty()) return;
  const QString s = PictureText(text);
  const QFontMetricsF metrics(font_);
  const double w = metrics.horizontalAdvance(s);
  double dx = 0;
  switch (flags_ & align::HorizontalMask) {
    case align::Right: dx = -w; break;
    case align::Centre: dx = -w / 2; break;
    default: break;
  }
  double dy = 0;  // from the reference point to the baseline
  switch (flags_ & align::VerticalMask) {
    case align::Bottom: dy = -metrics.descent(); break;
    case align::VerticalMask: dy = 0; break;  // baseline
    default: dy = metrics.ascent(); break;    // top
  }
  painter_.save();
  painter_.translate(x, y);
  painter_.rotate(-90.0 * rotation_);
  painter_.setFont(font_);
  painter_.setPen(ColourFromRef(textColour_));
  painter_.drawText(QPointF(dx, dy), s);
  painter_.restore();
  ReleaseWideVectorState();
}

TextExtent PainterDevice::MeasureText(std::string_view text) {
  const QFontMetricsF metrics(font_);
  TextExtent extent;
  extent.width = static_cast<int>(std::lround(metrics.horizontalAdvance(PictureText(text))));
  extent.height = static_cast<int>(std::lround(metrics.height()));
  return extent;
}

void PainterDevice::FillRect(int x, int y, int width, int height, uint32_t colour) {
  Flush();
  painter_.fillRect(QRect(x, y, width, height), ColourFromRef(colour));
  ReleaseWideVectorState();
}

}  // namespace vantor
