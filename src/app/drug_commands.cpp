// The blockers in the bath: the Drugs dialog, the washout and what the runs
// and the status bar say of them. Each run applies them to its own copy of
// the parameters, so the user's values never change.
#include <QLabel>
#include <QStatusBar>

#include "app/dialogs/drugs_dialog.h"
#include "app/main_window.h"

namespace vantor::app {

void MainWindow::CommandDrugs() {
  DrugsDialog dialog(drugs_, this);
  if (dialog.exec() == QDialog::Accepted) SetDrugs(dialog.Doses());
}

void MainWindow::CommandWashOut() { SetDrugs({}); }

void MainWindow::SetDrugs(std::vector<DrugDose> doses) {
  drugs_ = std::move(doses);
  if (drugsShown_ == nullptr) {
    drugsShown_ = new QLabel(this);
    drugsShown_->setObjectName(QStringLiteral("DrugsShown"));
    statusBar()->addPermanentWidget(drugsShown_);
  }
  drugsShown_->setText(drugs_.empty() ? QString()
                                      : tr("Next run with %1").arg(QString::fromStdString(DrugSummary(drugs_))));
}

QString MainWindow::RunLabelWithDrugs(const QString& label) const {
  if (drugs_.empty()) return label;
  const QString drugs = QString::fromStdString(DrugSummary(drugs_));
  return label.isEmpty() ? drugs : label + QStringLiteral(", ") + drugs;
}

}  // namespace vantor::app
