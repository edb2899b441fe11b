// New, Open, Save, Save as and drops in the real window, with the save
// prompt's answers scripted.
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QTimer>
#include <QToolBar>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "app/data_paths.h"
#include "app/menu_table.h"
#include "app_test_support.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

class FileCommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

  static void Drop(MainWindow& w, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    QCoreApplication::processEvents();
  }

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void newWithCancelChangesNothing() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), ExampleFile("default.vt4"));
    QTRY_VERIFY_WITH_TIMEOUT(w->RunsStarted() == 1 && !w->Running(), 5000);
    w->Parameters().SetValue(param::gNa, 77);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::Cancel};
    w->Dispatch(cmd::New);
    QCOMPARE(w.log->saveQuestions, QStringList{QStringLiteral("Save current changes in default.vt4?")});
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - default.vt4 *"));  // still unsaved
    QVERIFY(!w->NoPicture());
    QVERIFY(w->Unsaved());
    QCOMPARE(RecordFiles().size(), 1);
  }

  void newWithNoClearsTitleAndPictureButKeepsValues() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), ExampleFile("default.vt4"));
    QTRY_VERIFY_WITH_TIMEOUT(w->RunsStarted() == 1 && !w->Running(), 5000);
    w->Parameters().SetValue(param::gNa, 77);
    w->SetUnsaved(true);
    const ParameterSet before = w->Parameters();
    w.prompts->saveAnswers = {SaveAnswer::No};
    w->Dispatch(cmd::New);
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    QVERIFY(w->FilePath().isEmpty());
    QVERIFY(w->NoPicture());
    QVERIFY(!w->Unsaved());
    QVERIFY(w->Parameters() == before);
    QCOMPARE(RecordFiles(), QStringList());
  }

  // The title marks unsaved changes, and a Save takes the mark away.
  void titleMarksUnsavedChanges() {
    const QString path = work_.filePath(QStringLiteral("marked.vt4"));
    TestWindow w;
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    w->SetUnsaved(true);
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled) *"));
    w.prompts->saveNames = {path};
    QVERIFY(w->CommandSave());
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - marked.vt4"));
  }

  void saveAsThenOpenRestoresTheParameters() {
    const QString path = work_.filePath(QStringLiteral("mine.vt4"));
    TestWindow w;
    w->Parameters().SetValue(param::gK, 3.25f);
    w->Parameters().SetComment("Saved and read back");
    w->SetUnsaved(true);
    w.prompts->saveNames = {path};
    QVERIFY(w->CommandSaveAs());
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - mine.vt4"));
    QVERIFY(!w->Unsaved());
    const ParameterSet saved = w->Parameters();

    w->Parameters().SetValue(param::gK, 9);
    w->Parameters().SetComment("changed");
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::No};
    w.prompts->openNames = {path};
    w->Dispatch(cmd::Open);
    QCOMPARE(w->Parameters().Value(param::gK), 3.25f);
    QCOMPARE(w->Parameters().Comment(), std::string("Saved and read back"));
    // Values come back as the file writes them (a few significant digits).
    for (int k = 0; k < kParameterCount; ++k)
      QVERIFY2(std::abs(w->Parameters().Value(k) - saved.Value(k)) <= 1e-5f * std::abs(saved.Value(k)),
               qPrintable(QString::number(k)));
    for (int i = 0; i < 21; ++i) QVERIFY2(w->Parameters().Trace(i) == saved.Trace(i), qPrintable(QString::number(i)));
    QVERIFY(!w->Unsaved());
    QCOMPARE(w->FilePath(), path);
    // Open starts where the last file was.
    QCOMPARE(w.log->openDirectories.last(), work_.path());
  }

  // Revert reads the file again (asking first over unsaved changes), Reset
  // takes the built-in values, and the recent list reopens a file.
  void revertResetAndRecentFiles() {
    const QString path = work_.filePath(QStringLiteral("revert.vt4"));
    TestWindow w;
    w->Dispatch(cmd::Revert);  // never saved: one box, nothing changes
    QCOMPARE(w.log->warnings.size(), 1);
    QVERIFY(w.log->warnings[0].contains("no saved file"));
    w->Parameters().SetValue(param::gK, 3.25f);
    w.prompts->saveNames = {path};
    QVERIFY(w->CommandSaveAs());
    QCOMPARE(w->RecentFiles().value(0), QFileInfo(path).absoluteFilePath());

    w->Parameters().SetValue(param::gK, 9);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::No};  // keep the changes
    w->Dispatch(cmd::Revert);
    QCOMPARE(w->Parameters().Value(param::gK), 9.0f);
    w.prompts->saveAnswers = {SaveAnswer::Yes};
    w->Dispatch(cmd::Revert);
    QCOMPARE(w->Parameters().Value(param::gK), 3.25f);
    QVERIFY(!w->Unsaved());

    w->Dispatch(cmd::ResetParameters);
    QCOMPARE(w->Parameters().Value(param::gK), ParameterSet().Value(param::gK));
    QVERIFY(w->Unsaved());
    QCOMPARE(w->FilePath(), path);  // the file name stays

    w.prompts->saveAnswers = {SaveAnswer::No};
    w->CommandNew();
    w->OpenRecent(w->RecentFiles().value(0));
    QCOMPARE(w->FilePath(), path);
    QCOMPARE(w->Parameters().Value(param::gK), 3.25f);
  }

  // Undo takes a change back and Redo does it again; a run changes nothing
  // to take back, and a new change forgets what Redo had.
  void undoAndRedoParameterChanges() {
    TestWindow w;
    QVERIFY(!w->Action(cmd::Undo)->isEnabled());
    w->Parameters().SetValue(param::gK, 9);
    w->Dispatch(cmd::ResetParameters);
    QCOMPARE(w->UndoDepth(), std::size_t{1});
    QVERIFY(w->Action(cmd::Undo)->isEnabled());
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->UndoDepth(), std::size_t{1});
    w->Dispatch(cmd::Undo);
    QCOMPARE(w->Parameters().Value(param::gK), 9.0f);
    QVERIFY(w->Unsaved());
    QVERIFY(w->Action(cmd::RedoChange)->isEnabled());
    w->Dispatch(cmd::RedoChange);
    QCOMPARE(w->Parameters().Value(param::gK), ParameterSet().Value(param::gK));
    w->Dispatch(cmd::Undo);
    w->Dispatch(cmd::ResetParameters);
    QVERIFY(!w->Action(cmd::RedoChange)->isEnabled());
    w->Dispatch(cmd::ResetParameters);  // nothing changes: nothing to take back
    QCOMPARE(w->UndoDepth(), std::size_t{1});
  }

  // Open and Revert can be taken back: the values, the file's name and the
  // unsaved mark as they were before.
  void undoTakesOpenAndRevertBack() {
    TestWindow w;
    w->Parameters().SetValue(param::gK, 9);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::No};
    w.prompts->openNames = {ExampleFile("h-sag.vt4")};
    w->Dispatch(cmd::Open);
    QCOMPARE(w->FileTitle(), QStringLiteral("h-sag.vt4"));
    const float opened = w->Parameters().Value(param::gH);
    QVERIFY(!w->Unsaved());
    w->Dispatch(cmd::Undo);
    QCOMPARE(w->Parameters().Value(param::gK), 9.0f);
    QVERIFY(w->FilePath().isEmpty());
    QVERIFY(w->Unsaved());
    QVERIFY(w->windowTitle().endsWith(" *"));
    w->Dispatch(cmd::RedoChange);
    QCOMPARE(w->FileTitle(), QStringLiteral("h-sag.vt4"));
    QCOMPARE(w->Parameters().Value(param::gH), opened);
    QVERIFY(!w->Unsaved());

    w->Parameters().SetValue(param::gH, opened * 2);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::Yes};
    w->Dispatch(cmd::Revert);
    QCOMPARE(w->Parameters().Value(param::gH), opened);
    w->Dispatch(cmd::Undo);
    QCOMPARE(w->Parameters().Value(param::gH), opened * 2);
    QVERIFY(w->Unsaved());
    QCOMPARE(w->FileTitle(), QStringLiteral("h-sag.vt4"));
  }

  void toolbarFollowsTheMenuRules() {
    TestWindow w;
    QToolBar* bar = w->findChild<QToolBar*>(QStringLiteral("Toolbar"));
    QVERIFY(bar != nullptr);
    QStringList texts;
    for (QAction* a : bar->actions()) texts << a->text();
    QCOMPARE(texts, (QStringList{"Begin", "Overlay", "Stop", "Open", "Save", "Export"}));
    QVERIFY(bar->actions()[0]->isEnabled());
    QVERIFY(!bar->actions()[1]->isEnabled());  // no picture to overlay yet
    QVERIFY(!bar->actions()[2]->isEnabled());
    bar->actions()[0]->trigger();
    QCOMPARE(w->RunsStarted(), 1);
    QVERIFY(bar->actions()[1]->isEnabled() && bar->actions()[5]->isEnabled());
  }

  void firstOpenStartsInTheExamples() {
    TestWindow w;
    w->Dispatch(cmd::Open);  // cancelled
    QCOMPARE(w.log->openDirectories.size(), 1);
    QCOMPARE(w.log->openDirectories.first(), ExamplesDirectory(QStringLiteral(VANTOR_BIN_DIR "/")));
    QVERIFY(w.log->openDirectories.first().endsWith(QStringLiteral("/examples")));
  }

  // The open dialog's first filter shows what the folder holds: the shipped
  // examples are all version 4 files.
  void openDialogShowsTheFilesOfItsFolder() {
    const QStringList filters = ParameterFileFilters();
    const QString examples = ExamplesDirectory(QStringLiteral(VANTOR_BIN_DIR "/"));
    QCOMPARE(OpenFilterFor(examples), filters[1]);
    QTemporaryDir mixed;
    for (const char* name : {"a.vts", "b.VT4", "notes.txt"}) {
      QFile file(mixed.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(OpenFilterFor(mixed.path()), filters[2]);
    QTemporaryDir empty;
    QCOMPARE(OpenFilterFor(empty.path()), filters[0]);

    // The platform dialog itself starts with that filter.
    QtPrompts prompts(nullptr);
    QString shown;
    QTimer::singleShot(0, [&shown] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      shown = dialog->selectedNameFilter();
      dialog->reject();
    });
    QVERIFY(prompts.OpenFileName(examples).isEmpty());
    QCOMPARE(shown, filters[1]);
  }

  void saveWithoutPathCancelledCountsAsCancel() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::Yes};  // then the Save as dialog is cancelled
    w->Dispatch(cmd::New);
    QCOMPARE(w.log->saveProposals.size(), 1);
    QVERIFY(!w->NoPicture());  // New was abandoned
    QVERIFY(w->Unsaved());
  }

  void saveThatCannotWriteReportsAndKeepsThePrompt() {
    TestWindow w;
    w.prompts->saveNames = {QStringLiteral("/no/such/dir/x.vt4")};
    QVERIFY(!w->CommandSaveAs());
    QCOMPARE(w.log->warnings, QStringList{QStringLiteral(
                                  "VTWin|Could not write file x.vt4\n/no/such/dir/x.vt4: "
                                  "the folder /no/such/dir does not exist.")});
    QVERIFY(w->FilePath().isEmpty());  // the name that was not written is not taken up
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::Yes};
    QVERIFY(!w->close());  // the failed Save counts as Cancel
  }

  void saveAsAddsTheDefaultExtension() {
    QCOMPARE(WithDefaultExtension(QStringLiteral("/tmp/a")), QStringLiteral("/tmp/a.vts"));
    QCOMPARE(WithDefaultExtension(QStringLiteral("/tmp/a.vt4")), QStringLiteral("/tmp/a.vt4"));
    QCOMPARE(ParameterFileFilters().size(), 3);
    QCOMPARE(ParameterFileFilters().first(), QStringLiteral("Vantor v.3 Files (*.vts *.VTS)"));
  }

  void aFileThatFailsGetsOneBoxAndTheWindowStaysAsItWas() {
    const QString cut = work_.filePath(QStringLiteral("cut.vt4"));
    QFile source(ExampleFile("synaptic-trains.vt4"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    const auto write = [](const QString& path, const QByteArray& bytes) {
      QFile out(path);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(bytes);
    };
    write(cut, whole.left(whole.indexOf("\n", 300)));  // ends after a value and its prompt
    const QString bad = work_.filePath(QStringLiteral("bad.vt4"));
    QByteArray lines = whole;
    lines.replace(lines.indexOf("\n") + 1, 2, "x?");  // line 2 no longer a number
    write(bad, lines);
    const QString noise = work_.filePath(QStringLiteral("noise.vt4"));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i) bytes.append(static_cast<char>((i * 7919) & 0xFF));
    write(noise, bytes);
    const QString empty = work_.filePath(QStringLiteral("empty.vt4"));
    write(empty, {});

    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), ExampleFile("default.vt4"));
    QTRY_VERIFY_WITH_TIMEOUT(w->RunsStarted() == 1 && !w->Running(), 5000);
    w->Parameters().SetValue(param::gNa, 77);
    w->SetUnsaved(true);
    const ParameterSet before = w->Parameters();
    const QStringList names = {cut, bad, noise, empty, work_.path(), QStringLiteral("/dev/zero")};
    for (const QString& name : names) {
      w.prompts->saveAnswers = {SaveAnswer::No};
      w.prompts->openNames = {name};
      w->Dispatch(cmd::Open);
      QVERIFY2(w->Parameters() == before, qPrintable(name));
      QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - default.vt4 *"));
      QCOMPARE(w->FilePath(), ExampleFile("default.vt4"));
      QVERIFY(!w->NoPicture());
      QVERIFY(w->Unsaved());
    }
    QCOMPARE(w.log->warnings.size(), names.size());  // one box per file
    const QString cutBox = w.log->warnings[0];
    QVERIFY2(cutBox.startsWith(QStringLiteral("VTWin|Could not read file cut.vt4!\n") + cut + ", line "),
             qPrintable(cutBox));
    QVERIFY2(cutBox.contains(QStringLiteral("cut short")), qPrintable(cutBox));
    QCOMPARE(w.log->warnings[1], QStringLiteral("VTWin|Could not read file bad.vt4!\n") + bad +
                                     ", line 2: the value of Trial duration is not a number.");
    QVERIFY2(w.log->warnings[3].endsWith(QStringLiteral(", line 1: the file is empty.")),
             qPrintable(w.log->warnings[3]));
    QVERIFY2(w.log->warnings[4].endsWith(QStringLiteral(": it is a folder, not a file.")),
             qPrintable(w.log->warnings[4]));
    // A cancelled Open changes nothing either.
    w.prompts->saveAnswers = {SaveAnswer::No};
    w->Dispatch(cmd::Open);
    QCOMPARE(w->FilePath(), ExampleFile("default.vt4"));
    QVERIFY(!w->NoPicture());
  }

  void droppedFileOpens() {
    TestWindow w;
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::No};
    Drop(*w.window, ExampleFile("synaptic-trains.vt4"));
    QCOMPARE(w.log->saveQuestions.size(), 1);
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - synaptic-trains.vt4"));
    QVERIFY(!w->Unsaved());
    QVERIFY(w->Parameters().Value(param::EpspCount) > 0);
  }
};

QTEST_MAIN(FileCommandsTest)
#include "test_file_commands.moc"
