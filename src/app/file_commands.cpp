// New, Open, Save and Save as of the main window.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "app/data_paths.h"
#include "app/dialogs/field_text.h"
#include "app/main_window.h"
#include "app/picture_view.h"
#include "vantor/params/parameter_file.h"
#include "vantor/render/replay.h"

namespace vantor::app {
namespace {

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString ShellCaption() { return QString::fromLatin1(kShellCaption.data(), kShellCaption.size()); }

}  // namespace

bool MainWindow::ReadParameters(const QString& path, ParameterSet& into, const char* heading) {
  // The reader's own boxes are gathered: a file that fails gets one box
  // naming the file, the line and the reason; one that reads still shows
  // what was said about its companion file.
  CollectedMessages said;
  ParameterFileFailure failure;
  if (ReadParameterFile(FileSystemPath(path), into, said, &failure)) {
    for (const auto& entry : said.entries) messages_.Warn(entry.caption, entry.text);
    return true;
  }
  const QString where = failure.line > 0
                            ? QStringLiteral("%1, line %2").arg(QDir::toNativeSeparators(path)).arg(failure.line)
                            : QDir::toNativeSeparators(path);
  prompts_->Warn(ShellCaption(), QString::fromLatin1(heading).arg(QFileInfo(path).fileName()) +
                                     QStringLiteral("\n%1: %2.").arg(where, FromCp437(failure.reason)));
  return false;
}

bool MainWindow::WriteParameters(const QString& path) {
  CollectedMessages said;
  if (WriteParameterFile(FileSystemPath(path), params_, said)) return WriteCompanion(path);
  QString text = QStringLiteral("Could not write file %1\n%2: %3.")
                     .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path),
                          WriteFailureReason(path));
  for (const auto& entry : said.entries) text += QLatin1Char('\n') + FromCp437(entry.text);
  prompts_->Warn(ShellCaption(), text);
  return false;
}

void MainWindow::CommandNew() {
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return;
  filePath_.clear();
  fileTitle_.clear();
  UpdateTitle();
  flags_.stop = true;  // ends a run in progress
  SetUnsaved(false);
  DropPicture();
}

QString MainWindow::OpenStartDirectory() const {
  if (!lastDirectory_.isEmpty()) return lastDirectory_;
  if (!filePath_.isEmpty()) return QFileInfo(filePath_).absolutePath();
  const QString examples = ExamplesDirectory(dataDirectory_);
  return examples.isEmpty() ? QDir::currentPath() : examples;
}

void MainWindow::CommandOpen() {
  // Guarded here too: a drop or a script may call it outside the menu.
  if (running_ || !gates_.Loaded()) return;
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return;
  // A cancelled dialog leaves the window as it was.
  const QString name = prompts_->OpenFileName(OpenStartDirectory());
  if (name.isEmpty()) return;
  OpenPath(name);
}

void MainWindow::OpenPath(const QString& path) {
  // Read into a copy: a file that breaks off half way must not leave the
  // parameters half replaced. A file that cannot be read leaves the window
  // as it was: the file name, the picture and the unsaved mark.
  ParameterSet read = params_;
  if (!ReadParameters(path, read, "Could not read file %1!")) return;
  RememberForUndo(StepNow(true));  // Undo brings back the values and the file they were of
  UpdateMenuState();
  params_ = read;
  ReadCompanion(path);
  lastDirectory_ = QFileInfo(path).absolutePath();
  filePath_ = path;
  fileTitle_ = QFileInfo(path).fileName();
  SetUnsaved(false);
  UpdateTitle();
  DropPicture();
  RememberRecent(path);
  FollowGateTable();
}

void MainWindow::CommandRevert() {
  if (running_ || !gates_.Loaded()) return;
  if (filePath_.isEmpty()) {
    prompts_->Warn(ShellCaption(), tr("There is no saved file to revert to: the parameters were never saved "
                                      "or read from a file."));
    return;
  }
  // Yes reverts; No and Cancel keep the changes.
  if (unsaved_ && prompts_->AskSave(tr("Revert to %1 as saved and lose the changes made since?").arg(fileTitle_)) !=
                      SaveAnswer::Yes)
    return;
  OpenPath(filePath_);
}

void MainWindow::CommandResetParameters() {
  const ParameterSet builtIn;
  bool changed = false;
  for (int k = 0; k < kParameterCount; ++k) {
    if (params_.Value(k) == builtIn.Value(k)) continue;
    params_.SetValue(k, builtIn.Value(k));
    changed = true;
  }
  if (changed) SetUnsaved(true);
  FollowGateTable();
  statusBar()->showMessage(changed ? tr("Every parameter has its built-in value; the next run takes them.")
                                   : tr("Every parameter already has its built-in value."),
                           4000);
}

void MainWindow::OpenRecent(const QString& path) {
  if (running_ || !gates_.Loaded()) return;
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return;
  OpenPath(path);
}

namespace {
constexpr int kRecentCount = 8;
const QString kRecentKey = QStringLiteral("files/recent");
}  // namespace

QStringList MainWindow::RecentFiles() const { return QSettings().value(kRecentKey).toStringList(); }

void MainWindow::RememberRecent(const QString& path) {
  QStringList recent = RecentFiles();
  const QString full = QFileInfo(path).absoluteFilePath();
  recent.removeAll(full);
  recent.prepend(full);
  while (recent.size() > kRecentCount) recent.removeLast();
  QSettings().setValue(kRecentKey, recent);
}

void MainWindow::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList recent = RecentFiles();
  if (recent.isEmpty()) recentMenu_->addAction(tr("(no recent files)"))->setEnabled(false);
  for (int i = 0; i < recent.size(); ++i) {
    const QString path = recent[i];
    QAction* action = recentMenu_->addAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QString(QFileInfo(path).fileName()).replace('&', "&&")));
    action->setToolTip(QDir::toNativeSeparators(path));
    action->setEnabled(!running_ && gates_.Loaded());
    connect(action, &QAction::triggered, this, [this, path] { OpenRecent(path); });
  }
}

bool MainWindow::CommandSave() {
  if (filePath_.isEmpty()) return CommandSaveAs();
  if (!WriteParameters(filePath_)) return false;
  SetUnsaved(false);
  UpdateTitle();
  return true;
}

bool MainWindow::CommandSaveAs() {
  QString proposed = QFileInfo(filePath_).fileName();
  const QString directory = !filePath_.isEmpty()     ? QFileInfo(filePath_).absolutePath()
                            : !lastDirectory_.isEmpty() ? lastDirectory_
                                                        : QDir::currentPath();
  const QString name = prompts_->SaveFileName(QDir(directory).filePath(proposed));
  if (name.isEmpty()) return false;
  // The window takes the new name only once the file holds the parameters.
  if (!WriteParameters(name)) return false;
  filePath_ = name;
  fileTitle_ = QFileInfo(name).fileName();
  lastDirectory_ = QFileInfo(name).absolutePath();
  RememberRecent(name);
  SetUnsaved(false);
  UpdateTitle();
  return true;
}

}  // namespace vantor::app
