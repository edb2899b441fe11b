// The Drugs dialog: every blocker of the drug table with its targets, a box
// to put it in the bath and its concentration. OK keeps the chosen doses
// for the runs that follow; "Wash out all" clears them.
#pragma once

#include <QDialog>

#include <vector>

#include "vantor/params/pharmacology.h"

class QCheckBox;
class QLineEdit;

namespace vantor {

class DrugsDialog : public QDialog {
 public:
  DrugsDialog(const std::vector<DrugDose>& doses, QWidget* parent);

  // The row of a drug by its name ("TTX"): its box and concentration field.
  QCheckBox* Box(const QString& name) const;
  QLineEdit* Concentration(const QString& name) const;
  // What OK took: the doses in the order of the table.
  const std::vector<DrugDose>& Doses() const { return doses_; }

  void accept() override;

 private:
  struct Row {
    const Drug* drug;
    QCheckBox* box;
    QLineEdit* concentration;
  };
  std::vector<Row> rows_;
  std::vector<DrugDose> doses_;
};

// A concentration the dialog proposes for a drug not yet in the bath: ten
// times the potency on its first target (a block of about nine tenths at a
// Hill coefficient of 1), or where its complete block begins.
double ProposedConcentration(const Drug& drug);

// The targets of a drug as the dialog lists them: "gNa, gNap".
QString TargetNames(const Drug& drug);

}  // namespace vantor
