// Beside the Ions dialog's fields: the reversal potentials of Na, K, Cl and
// Ca and the resting potential of the leaks for the values being typed, at
// the temperature of the parameters, recomputed at every keystroke by the
// engine's own ComputeIonPotentials.
#pragma once

#include <QGroupBox>

#include <map>

#include "vantor/params/parameter_set.h"

class QLabel;
class QLineEdit;

namespace vantor {

class IonPotentialsPanel : public QGroupBox {
 public:
  // `fields` maps parameter indices to the dialog's fields; `params` gives
  // every value no field shows (the temperature, the leak permeabilities).
  IonPotentialsPanel(const ParameterSet& params, const std::map<int, QLineEdit*>& fields, QWidget* parent);

  // The read-out of "E_Na", "E_K", "E_Cl", "E_Ca" or "Rest": its text.
  QString Shown(const QString& name) const;
  void Recompute();

 private:
  ParameterSet params_;
  std::map<int, QLineEdit*> fields_;
  std::map<QString, QLabel*> values_;
  QLabel* heading_ = nullptr;
  QLabel* note_ = nullptr;
};

}  // namespace vantor
