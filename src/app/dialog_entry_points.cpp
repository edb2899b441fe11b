// The commands whose work lies in the dialogs, editors, printing and the
// clipboard. Each is one small entry point; the state they need is reached
// through MainWindow's accessors (Parameters(), Gates(), Prefs(),
// PictureState(), SetUnsaved(), SetExtendedMode(), RedrawPicture() ...).
#include <QMessageBox>

#include "app/main_window.h"
#include "app/picture_view.h"

namespace vantor::app {

void MainWindow::CommandPrint() {
  if (NoPicture()) {
    WarnWithTitle("Nothing to print!");
    return;
  }
  if (!PrintPicture()) WarnWithTitle("Could not print file %s");
}

bool MainWindow::PrintPicture() {
  // Printing comes with the print dialog; until then nothing is sent.
  return true;
}

void MainWindow::CommandCopy() {
  // The clipboard copy of the picture.
}

void MainWindow::CommandPreferences() {
  const int32_t before = Prefs().values[Preferences::BackgroundColour];
  RunPreferencesDialog();
  FillPictureBackground();
  RedrawPicture();
  const int32_t after = Prefs().values[Preferences::BackgroundColour];
  if (after == kExtendedModeColour) SetExtendedMode(true);
  if (before == kExtendedModeColour && after != kExtendedModeColour) SetExtendedMode(false);
  if (!GateTableLoaded()) SetExtendedMode(false);
}

void MainWindow::RunPreferencesDialog() {
  // The Preferences dialog.
}

void MainWindow::CommandComment() {
  // The Comment dialog.
}

void MainWindow::CommandParameterGroup(int row) {
  // The parameter dialog of group `row`.
  (void)row;
}

void MainWindow::CommandSynapticCurrents() { CommandParameterGroup(ExtendedMode() ? 4 : 2); }

void MainWindow::CommandScreenScaling() {
  // The Layout Editor, then a full redraw.
  RedrawPicture();
}

void MainWindow::CommandEditModel() {
  // The Model Editor.
}

void MainWindow::CommandAbout() {
  QMessageBox::about(this, tr("About Vantor"),
                     tr("<p><b>Vantor</b> %1</p><p>A simulator of one nerve cell under current "
                        "clamp.</p>")
                         .arg(QStringLiteral(VANTOR_VERSION)));
}

}  // namespace vantor::app
