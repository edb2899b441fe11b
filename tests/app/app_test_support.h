// Helpers for the tests that drive the real main window under the offscreen
// platform: scripted answers for every box and file dialog, a private
// working directory (run records land there) and data folders.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

#include "app/main_window.h"
#include "app/user_prompts.h"

namespace vantor::testing {

struct PromptLog {
  QStringList warnings;       // "caption|text"
  QStringList saveQuestions;  // texts of the save prompt
  QStringList openDirectories;
  QStringList saveProposals;
  QStringList exportProposals;
};

// Answers from queues; an empty queue answers Cancel (and an empty name).
class ScriptedPrompts : public app::UserPrompts {
 public:
  explicit ScriptedPrompts(std::shared_ptr<PromptLog> log) : log_(std::move(log)) {}
  std::deque<app::SaveAnswer> saveAnswers;
  std::deque<QString> openNames;
  std::deque<QString> saveNames;
  std::deque<QString> exportNames;
  std::deque<QSize> pictureSizes;  // none left: the proposed size

  void Warn(const QString& caption, const QString& text) override {
    log_->warnings << caption + "|" + text;
  }
  app::SaveAnswer AskSave(const QString& text) override {
    log_->saveQuestions << text;
    return Next(saveAnswers, app::SaveAnswer::Cancel);
  }
  QString OpenFileName(const QString& directory) override {
    log_->openDirectories << directory;
    return Next(openNames, QString());
  }
  QString SaveFileName(const QString& proposed) override {
    log_->saveProposals << proposed;
    return Next(saveNames, QString());
  }
  QString ExportFileName(const QString& proposed, const QStringList&) override {
    log_->exportProposals << proposed;
    return Next(exportNames, QString());
  }
  QSize PictureSize(QSize proposed) override { return Next(pictureSizes, proposed); }

 private:
  template <typename T>
  static T Next(std::deque<T>& queue, T none) {
    if (queue.empty()) return none;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
  std::shared_ptr<PromptLog> log_;
};

// A main window with scripted prompts; `prompts` stays valid as long as it.
struct TestWindow {
  std::shared_ptr<PromptLog> log = std::make_shared<PromptLog>();
  ScriptedPrompts* prompts = nullptr;
  std::unique_ptr<app::MainWindow> window;

  explicit TestWindow(const QString& dataDir = QStringLiteral(VANTOR_BIN_DIR),
                      const QString& commandTail = QString()) {
    auto scripted = std::make_unique<ScriptedPrompts>(log);
    prompts = scripted.get();
    window = std::make_unique<app::MainWindow>(std::move(scripted));
    window->resize(900, 640);
    window->Start(dataDir, commandTail);
    window->show();
  }
  app::MainWindow* operator->() { return window.get(); }
};

// Settings and run records stay out of the user's folders and the build.
// The scratch folder is the temporary folder too, where the window makes
// its private record folder.
inline void UseScratchWorkingDirectory(QTemporaryDir& dir) {
  QStandardPaths::setTestModeEnabled(true);
  QVERIFY(dir.isValid());
  QVERIFY(QDir::setCurrent(dir.path()));
  qputenv("TMPDIR", QFile::encodeName(dir.path()));
}

// The run records anywhere under the scratch folder.
inline QStringList RecordFiles() {
  QStringList names;
  QDirIterator it(QDir::currentPath(), {QStringLiteral("VTW*.TMP")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) names << QFileInfo(it.next()).fileName();
  return names;
}

// A data folder with the shipped start-up files, less those named.
inline QString DataFolderWithout(QTemporaryDir& dir, const QStringList& leaveOut) {
  for (const char* name : {"VANTOR.mnx", "VANTORW.INI", "vmodels.val"}) {
    if (leaveOut.contains(QString::fromLatin1(name))) continue;
    QFile::copy(QStringLiteral(VANTOR_BIN_DIR "/") + name, dir.filePath(QString::fromLatin1(name)));
  }
  return dir.path() + "/";
}

inline QString ExampleFile(const char* name) {
  return QStringLiteral(VANTOR_SOURCE_DIR "/data/examples/") + QString::fromLatin1(name);
}

}  // namespace vantor::testing
