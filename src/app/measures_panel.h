// The measures of the last run (spikes, rate, latency, intervals, class and
// the shape of the spikes) as the core computes them, a row each.
#pragma once

#include <QString>
#include <QWidget>

#include "vantor/analysis/measures.h"

class QLabel;
class QTableWidget;

namespace vantor::app {

class MeasuresPanel : public QWidget {
  Q_OBJECT

 public:
  explicit MeasuresPanel(QWidget* parent = nullptr);

  // `run` names the run measured; the heading says the window taken.
  void Show(const QString& run, const Measures& measures);
  void Clear(const QString& note);

  QTableWidget* Table() const { return table_; }
  QString Heading() const;
  // The text of the row whose measure has `key` ("rate_hz"); empty if none.
  QString ValueText(const char* key) const;

 private:
  QLabel* heading_ = nullptr;
  QTableWidget* table_ = nullptr;
};

// A measure as the panel shows it: "none" where it does not exist, the
// class by name, counts as whole numbers.
QString MeasureText(const Measures& measures, MeasureId id);

}  // namespace vantor::app
