#include "app/dialogs/ion_potentials_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/dialogs/field_text.h"
#include "vantor/engine/ion_potentials.h"
#include "vantor/text/number_format.h"

namespace vantor {
namespace {

constexpr const char* kNames[] = {"E_Na", "E_K", "E_Cl", "E_Ca", "Rest"};

QString Millivolts(float v) { return QString::fromStdString(FormatShort(v, 4)) + QStringLiteral(" mV"); }

}  // namespace

IonPotentialsPanel::IonPotentialsPanel(const ParameterSet& params, const std::map<int, QLineEdit*>& fields,
                                       QWidget* parent)
    : QGroupBox(QStringLiteral("Reversal potentials"), parent), params_(params), fields_(fields) {
  setObjectName(QStringLiteral("IonPotentials"));
  auto* grid = new QGridLayout(this);
  heading_ = new QLabel(this);
  grid->addWidget(heading_, 0, 0, 1, 2);
  static const char* const kLabels[] = {"E<sub>Na</sub>", "E<sub>K</sub>", "E<sub>Cl</sub>", "E<sub>Ca</sub>",
                                        "Leaks at rest"};
  for (int i = 0; i < 5; ++i) {
    auto* label = new QLabel(QString::fromLatin1(kLabels[i]), this);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(kNames[i]));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, i + 1, 0);
    grid->addWidget(value, i + 1, 1);
    values_[QString::fromLatin1(kNames[i])] = value;
  }
  note_ = new QLabel(this);
  note_->setWordWrap(true);
  grid->addWidget(note_, 6, 0, 1, 2);
  for (const auto& [index, field] : fields_)
    connect(field, &QLineEdit::textChanged, this, &IonPotentialsPanel::Recompute);
  Recompute();
}

QString IonPotentialsPanel::Shown(const QString& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? QString() : it->second->text();
}

void IonPotentialsPanel::Recompute() {
  // What is typed counts where it is a number the dialog would take; any
  // other field keeps its stored value, and the note says which.
  ParameterSet typed = params_;
  QStringList kept;
  for (const auto& [index, field] : fields_) {
    const std::optional<float> v = ScanFieldNumber(field->text());
    if (v && params_.InRange(index, *v)) typed.SetValue(index, *v);
    else kept << field->accessibleName();
  }
  const IonPotentials p = ComputeIonPotentials(typed);
  heading_->setText(QStringLiteral("At %1 °C (Nernst; the leaks by %2)")
                        .arg(QString::fromStdString(FormatShort(typed.Value(param::Temperature), 4)),
                             p.ohmicLeak ? QStringLiteral("their ohmic form") : QStringLiteral("GHK")));
  values_[QStringLiteral("E_Na")]->setText(Millivolts(p.eNa));
  values_[QStringLiteral("E_K")]->setText(Millivolts(p.eK));
  values_[QStringLiteral("E_Cl")]->setText(Millivolts(p.eCl));
  values_[QStringLiteral("E_Ca")]->setText(Millivolts(p.eCa));
  values_[QStringLiteral("Rest")]->setText(Millivolts(p.leakRest));
  note_->setText(kept.isEmpty() ? QString()
                                : QStringLiteral("Not a value the dialog takes, so the stored one is used: ") +
                                      kept.join(QStringLiteral(", ")));
}

}  // namespace vantor
