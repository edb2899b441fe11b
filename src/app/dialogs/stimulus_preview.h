// The Stimulus dialog's picture: the command (voltage clamp) or the
// injected current (current clamp) against time over the trial, one trace
// per family member in the run colours.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

#include "vantor/engine/stimulus_trace.h"

namespace vantor {

class StimulusPreview : public QWidget {
 public:
  explicit StimulusPreview(QWidget* parent = nullptr);

  // The traces to draw and the unit of their values ("nA", "mV").
  void Show(std::vector<StimulusTrace> traces, double trial, const QString& unit);
  const std::vector<StimulusTrace>& Traces() const { return traces_; }
  QSize sizeHint() const override { return {560, 180}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<StimulusTrace> traces_;
  double trial_ = 0;
  QString unit_;
};

}  // namespace vantor
