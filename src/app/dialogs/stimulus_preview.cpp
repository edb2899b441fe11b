#include "app/dialogs/stimulus_preview.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "device/painter_device.h"
#include "vantor/render/palette.h"

namespace vantor {

StimulusPreview::StimulusPreview(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 140);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void StimulusPreview::Show(std::vector<StimulusTrace> traces, double trial, const QString& unit) {
  traces_ = std::move(traces);
  trial_ = trial;
  unit_ = unit;
  update();
}

void StimulusPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics metrics = p.fontMetrics();
  const int left = metrics.horizontalAdvance(QStringLiteral("-0000.0")) + 8;
  const QRect plot(left, 8, width() - left - 10, height() - 16 - metrics.height());
  p.setPen(Qt::black);
  p.drawRect(plot);
  double lo = INFINITY, hi = -INFINITY;
  for (const StimulusTrace& t : traces_)
    for (double v : t.levels)
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  if (!(trial_ > 0) || !(lo <= hi)) return;
  if (hi - lo < 1e-9) lo -= 1, hi += 1;
  const double pad = 0.08 * (hi - lo);
  lo -= pad, hi += pad;
  auto x = [&](double t) { return plot.left() + plot.width() * t / trial_; };
  auto y = [&](double v) { return plot.bottom() - plot.height() * (v - lo) / (hi - lo); };
  // The range and the trial, written at the axes.
  p.drawText(QRect(0, plot.top() - 2, left - 4, metrics.height()), Qt::AlignRight,
             QString::number(hi - pad, 'g', 4));
  p.drawText(QRect(0, plot.bottom() - metrics.height() + 2, left - 4, metrics.height()),
             Qt::AlignRight, QString::number(lo + pad, 'g', 4));
  p.drawText(QRect(0, plot.center().y() - metrics.height() / 2, left - 4, metrics.height()),
             Qt::AlignRight, unit_);
  p.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), metrics.height()), Qt::AlignLeft,
             QStringLiteral("0 ms"));
  p.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), metrics.height()), Qt::AlignRight,
             QStringLiteral("%1 ms").arg(trial_));
  p.setClipRect(plot.adjusted(1, 1, 0, 0));
  p.setRenderHint(QPainter::Antialiasing);
  for (std::size_t i = 0; i < traces_.size(); ++i) {
    const StimulusTrace& t = traces_[i];
    QPainterPath path;
    for (std::size_t k = 0; k < t.times.size(); ++k) {
      const QPointF point(x(t.times[k]), y(t.levels[k]));
      if (k == 0) path.moveTo(point);
      else path.lineTo(point);
    }
    p.setPen(QPen(ColourFromRef(RunColour(static_cast<int>(i))), 1.5));
    p.drawPath(path);
  }
}

}  // namespace vantor
