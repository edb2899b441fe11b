// Help > Lessons: the list, and a lesson opened with its stimulus and page.
#include "app/lessons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

#include "app/main_window.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/params/messages.h"

namespace vantor::app {
namespace {

constexpr Lesson kLessons[] = {
    {"resting-ghk.vt4", "1. The resting potential and the GHK equation", 120},
    {"threshold.vt4", "2. The action potential and its threshold", 121},
    {"refractory.vt4", "3. Refractoriness with a pulse pair", 122},
    {"ttx-tea.vt4", "4. TTX and TEA on the spike", 123},
    {"clamp-iv.vt4", "5. The voltage-clamp I-V of Na and K", 124},
    {"rebound-t.vt4", "6. Rebound and the T current", 125},
};

}  // namespace

std::span<const Lesson> Lessons() { return kLessons; }

QString LessonsDirectory(const QString& dataDir) {
  const QString folder = QDir(dataDir).filePath(QStringLiteral("lessons"));
  return QFileInfo(folder).isDir() ? folder : QString();
}

void MainWindow::CommandLessons() {
  const QString folder = LessonsDirectory(dataDirectory_);
  if (folder.isEmpty()) {
    prompts_->Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   tr("The lessons folder is not in %1.").arg(QDir::toNativeSeparators(dataDirectory_)));
    return;
  }
  QDialog chooser(this);
  chooser.setObjectName(QStringLiteral("LESSONS"));
  chooser.setWindowTitle(tr("Lessons"));
  auto* list = new QListWidget(&chooser);
  for (const Lesson& lesson : Lessons()) new QListWidgetItem(QString::fromUtf8(lesson.title), list);
  list->setCurrentRow(0);
  list->setMinimumWidth(list->sizeHintForColumn(0) + 40);
  auto* open = new QPushButton(tr("&Open"), &chooser);
  open->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), &chooser);
  connect(open, &QPushButton::clicked, &chooser, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, &chooser, &QDialog::reject);
  connect(list, &QListWidget::itemActivated, &chooser, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(open);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(&chooser);
  layout->addWidget(list);
  layout->addLayout(buttons);
  if (chooser.exec() != QDialog::Accepted || list->currentRow() < 0) return;
  const Lesson& lesson = Lessons()[static_cast<std::size_t>(list->currentRow())];
  OpenLesson(QDir(folder).filePath(QString::fromLatin1(lesson.file)));
}

bool MainWindow::OpenLesson(const QString& path) {
  if (running_ || !gates_.Loaded()) return false;
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return false;
  // Open reads the lesson's stimulus (NAME.vtp) with its parameter file.
  OpenPath(path);
  if (filePath_ != path) return false;  // it could not be read; the box said why
  for (const Lesson& lesson : Lessons())
    if (QFileInfo(path).fileName() == QString::fromLatin1(lesson.file)) ShowHelpTopic(lesson.helpTopic);
  return true;
}

}  // namespace vantor::app
