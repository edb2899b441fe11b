// New, Open, Save, Save as and drops in the real window, with the save
// prompt's answers scripted.
#include <QDropEvent>
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
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - default.vt4"));
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

  void firstOpenStartsInTheExamples() {
    TestWindow w;
    w->Dispatch(cmd::Open);  // cancelled
    QCOMPARE(w.log->openDirectories.size(), 1);
    QCOMPARE(w.log->openDirectories.first(), ExamplesDirectory(QStringLiteral(VANTOR_BIN_DIR "/")));
    QVERIFY(w.log->openDirectories.first().endsWith(QStringLiteral("/examples")));
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
    QVERIFY(w.log->warnings.contains(QStringLiteral("VTWin|Could not write file x.vt4")));
    QCOMPARE(w->FilePath(), QStringLiteral("/no/such/dir/x.vt4"));  // the new path stays
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

  void truncatedFileLeavesTheParametersAlone() {
    const QString cut = work_.filePath(QStringLiteral("cut.vt4"));
    QFile source(ExampleFile("synaptic-trains.vt4"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QFile out(cut);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(source.readAll().left(300));
    out.close();
    TestWindow w;
    const ParameterSet before = w->Parameters();
    w.prompts->openNames = {cut};
    w->Dispatch(cmd::Open);
    QVERIFY(w.log->warnings.contains(QStringLiteral("VTWin|Could not read file cut.vt4!")));
    QVERIFY(w->Parameters() == before);
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    QVERIFY(w->FilePath().isEmpty());
  }

  void openingADirectoryOrBinaryFails() {
    const QString binary = work_.filePath(QStringLiteral("noise.vt4"));
    QFile out(binary);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i) bytes.append(static_cast<char>((i * 7919) & 0xFF));
    out.write(bytes);
    out.close();
    TestWindow w;
    const ParameterSet before = w->Parameters();
    w.prompts->openNames = {binary, work_.path()};
    w->Dispatch(cmd::Open);
    w->Dispatch(cmd::Open);
    QVERIFY(w->Parameters() == before);
    QCOMPARE(w.log->warnings.filter(QStringLiteral("VTWin|Could not read file")).size(), 2);
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
