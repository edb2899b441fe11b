// The commands whose work lies in the dialogs, editors, printing and the
// clipboard. Each is one small entry point; the state they need is reached
// through MainWindow's accessors (Parameters(), Gates(), Prefs(),
// PictureState(), SetUnsaved(), SetExtendedMode(), RedrawPicture() ...).
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/data_paths.h"
#include "app/dialogs/about_box.h"
#include "app/dialogs/comment_dialog.h"
#include "app/dialogs/layout_editor.h"
#include "app/dialogs/model_editor.h"
#include "app/help_window.h"
#include "app/dialogs/parameter_dialog.h"
#include "app/dialogs/preferences_dialog.h"
#include "app/main_window.h"
#include "app/nwb_export.h"
#include "app/picture_view.h"
#include "app/print_copy.h"

namespace vantor::app {
namespace {

// The dialogs report a change through a plain flag; the window keeps its own.
class UnsavedFlag {
 public:
  explicit UnsavedFlag(MainWindow& window) : window_(window), flag(window.Unsaved()) {}
  ~UnsavedFlag() { window_.SetUnsaved(flag); }

 private:
  MainWindow& window_;

 public:
  bool flag;
};

}  // namespace

void MainWindow::CommandPrint() {
  if (NoPicture()) {
    WarnWithTitle("Nothing to print!");
    return;
  }
  if (!PrintPicture()) WarnWithTitle("Could not print file %s");
}

bool MainWindow::PrintPicture() {
  // Prompts that can also pick a printer (tests print to a PDF file) do;
  // otherwise the platform's print dialog asks.
  PrintDialogChooser dialog;
  auto* scripted = dynamic_cast<PrinterChooser*>(&Prompts());
  PrinterChooser& chooser = scripted != nullptr ? *scripted : dialog;
  ZoomScope zoom(PictureState(), PictureParameters(), Zoom());
  return PrintPlot(this, PictureState(), zoom.Params(), TitleOrUntitled(), chooser, ErrorBoxes(),
                   View()->size());
}

void MainWindow::CommandCopy() {
  if (NoPicture() || Running()) return;
  // At the size of the picture on screen, in the image's own pixels.
  const QSize size = View()->Image().isNull() ? View()->WantedImageSize() : View()->Image().size();
  // The picture as zoomed, the samples of the runs whole.
  const QString samples = SamplesAsText(PictureState(), PictureParameters());
  ZoomScope zoom(PictureState(), PictureParameters(), Zoom());
  CopyPlotToClipboard(this, PictureState(), zoom.Params(), size, ErrorBoxes(), &samples);
}

namespace {

// Where an export is proposed: the parameter file's folder and name with
// the export's extension, or the last folder used.
QString ExportProposal(const QString& filePath, const QString& directory, const QString& extension) {
  const QString base = filePath.isEmpty() ? QStringLiteral("vantor") : QFileInfo(filePath).completeBaseName();
  const QString folder = !filePath.isEmpty() ? QFileInfo(filePath).absolutePath()
                         : !directory.isEmpty() ? directory
                                                : QDir::currentPath();
  return QDir(folder).filePath(base + QLatin1Char('.') + extension);
}

}  // namespace

void MainWindow::CommandExportPicture() {
  if (NoPicture() || Running()) return;
  const QString path = Prompts().ExportFileName(
      ExportProposal(FilePath(), lastDirectory_, QStringLiteral("png")),
      {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)"),
       QStringLiteral("PDF document (*.pdf)")});
  if (path.isEmpty()) return;
  const QSize shown = View()->Image().isNull() ? View()->WantedImageSize() : View()->Image().size();
  const QSize size = Prompts().PictureSize(shown);
  if (!size.isValid()) return;  // cancelled
  QString error;
  if (size.width() < kLeastPictureSide || size.height() < kLeastPictureSide || size.width() > kGreatestPictureSide ||
      size.height() > kGreatestPictureSide) {
    Prompts().Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   QStringLiteral("Could not export the picture to %1: each side must be %2 to %3 pixels.")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(kLeastPictureSide)
                       .arg(kGreatestPictureSide));
    return;
  }
  bool exported = false;
  {
    ZoomScope zoom(PictureState(), PictureParameters(), Zoom());
    exported = ExportPicture(PictureState(), zoom.Params(), path, size, ErrorBoxes(), error);
  }
  if (!exported)
    Prompts().Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   QStringLiteral("Could not export the picture to %1: %2.").arg(QDir::toNativeSeparators(path), error));
}

void MainWindow::CommandExportSamples() {
  if (NoPicture() || Running()) return;
  const QString path = Prompts().ExportFileName(
      ExportProposal(FilePath(), lastDirectory_, QStringLiteral("csv")),
      {QStringLiteral("Comma-separated values (*.csv)")});
  if (path.isEmpty()) return;
  QStringList written;
  QString error;
  if (!ExportSamples(PictureState(), PictureParameters(), path, written, error))
    Prompts().Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   QStringLiteral("Could not export the samples: %1.").arg(error));
}

