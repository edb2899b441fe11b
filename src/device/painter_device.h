// The drawing layer's Device on a QPainter: window backing images, PNG, SVG,
// PDF and printer pages all draw through this one class. Texts arrive as
// code page 437 bytes and are shown as Unicode; the face is Arial, which
// resolves to the metric-compatible Liberation Sans where Arial is absent.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QString>

#include "device/column_reducer.h"
#include "vantor/render/device.h"

namespace vantor {

// The program's face at a cell height (ascent + descent) in pixels, the way
// a font height is asked for on the platform the program comes from.
QFont PictureFont(int cellHeight);
// Code page 437 bytes (and the formatter's 0xB5 micro sign) as a QString.
QString PictureText(std::string_view bytes);

class PainterDevice : public Device {
 public:
  // Paints with `painter`, which must stay active while the device is used;
  // the surface is width x height device units (pixels).
  PainterDevice(QPainter& painter, double width, double height);
  ~PainterDevice() override;
  PainterDevice(const PainterDevice&) = delete;
  PainterDevice& operator=(const PainterDevice&) = delete;

  double SurfaceWidth() const override { return width_; }
  double SurfaceHeight() const override { return height_; }
  void SelectPen(uint32_t colour, int width) override;
  void SetPenStyle(int style) override;
  void SelectFont(int cellHeight, int quarterTurns) override;
  void RestoreInitialObjects(bool pen, bool font) override;
  void SetTextAlign(int flags) override { flags_ = flags; }
  void SetTextColour(uint32_t colour) override { textColour_ = colour; }
  void SetBackgroundColour(uint32_t colour) override { background_ = colour; }
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Text(int x, int y, std::string_view text) override;
  TextExtent MeasureText(std::string_view text) override;
  void FillRect(int x, int y, int width, int height, uint32_t colour) override;

  // Draws the polyline still being collected; call before the painter ends.
  void Flush();

 private:
  QPainter& painter_;
  double width_, height_;
  QPen initialPen_;
  QFont font_;
  int rotation_ = 0;
  int flags_ = 0;
  uint32_t textColour_ = 0;
  uint32_t background_ = 0xFFFFFF;
  QPoint position_;
  ColumnReducer line_;  // the polyline being drawn, thinned per pixel column
  qsizetype measured_ = 0;  // points of line_ whose length is counted
  double pieceLength_ = 0;  // length of the piece not yet stroked
};

QColor ColourFromRef(uint32_t colour);

}  // namespace vantor
