// The window's side of the gate curves: Other > Gate Curves, the Model
// Editor's button, and the redraws after the table or the temperature change.
#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/model_editor.h"
#include "app/gate_window.h"
#include "app/main_window.h"

namespace vantor::app {

void MainWindow::CommandGateCurves() {
  if (!gates_.Loaded()) return;
  if (gateWindow_ == nullptr) gateWindow_ = new GateCurvesWindow(gates_, params_, *prompts_, this);
  gateWindow_->show();
  gateWindow_->raise();
  gateWindow_->activateWindow();
}

GateCurvesWindow* MainWindow::GateCurves() const { return gateWindow_; }

void MainWindow::FollowGateTable() {
  if (gateWindow_ != nullptr) gateWindow_->Follow();
}

void MainWindow::OfferGateCurves(ModelEditor& editor) {
  auto* button = new QPushButton(tr("Gate &Curves"), &editor);
  button->setObjectName(QStringLiteral("gatecurves"));
  button->setToolTip(tr("The steady states and time constants of the gates as typed here."));
  // Beside OK and Cancel, at the start of their row.
  if (auto* ok = editor.findChild<QPushButton*>(QStringLiteral("1")))
    for (QBoxLayout* row : editor.findChildren<QBoxLayout*>())
      if (row->indexOf(ok) >= 0) {
        row->insertWidget(0, button);
        break;
      }
  const auto preview = [this, &editor] {
    if (gateWindow_ == nullptr) return;
    GateTable typed = gates_;
    editor.ApplyTyped(typed);
    gateWindow_->Preview(typed);
  };
  connect(button, &QPushButton::clicked, &editor, [this, preview] {
    CommandGateCurves();
    preview();
  });
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c)
      connect(editor.Field(r, c), &QLineEdit::textChanged, &editor, preview);
}

}  // namespace vantor::app
