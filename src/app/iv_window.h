// The curves of a voltage-clamp family in a window of their own: the peak
// and steady-state current against the level with the Boltzmann fit, and
// the normalised curve with V1/2 and the slope factor; printable and
// copyable like the main picture.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

#include "vantor/engine/stimulus.h"
#include "vantor/render/iv_chart.h"

class QLabel;

namespace vantor {
class PrinterChooser;
}

namespace vantor::app {

// One family member's clamp current, sample by sample.
struct ClampRun {
  std::vector<double> times, currents;
};

// The curves of a voltage-clamp family's runs (one per member, in order):
// measured during the varied segment, or during the test step after it when
// a step follows it (a prepulse family, fitted as inactivation). With the
// holding level varied, during the first segment; without one, the trial.
IvChart FamilyCurves(const Stimulus& stimulus, const std::vector<ClampRun>& runs, double trial);

class IvWindow : public QWidget {
  Q_OBJECT

 public:
  IvWindow(IvChart chart, const QString& title, QWidget* parent = nullptr);

  const IvChart& Chart() const { return chart_; }
  // The levels, currents and fit as tab-separated text (what Copy puts
  // beside the picture).
  QString TableText() const;
  QLabel* FitLine() const { return fitLine_; }
  // Print (the chooser picks the printer) and Copy.
  bool Print(PrinterChooser& chooser);
  void Copy();

 private:
  IvChart chart_;
  QString title_;
  QWidget* view_ = nullptr;
  QLabel* fitLine_ = nullptr;
};

}  // namespace vantor::app
