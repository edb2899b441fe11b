// The Model Editor: the 17 x 8 coefficients of the gate table. OK gives the
// runs the new coefficients; Save and Save as also write them to a file,
// Revert brings back the file's, and Help opens the editor's page. A legend
// under the table gives the formula of the row being edited.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QScrollArea;

namespace vantor {

class GateTable;

// What the editor asks of the program around it; any hook may be empty.
struct ModelEditorHooks {
  // Writes `table` (to its file, or under a name asked for when `asNew`);
  // false when nothing was written.
  std::function<bool(const GateTable& table, bool asNew)> save;
  // The coefficients of the file the table came from, none when unknown.
  std::function<std::optional<GateTable>()> saved;
  std::function<void()> help;
};

class ModelEditor : public QDialog {
 public:
  ModelEditor(GateTable& gates, QWidget* parent, ModelEditorHooks hooks = {});
  // Row 1 .. 17, column 0 .. 7 (A .. H); named 100 row + column + 1001.
  QLineEdit* Field(int row, int column) const { return fields_[row - 1][column]; }
  QLabel* Legend() const { return legend_; }
  // OK: every cell must hold a number; otherwise one box names each refused
  // cell by row and column, the dialog stays open and nothing is applied.
  void accept() override;
  // The typed values into `into` for a preview while typing: a field that
  // holds no number, or one beyond the single-precision range, keeps its
  // coefficient (OK refuses such a field).
  void ApplyTyped(GateTable& into) const;
  // Cancel, Escape or the close box: typed changes not applied are dropped
  // only after the user agrees.
  void reject() override;
  void Save(bool asNew);
  void Revert();
  // The fields as a table; none (after the box) when a cell is refused.
  std::optional<GateTable> Scan();
  // True while the fields differ from the table the runs use.
  bool Edited() const;
  // Sizes the dialog for a screen whose free area is `free`.
  void FitInto(const QRect& free);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowLegend(int row);
  void Fill(const GateTable& table);

  QScrollArea* area_ = nullptr;
  QLabel* legend_ = nullptr;
  GateTable& gates_;
  ModelEditorHooks hooks_;
  std::array<std::array<QLineEdit*, 8>, 17> fields_{};
};

void RunModelEditor(GateTable& gates, QWidget* parent, ModelEditorHooks hooks = {});

}  // namespace vantor
