// Opening a dialog through a command of the real main window and acting on
// it while it is up.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include <functional>

#include "app/dialogs/modal_helpers.h"
#include "app/main_window.h"

namespace vantor::testing {

// Dispatches `command`; `act` gets the dialog it opens and must close it.
// False when no dialog came up.
inline bool WithDialog(app::MainWindow& window, int command, std::function<void(QDialog*)> act) {
  bool seen = false;
  WhenModal("QDialog", [&seen, act](QWidget* w) {
    seen = true;
    auto* dialog = static_cast<QDialog*>(w);
    act(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  window.Dispatch(command);
  return seen;
}

inline QLineEdit* FieldOf(QDialog* dialog, int index) {
  return dialog->findChild<QLineEdit*>(QString::number(1000 + index));
}

inline int FieldCount(QDialog* dialog) {
  int n = 0;
  for (QLineEdit* e : dialog->findChildren<QLineEdit*>()) {
    bool number = false;
    const int id = e->objectName().toInt(&number);
    if (number && id >= 1000 && id < 1054) ++n;
  }
  return n;
}

}  // namespace vantor::testing
