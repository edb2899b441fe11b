// The Layout Editor: the scale, share and visibility of each of the 21 traces.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace vantor {

class ParameterSet;

// The editor's label of trace row 0 .. 20 ("V-m (mV)" ... "g-3 (O)").
QString TraceLabel(int row);

class LayoutEditor : public QDialog {
 public:
  LayoutEditor(ParameterSet& params, bool& unsavedChanges, QWidget* parent);

  QLineEdit* MaximumField(int row) const { return maximum_[row]; }
  QLineEdit* MinimumField(int row) const { return minimum_[row]; }
  QLineEdit* PercentField() const { return percent_; }
  QCheckBox* PlotBox(int row) const { return plot_[row]; }  // rows 1 .. 20
  QCheckBox* CondBox(int row) const { return cond_[row]; }  // rows 4 .. 17
  // Beside a Cond? box: the unit Maximum and Minimum are in while it is
  // checked ("µS"), empty otherwise.
  QLabel* CondUnit(int row) const { return condUnit_[row]; }
  // Below the table: what the values typed so far will do to the picture
  // that is worth knowing (a trace drawn upside down).
  QLabel* Notes() const { return notes_; }

  void accept() override;
  // Sizes the dialog for a screen whose free area is `free`.
  void FitInto(const QRect& free);

 private:
  // The number a field begins with; false after refusing the field.
  bool Scan(QLineEdit* field, const QString& name, float& value);
  void UpdateNotes();
  QScrollArea* area_ = nullptr;
  ParameterSet& params_;
  bool& unsavedChanges_;
  std::array<QLineEdit*, 21> maximum_{};
  std::array<QLineEdit*, 21> minimum_{};
  QLineEdit* percent_ = nullptr;
  std::array<QCheckBox*, 21> plot_{};
  std::array<QCheckBox*, 21> cond_{};
  std::array<QLabel*, 21> condUnit_{};
  QLabel* notes_ = nullptr;
};

void RunLayoutEditor(ParameterSet& params, bool& unsavedChanges, QWidget* parent);

}  // namespace vantor
