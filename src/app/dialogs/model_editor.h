// The Model Editor: the 17 x 8 coefficients of the gate table. Changes last
// until the program exits; they are never written anywhere.
#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QScrollArea;

namespace vantor {

class GateTable;

class ModelEditor : public QDialog {
 public:
  ModelEditor(GateTable& gates, QWidget* parent);
  // Row 1 .. 17, column 0 .. 7 (A .. H); named 100 row + column + 1001.
  QLineEdit* Field(int row, int column) const { return fields_[row - 1][column]; }
  void accept() override;
  // The typed values into `into`, by the rule OK applies.
  void ApplyTyped(GateTable& into) const;
  // Sizes the dialog for a screen whose free area is `free`.
  void FitInto(const QRect& free);

 private:
  QScrollArea* area_ = nullptr;
  GateTable& gates_;
  std::array<std::array<QLineEdit*, 8>, 17> fields_{};
};

void RunModelEditor(GateTable& gates, QWidget* parent);

}  // namespace vantor
