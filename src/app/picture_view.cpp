#include "app/picture_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>

#include <cmath>

#include "vantor/render/layout.h"

namespace vantor::app {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // the image and the fill cover everything
  setMouseTracking(true);
  setMinimumSize(200, 150);
  setFocusPolicy(Qt::StrongFocus);  // the arrow keys move the value cursor
}

void PictureView::SetCursorX(std::optional<double> x) {
  if (cursorX_ == x) return;
  cursorX_ = x;
  update();
}

PictureView::~PictureView() { EndDrawing(); }

QSize PictureView::WantedImageSize() const {
  const qreal ratio = devicePixelRatioF();
  return QSize(std::max(1, static_cast<int>(std::lround(width() * ratio))),
               std::max(1, static_cast<int>(std::lround(height() * ratio))));
}

void PictureView::Clear(uint32_t background) {
  background_ = background;
  const QSize size = WantedImageSize();
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  image_.fill(ColourFromRef(background));
  stale_ = false;
}

Device& PictureView::BeginDrawing(uint32_t background) {
  EndDrawing();
  background_ = background;
  const QSize size = WantedImageSize();
  if (image_.size() != size) {
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(ColourFromRef(background));
  }
  stale_ = false;
  painter_.begin(&image_);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  // The device thins long polylines to what a pixel column shows.
  device_ = std::make_unique<PainterDevice>(painter_, image_.width(), image_.height());
  return *device_;
}

void PictureView::FlushDrawing() {
  if (device_) device_->Flush();
}

void PictureView::EndDrawing() {
  FlushDrawing();
  device_.reset();
  if (painter_.isActive()) painter_.end();
}

void PictureView::paintEvent(QPaintEvent*) {
  if (beforePaint) beforePaint();
  FlushDrawing();
  QPainter p(this);
  const qreal ratio = devicePixelRatioF();
  const QRectF shown(0, 0, image_.width() / ratio, image_.height() / ratio);
  if (!image_.isNull()) p.drawImage(shown, image_);
  // Beyond the image (a window grown during a run): the background.
  const QColor fill = ColourFromRef(background_);
  if (shown.right() < width()) p.fillRect(QRectF(shown.right(), 0, width() - shown.right(), height()), fill);
  if (shown.bottom() < height())
    p.fillRect(QRectF(0, shown.bottom(), std::min<qreal>(shown.right(), width()), height() - shown.bottom()), fill);
  // The span being dragged for a zoom, over the image like the cursor.
  if (span_) {
    const qreal a = std::min(span_->first, span_->second) / ratio;
    const qreal b = std::max(span_->first, span_->second) / ratio;
    QColor shade = ColourFromRef(background_).lightness() < 128 ? QColor(255, 255, 255, 50) : QColor(0, 0, 90, 40);
    p.fillRect(QRectF(a, 0, b - a, height()), shade);
  }
  // The cursor stands over the image, never in it: prints and copies go without.
  if (cursorX_) {
    const qreal x = *cursorX_ / ratio;
    const QColor back = fill;
    const QColor line = back.lightness() < 128 ? QColor(235, 235, 235) : QColor(40, 40, 40);
    p.setPen(QPen(line, 1, Qt::DashLine));
    p.drawLine(QPointF(x, 0), QPointF(x, height()));
  }
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (image_.size() != WantedImageSize()) stale_ = true;
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position() * devicePixelRatioF();
  // The strip under the traces stands where a time axis would.
  const bool underTraces = event->position().y() >= height() * (1.0 - kBandsBottom);
  if (event->button() == Qt::LeftButton && spanChosen &&
      (underTraces || (event->modifiers() & Qt::ControlModifier))) {
    span_ = std::make_pair(at.x(), at.x());
    update();
  } else if (event->button() == Qt::LeftButton && cursorPlaced) {
    cursorPlaced(at);
  }
  QWidget::mousePressEvent(event);
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (span_ && event->button() == Qt::LeftButton) {
    const auto [x0, x1] = *span_;
    span_.reset();
    update();
    // A click without a drag is no span.
    if (std::abs(x1 - x0) >= 4 * devicePixelRatioF() && spanChosen) spanChosen(x0, x1);
  }
  QWidget::mouseReleaseEvent(event);
}

void PictureView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && zoomBack) {
    span_.reset();
    zoomBack(false);
    return;
  }
  QWidget::mouseDoubleClickEvent(event);
}

void PictureView::keyPressEvent(QKeyEvent* event) {
  if (zoomBack) {
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Backspace) {
      zoomBack(false);
      return;
    }
    if (ctrl && event->key() == Qt::Key_0) {
      zoomBack(true);
      return;
    }
  }
  if (cursorStepped) {
    const int fast = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    switch (event->key()) {
      case Qt::Key_Left: cursorStepped(-fast, 0); return;
      case Qt::Key_Right: cursorStepped(fast, 0); return;
      case Qt::Key_Home: cursorStepped(0, -1); return;
      case Qt::Key_End: cursorStepped(0, 1); return;
      default: break;
    }
  }
  QWidget::keyPressEvent(event);
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  if (span_ && (event->buttons() & Qt::LeftButton)) {
    span_->second = event->position().x() * devicePixelRatioF();
    update();
  } else if ((event->buttons() & Qt::LeftButton) && cursorPlaced) {
    cursorPlaced(event->position() * devicePixelRatioF());
  }
  if (pointerMoved) pointerMoved(event->position() * devicePixelRatioF());
  QWidget::mouseMoveEvent(event);
}

void PictureView::leaveEvent(QEvent* event) {
  if (pointerLeft) pointerLeft();
  QWidget::leaveEvent(event);
}

}  // namespace vantor::app
