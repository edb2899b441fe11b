// The Stimulus dialog: the clamp mode with its holding level and series
// resistance, the table of segments (a kind and its fields per row), the
// family and a live picture of the waveform over the trial with every family
// member drawn. OK reads every field through the stimulus file's own reader,
// so a value the file would refuse is refused here by its field.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

#include "vantor/engine/stimulus.h"
#include "vantor/params/parameter_set.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace vantor {

class StimulusPreview;

class StimulusDialog : public QDialog {
  Q_OBJECT

 public:
  // `params` gives the trial and the parameters' own step for the picture;
  // `directory` is where relative waveform files are looked up.
  StimulusDialog(const std::optional<Stimulus>& stimulus, const ParameterSet& params,
                 const QString& directory, QWidget* parent);

  // What OK took: none for the plain run (current clamp at 0 nA, no
  // segment, no family).
  const std::optional<Stimulus>& Result() const { return result_; }

  // The form as a stimulus, or the refusal: `message` names the field and
  // `field` is the one to correct.
  std::optional<Stimulus> Read(QString& message, QLineEdit*& field) const;

  // ---- The form, for the tests ----
  QRadioButton* VoltageClamp() const { return voltage_; }
  QLineEdit* Holding() const { return holding_; }
  QLineEdit* SeriesResistance() const { return series_; }
  QTableWidget* Segments() const { return table_; }
  QComboBox* FamilyTarget() const { return familyTarget_; }
  QLineEdit* FamilyValues() const { return familyValues_; }
  StimulusPreview* Preview() const { return preview_; }
  QLabel* PreviewNote() const { return previewNote_; }
  // Adds a row of `kind` (the file's name: "step", "ramp" ...) and returns it.
  int AddSegment(const QString& kind);
  void RemoveSegment(int row);
  // The field `name` ("onset", "level" ...) of segment `row`; null when the
  // kind has no such field.
  QLineEdit* SegmentField(int row, const QString& name) const;
  // Clears the form to the plain run.
  void Clear();

  void accept() override;

 private:
  void Fill(const Stimulus& stimulus);
  void SetKind(int row, const QString& kind);
  void UpdateFamilyTargets();
  void UpdateClampFields();
  void UpdatePreview();
  QString Text(std::vector<QLineEdit*>& lineFields) const;

  ParameterSet params_;
  QString directory_;
  std::optional<Stimulus> result_;
  QRadioButton* current_ = nullptr;
  QRadioButton* voltage_ = nullptr;
  QLineEdit* holding_ = nullptr;
  QLineEdit* series_ = nullptr;
  QLabel* holdingUnit_ = nullptr;
  QTableWidget* table_ = nullptr;
  QComboBox* familyTarget_ = nullptr;
  QLineEdit* familyValues_ = nullptr;
  StimulusPreview* preview_ = nullptr;
  QLabel* previewNote_ = nullptr;
  bool filling_ = false;
};

// The dialog over `parent`; true when OK changed the stimulus.
bool RunStimulusDialog(std::optional<Stimulus>& stimulus, const ParameterSet& params,
                       const QString& directory, QWidget* parent);

}  // namespace vantor
