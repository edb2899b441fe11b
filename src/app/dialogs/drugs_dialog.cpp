#include "app/dialogs/drugs_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include "app/dialogs/dialog_support.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

double ProposedConcentration(const Drug& drug) {
  if (drug.targets.empty()) return 0;
  const DrugTarget& t = drug.targets.front();
  return t.ic50 > 0 ? 10 * t.ic50 : t.fullFrom;
}

QString TargetNames(const Drug& drug) {
  QStringList names;
  for (const DrugTarget& t : drug.targets)
    names << QString::fromLatin1(ParameterSet::ShortName(t.parameter));
  names.removeDuplicates();
  return names.join(QStringLiteral(", "));
}

DrugsDialog::DrugsDialog(const std::vector<DrugDose>& doses, QWidget* parent) : QDialog(parent), doses_(doses) {
  setObjectName(QStringLiteral("DRUGS"));
  setWindowTitle(QStringLiteral("Drugs"));
  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->addWidget(new QLabel(QStringLiteral("<b>Drug</b>"), content), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("<b>Concentration</b>"), content), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("<b>Blocks</b>"), content), 0, 2);
  int r = 1;
  for (const Drug& drug : DrugTable()) {
    auto* box = new QCheckBox(QString::fromUtf8(drug.name), content);
    box->setObjectName(QStringLiteral("drug ") + QString::fromUtf8(drug.name));
    double molar = ProposedConcentration(drug);
    for (const DrugDose& d : doses)
      if (d.drug == &drug) {
        box->setChecked(true);
        molar = d.molar;
      }
    auto* field = new QLineEdit(QString::fromStdString(ConcentrationText(molar)), content);
    field->setAccessibleName(QString::fromUtf8(drug.name) + QStringLiteral(" concentration"));
    field->setToolTip(QString::fromUtf8(drug.potency));
    auto* targets = new QLabel(TargetNames(drug), content);
    targets->setToolTip(QString::fromUtf8(drug.caveats));
    grid->addWidget(box, r, 0);
    grid->addWidget(field, r, 1);
    grid->addWidget(targets, r, 2);
    rows_.push_back({&drug, box, field});
    ++r;
  }
  auto* area = new QScrollArea(this);
  area->setWidget(content);
  area->setWidgetResizable(true);
  area->setMinimumSize(content->sizeHint().width() + 30, 360);

  auto* note = new QLabel(QStringLiteral("The drugs ticked act on every run that follows, until they are washed "
                                         "out; the parameters themselves stay as they are."),
                          this);
  note->setWordWrap(true);
  auto* washOut = new QPushButton(QStringLiteral("&Wash out all"), this);
  washOut->setObjectName(QStringLiteral("washout"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("2"));
  connect(washOut, &QPushButton::clicked, this, [this] {
    for (const Row& row : rows_) row.box->setChecked(false);
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(washOut);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(area, 1);
  outer->addWidget(note);
  outer->addLayout(buttons);
}

QCheckBox* DrugsDialog::Box(const QString& name) const {
  for (const Row& row : rows_)
    if (QString::fromUtf8(row.drug->name) == name) return row.box;
  return nullptr;
}

QLineEdit* DrugsDialog::Concentration(const QString& name) const {
  for (const Row& row : rows_)
    if (QString::fromUtf8(row.drug->name) == name) return row.concentration;
  return nullptr;
}

void DrugsDialog::accept() {
  // Every ticked drug must have a concentration it can act at; the first
  // that has not is refused and nothing is taken.
  std::vector<DrugDose> doses;
  for (const Row& row : rows_) {
    if (!row.box->isChecked()) continue;
    DrugDose dose;
    const std::string text = std::string(row.drug->name) + "=" + row.concentration->text().toStdString();
    if (const std::string why = ParseDrugDose(text, dose); !why.empty()) {
      RefuseField(this, row.concentration, QString::fromStdString(why));
      return;
    }
    doses.push_back(dose);
  }
  doses_ = std::move(doses);
  QDialog::accept();
}

}  // namespace vantor