void MainWindow::CommandExportNwb() {
  if (NoPicture() || Running()) return;
  const QString path = Prompts().ExportFileName(ExportProposal(FilePath(), lastDirectory_, QStringLiteral("nwb")),
                                                {QStringLiteral("NWB file (*.nwb)")});
  if (path.isEmpty()) return;
  QString error;
  if (!ExportNwb(PictureState(), PictureParameters(), Gates(), path, error))
    Prompts().Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   QStringLiteral("Could not export the runs to %1: %2.").arg(QDir::toNativeSeparators(path), error));
}

void MainWindow::CommandPreferences() {
  const uint32_t before = Prefs().Colour(Preferences::BackgroundColour);
  RunPreferencesDialog();
  FillPictureBackground();
  RedrawPicture();
  const uint32_t after = Prefs().Colour(Preferences::BackgroundColour);
  SetExtendedMode(ExtendedModeAfterPreferences(ExtendedMode(), before, after, GateTableLoaded()));
}

void MainWindow::RunPreferencesDialog() {
  // Save goes where the user's settings live: the program's own folder is
  // often not writable, and start-up reads this file after the shipped one.
  const QString userFile = UserPreferencesFile();
  vantor::RunPreferencesDialog(Prefs(), ErrorBoxes(), this,
                               userFile.isEmpty() ? QStringLiteral("VANTORW.INI") : userFile);
}

void MainWindow::CommandComment() {
  UnsavedFlag unsaved(*this);
  RunCommentDialog(Parameters(), unsaved.flag, this);
}

void MainWindow::CommandParameterGroup(int row) {
  UnsavedFlag unsaved(*this);
  ParameterDialog dialog(Parameters(), row, unsaved.flag,
                         [this](int context) { ShowHelpTopic(context); }, this);
  dialog.exec();
  FollowGateTable();
}

void MainWindow::CommandSynapticCurrents() { CommandParameterGroup(ExtendedMode() ? 4 : 2); }

void MainWindow::CommandScreenScaling() {
  {
    UnsavedFlag unsaved(*this);
    RunLayoutEditor(Parameters(), unsaved.flag, this);
  }
  // The layout is how the picture is drawn, not what its run was: the
  // picture shown takes it at once.
  ApplyLayoutToPicture();
  RedrawPicture();
}

void MainWindow::CommandEditModel() {
  ModelEditorHooks hooks;
  hooks.save = [this](const GateTable& table, bool asNew) { return SaveGates(table, asNew); };
  hooks.saved = [this]() -> std::optional<GateTable> { return savedGates_; };
  hooks.help = [this] { ShowHelpTopic(kModelEditorTopic); };
  ModelEditor editor(Gates(), this, std::move(hooks));
  OfferGateCurves(editor);
  editor.exec();
  FollowGateTable();
}

bool MainWindow::SaveGates(const GateTable& table, bool asNew) {
  const QString caption = QString::fromLatin1(kShellCaption.data(), kShellCaption.size());
  QString path = gateFile_;
  const QString shipped = DataDirectory() + QStringLiteral("vmodels.val");
  const auto same = [](const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
           (QFileInfo::exists(a) && QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath());
  };
  if (!asNew && !path.isEmpty() && same(path, shipped)) {
    // The program's own table is kept unless the user says otherwise.
    const SaveAnswer answer = Prompts().AskSave(
        QStringLiteral("%1 is the gate table that came with the program. Overwrite it? "
                       "(No saves the table under another name.)")
            .arg(QDir::toNativeSeparators(path)));
    if (answer == SaveAnswer::Cancel) return false;
    if (answer == SaveAnswer::No) asNew = true;
  }
  if (asNew || path.isEmpty()) {
    const QString folder = lastDirectory_.isEmpty() ? QDir::homePath() : lastDirectory_;
    path = Prompts().ExportFileName(QDir(folder).filePath(QStringLiteral("vmodels.val")),
                                    {QStringLiteral("Gate tables (*.val)")});
    if (path.isEmpty()) return false;
  }
  // A table goes into a file of its own, never onto a device or a folder.
  if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
    Prompts().Warn(caption, QStringLiteral("Could not write file %1\n%2: it is not a plain file.")
                                .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path)));
    return false;
  }
  if (!vantor::SaveGateTable(QFile::encodeName(path).toStdString(), table)) {
    Prompts().Warn(caption, QStringLiteral("Could not write file %1\n%2: %3.")
                                .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path),
                                     WriteFailureReason(path)));
    return false;
  }
  gateFile_ = path;
  savedGates_ = table;
  return true;
}

void MainWindow::CommandAbout() { RunAboutBox(this); }

}  // namespace vantor::app
