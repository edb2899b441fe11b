// The window's picture: a backing image in device pixels (the screen's
// device-pixel ratio, so lines stay sharp on dense screens) that runs and
// redraws paint into through the drawing layer; painting only blits it.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "device/painter_device.h"

namespace vantor::app {

class PictureView : public QWidget {
  Q_OBJECT

 public:
  explicit PictureView(QWidget* parent = nullptr);
  ~PictureView() override;

  // Called at the start of every paint, before the image is blitted: the
  // owner decides there whether a stale image is redrawn.
  std::function<void()> beforePaint;
  // Pointer position in device pixels of the image, while the mouse moves.
  std::function<void(QPointF)> pointerMoved;
  std::function<void()> pointerLeft;
  // The value cursor: a click or a drag places it at a point (device
  // pixels); Left and Right move it by `steps` pixels (ten with Shift),
  // Home and End to the ends of the time axis (-1 and +1 as `end`).
  std::function<void(QPointF)> cursorPlaced;
  std::function<void(int steps, int end)> cursorStepped;
  // Zoom: a drag along the strip under the traces (or with Ctrl anywhere)
  // chooses a span of time, from x0 to x1 (device pixels); a double click,
  // Escape or Backspace goes back a step, Ctrl+0 all the way (`all`).
  std::function<void(double x0, double x1)> spanChosen;
  std::function<void(bool all)> zoomBack;
  // The span being dragged, in device pixels; none outside a drag.
  std::optional<std::pair<double, double>> Span() const { return span_; }

  // Where the cursor line stands (device pixels of the image); none hides it.
  void SetCursorX(std::optional<double> x);
  std::optional<double> CursorX() const { return cursorX_; }

  // Starts drawing on the image: it takes the widget's current size (a new
  // image, cleared to `background`, when the size changed).
  // The device stays valid until EndDrawing.
  Device& BeginDrawing(uint32_t background);
  // Draws what is still pending (the live trace) so that a blit shows it.
  void FlushDrawing();
  void EndDrawing();
  bool Drawing() const { return device_ != nullptr; }

  // The image no longer matches the widget (a resize, a layout change).
  bool Stale() const { return stale_; }
  void MarkStale() { stale_ = true; }
  // Clears the image to `background` at the widget's size.
  void Clear(uint32_t background);

  const QImage& Image() const { return image_; }
  // The image size the widget asks for now, in device pixels.
  QSize WantedImageSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  QPainter painter_;
  std::unique_ptr<PainterDevice> device_;
  uint32_t background_ = 0xFFFFFF;
  bool stale_ = true;
  std::optional<double> cursorX_;
  std::optional<std::pair<double, double>> span_;
};

}  // namespace vantor::app
