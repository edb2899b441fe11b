// New, Open, Save and Save as of the main window.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/data_paths.h"
#include "app/main_window.h"
#include "app/picture_view.h"
#include "vantor/params/parameter_file.h"
#include "vantor/render/replay.h"

namespace vantor::app {
namespace {

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void MainWindow::CommandNew() {
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return;
  filePath_.clear();
  fileTitle_.clear();
  UpdateTitle();
  flags_.stop = true;  // ends a run in progress
  unsaved_ = false;
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
  const QString start = OpenStartDirectory();
  filePath_.clear();  // a cancelled dialog leaves the title without a path
  const QString name = prompts_->OpenFileName(start);
  if (name.isEmpty()) {
    UpdateTitle();
    DropPicture();
    unsaved_ = false;
    return;
  }
  OpenPath(name);
}

void MainWindow::OpenPath(const QString& path) {
  filePath_ = path;
  fileTitle_ = QFileInfo(path).fileName();
  // Read into a copy: a file that breaks off half way must not leave the
  // parameters half replaced.
  ParameterSet read = params_;
  if (ReadParameterFile(FileSystemPath(path), read, messages_)) {
    params_ = read;
    lastDirectory_ = QFileInfo(path).absolutePath();
  } else {
    WarnWithTitle("Could not read file %s!");
    filePath_.clear();
    fileTitle_.clear();
  }
  UpdateTitle();
  DropPicture();
  unsaved_ = false;
}

bool MainWindow::CommandSave() {
  if (filePath_.isEmpty()) return CommandSaveAs();
  if (!WriteParameterFile(FileSystemPath(filePath_), params_, messages_)) {
    WarnWithTitle("Could not write file %s");
    return false;
  }
  unsaved_ = false;
  return true;
}

bool MainWindow::CommandSaveAs() {
  QString proposed = QFileInfo(filePath_).fileName();
  const QString directory = !filePath_.isEmpty()     ? QFileInfo(filePath_).absolutePath()
                            : !lastDirectory_.isEmpty() ? lastDirectory_
                                                        : QDir::currentPath();
  const QString name = prompts_->SaveFileName(QDir(directory).filePath(proposed));
  if (name.isEmpty()) return false;
  filePath_ = name;
  fileTitle_ = QFileInfo(name).fileName();
  UpdateTitle();
  if (!WriteParameterFile(FileSystemPath(filePath_), params_, messages_)) {
    WarnWithTitle("Could not write file %s");
    return false;
  }
  lastDirectory_ = QFileInfo(name).absolutePath();
  unsaved_ = false;
  return true;
}

}  // namespace vantor::app
