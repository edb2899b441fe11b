// Runs in the real window: live drawing, overlays in their colours, Stop,
// the re-entrancy guard, the command-line run, closing during a run.
#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app_test_support.h"
#include "vantor/render/run_legend.h"
#include "device/painter_device.h"
#include "vantor/render/layout.h"
#include "vantor/render/palette.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

namespace {

// Pixels of the trace area (left three quarters) within a small distance of
// `colour`, so that edge smoothing does not matter.
int CountColour(const QImage& image, uint32_t colourRef) {
  const QColor c = ColourFromRef(colourRef);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width() * 3 / 4; ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) <= 3 && std::abs(p.green() - c.green()) <= 3 &&
          std::abs(p.blue() - c.blue()) <= 3)
        ++count;
    }
  return count;
}

constexpr float kLongTrial = 100000;  // far longer than any test waits

}  // namespace

class RunsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }
  void cleanup() { QCOMPARE(RecordFiles(), QStringList()); }

  void beginDrawsIntoTheWindow() {
    TestWindow w;
    const uint32_t background = w->Prefs().Colour(Preferences::BackgroundColour);
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    QVERIFY(!w->NoPicture());
    QVERIFY(!w->Running());
    const QImage& image = w->View()->Image();
    QCOMPARE(image.size(), w->View()->WantedImageSize());
    QVERIFY(CountColour(image, RunColour(0)) > 200);  // the spike train
    QVERIFY(CountColour(image, background) > image.width() * image.height() / 2);
    QCOMPARE(RecordFiles().size(), 1);
    QVERIFY(QFileInfo::exists(QString::fromStdString(w->RunRecords().current.recordName)));
  }

  void everyTraceOnGivesEachBandARowOfItsOwn() {
    TestWindow w;
    for (int r = 1; r < kTraceCount; ++r) w->Parameters().Trace(r).plot = 1;
    w->Dispatch(cmd::Begin);
    QVERIFY(!w->NoPicture());
    const OutputTarget& t = w->PictureState().target;
    QVERIFY(t.vmShareCap < 0.75);
    // One band per trace at a legible height, each label clear of the others.
    const double others = (kBandsTop - kBandsBottom) * (1 - VmShare(w->PictureParameters(), t.vmShareCap));
    QVERIFY(others / OtherWeights(w->PictureParameters()) * t.surface.pageHeight >= LeastBandHeight(t));
  }

  void beginThenOverlayTwiceDrawsThreeColours() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    w->Parameters().SetValue(param::InjectedCurrent, 2 * w->Parameters().Value(param::InjectedCurrent));
    w->Dispatch(cmd::Overlay);
    w->Parameters().SetValue(param::StepOnset, w->Parameters().Value(param::StepOnset) + 20);
    w->Dispatch(cmd::Overlay);
    QCOMPARE(w->RunsStarted(), 3);
    QCOMPARE(static_cast<int>(w->RunRecords().overlays.size()), 2);
    QCOMPARE(RecordFiles().size(), 3);
    // Live: each run's V-m in its own colour.
    for (int run = 0; run < 3; ++run)
      QVERIFY2(CountColour(w->View()->Image(), RunColour(run)) > 100, qPrintable(QString::number(run)));
    // A full redraw from the records shows the same three runs.
    w->View()->Clear(0xFFFFFF);
    QCOMPARE(CountColour(w->View()->Image(), RunColour(1)), 0);
    w->RedrawPicture();
    for (int run = 0; run < 3; ++run)
      QVERIFY2(CountColour(w->View()->Image(), RunColour(run)) > 100, qPrintable(QString::number(run)));
    // Begin starts afresh: the kept runs go.
    w->Dispatch(cmd::Begin);
    QCOMPARE(RecordFiles().size(), 1);
    QVERIFY(w->RunRecords().overlays.empty());
  }

  void stopLeavesNoPictureAndBeginDeletesTheStoppedRecord() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, kLongTrial);
    QTimer::singleShot(0, w.window.get(), [&] { w->Dispatch(cmd::Stop); });
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Stopped);
    QVERIFY(w->NoPicture());
    QVERIFY(!CommandEnabled(cmd::Copy, w->CurrentMenuState()));
    QVERIFY(!CommandEnabled(cmd::Overlay, w->CurrentMenuState()));
    w->Dispatch(cmd::Print);
    QCOMPARE(w.log->warnings, QStringList{QStringLiteral("VTWin|Nothing to print!")});
    const QString stopped = QString::fromStdString(w->RunRecords().current.recordName);
    QVERIFY(QFileInfo::exists(stopped));
    w->Parameters().SetValue(param::TrialDuration, 50);
    w->Dispatch(cmd::Begin);
    QVERIFY(!QFileInfo::exists(stopped));
    QVERIFY(!w->NoPicture());
  }

  void aChangeDuringARunWaitsForTheNextRun() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, kLongTrial);
    // As a dialog opened from the pump would: the running trial must not end
    // at the new, shorter duration; Stop ends it.
    QTimer::singleShot(0, w.window.get(), [&] {
      w->Parameters().SetValue(param::TrialDuration, 5);
      QTimer::singleShot(0, w.window.get(), [&] { w->Dispatch(cmd::Stop); });
    });
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Stopped);
    QCOMPARE(w->Parameters().Value(param::TrialDuration), 5.0f);
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    QCOMPARE(w->PictureParameters().Value(param::TrialDuration), 5.0f);
  }

  void aRedrawShowsTheRunNotTheChangedParameters() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    w->RedrawPicture();
    const QImage shown = w->View()->Image().copy();
    w->Parameters().SetValue(param::TrialDuration, 3 * w->Parameters().Value(param::TrialDuration));
    w->Parameters().SetComment("changed after the run");
    w->RedrawPicture();
    QVERIFY(w->View()->Image() == shown);
  }

  void noSecondRunFromInsideThePump() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, kLongTrial);
    QTimer::singleShot(0, w.window.get(), [&] {
      w->CommandBegin();  // past the menu rule, as a posted command would come
      w->CommandOverlay();
      w->Dispatch(cmd::Begin);
      w->Dispatch(cmd::Stop);
    });
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->RunsStarted(), 1);
    QCOMPARE(RecordFiles().size(), 1);
  }

  void newDuringARunStopsIt() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, kLongTrial);
    QTimer::singleShot(0, w.window.get(), [&] { w->Dispatch(cmd::New); });
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Stopped);
    QVERIFY(w->NoPicture());
    QCOMPARE(w->Parameters().Value(param::TrialDuration), kLongTrial);
  }

  void commandLineFileStartsARun() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), ExampleFile("default.vt4"));
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - default.vt4"));
    QCOMPARE(w->RunsStarted(), 0);  // posted, not started inside start-up
    QCOMPARE(w->PaintCounter(), -1);
    QTRY_COMPARE_WITH_TIMEOUT(w->RunsStarted(), 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->Running(), 5000);
    QVERIFY(!w->NoPicture());
    QCOMPARE(w->PaintCounter(), 0);
    QVERIFY(w.log->warnings.isEmpty());
  }

  void quotedCommandLinePath() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), "\"" + ExampleFile("default.vt4") + "\"");
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - default.vt4"));
    QTRY_COMPARE_WITH_TIMEOUT(w->RunsStarted(), 1, 5000);
  }

  void unreadableCommandLineFileStartsNoRun() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), QStringLiteral("/no/such/dir/lost.vt4"));
    QCOMPARE(w.log->warnings,
             QStringList{QStringLiteral("VTWin|File lost.vt4 cannot be read!\n"
                                        "/no/such/dir/lost.vt4: there is no such file.")});
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - lost.vt4"));
    QCOMPARE(w->FilePath(), QStringLiteral("/no/such/dir/lost.vt4"));
    QTest::qWait(50);
    QCOMPARE(w->RunsStarted(), 0);
  }

  void commandLineRunWithoutGateTableIsRefusedWithABox() {
    QTemporaryDir data;
    TestWindow w(DataFolderWithout(data, {QStringLiteral("vmodels.val")}), ExampleFile("default.vt4"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.log->warnings.filter(QStringLiteral("gate table")).isEmpty(), 5000);
    QCOMPARE(w->RunsStarted(), 0);
    QVERIFY(w->NoPicture());
  }

  void resizeDuringARunRedrawsOnceAfterIt() {
    TestWindow w;
    // Ten seconds of tonic firing: long enough for the pump to run.
    w->Parameters().SetValue(param::TrialDuration, 10000);
    w->Parameters().SetValue(param::BaseCurrent, 2);
    w->Parameters().SetValue(param::InjectedCurrent, 0);
    const QSize before = w->View()->size();
    bool resized = false;
    QTimer::singleShot(0, w.window.get(), [&] {
      w->resize(w->width() + 120, w->height() + 60);
      w->View()->repaint();
      resized = true;
    });
    w->Dispatch(cmd::Begin);
    QVERIFY(resized);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    QVERIFY(w->View()->size() != before);
    // Redrawn at the new size from the records.
    QCOMPARE(w->View()->Image().size(), w->View()->WantedImageSize());
    QCOMPARE(w->PaintCounter(), 0);
    QVERIFY(CountColour(w->View()->Image(), RunColour(0)) > 200);
  }

  void closingDuringARunLeavesNoRecord() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, kLongTrial);
    QTimer::singleShot(0, w.window.get(), [&] { w->close(); });
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::WindowClosed);
    QVERIFY(w->WindowClosing());
    QVERIFY(!w->isVisible());
    QCOMPARE(RecordFiles(), QStringList());
  }

  // Records go to a private folder under the temporary folder, which goes
  // with the window; a long run says how much room its record takes.
  void recordsStayInAPrivateFolder() {
    QString folder;
    {
      TestWindow w;
      w->Dispatch(cmd::Begin);
      folder = w->RecordFolder();
      QVERIFY(!folder.isEmpty());
      QVERIFY(QDir(folder) != QDir::current());
      QCOMPARE(QFileInfo(QString::fromStdString(w->RunRecords().current.recordName)).absolutePath(),
               QFileInfo(folder).absoluteFilePath());
      QVERIFY(w->RecordNote().isEmpty());  // the built-in run is small
      QVERIFY(QDir::current().entryList({QStringLiteral("VTW*.TMP")}, QDir::Files).isEmpty());

      w->Parameters().SetValue(param::TrialDuration, 1000000);
      QString said;
      QTimer::singleShot(0, w.window.get(), [&] {
        said = w->RecordNote();
        w->Dispatch(cmd::Stop);
      });
      w->Dispatch(cmd::Begin);
      QCOMPARE(said, QStringLiteral("record at least 84 MB in ") + QDir::toNativeSeparators(folder));
    }
    QVERIFY(!QFileInfo::exists(folder));
  }

  // Another file's run over the picture, named in the legend; the window's
  // own parameters and the picture's layout stay.
  void overlayFileDrawsAnotherFilesRunOverThePicture() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    const ParameterSet before = w->Parameters();
    w.prompts->openNames = {ExampleFile("temperature-22.vt4")};
    QVERIFY(w->Action(cmd::OverlayFile) != nullptr);
    w->Dispatch(cmd::OverlayFile);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    QCOMPARE(w->RunRecords().overlays.size(), std::size_t{1});
    QCOMPARE(w->RunRecords().current.label, std::string("temperature-22.vt4"));
    QVERIFY(w->Parameters() == before);
    QVERIFY(!w->Unsaved());
    QCOMPARE(w->PictureParameters().Value(param::Temperature), 22.0f);
    QCOMPARE(w->PictureParameters().Comment(), before.Comment());
    const std::string legend = RunLegendText(w->RunRecords(), 1, w->PictureParameters());
    QVERIFY2(legend.rfind("temperature-22.vt4: Trial duration 60, ", 0) == 0, legend.c_str());
    QVERIFY2(legend.size() > 5 && legend.substr(legend.size() - 5) == ", ...", legend.c_str());
    // A file that cannot be read leaves the picture as it was, with one box.
    w.prompts->openNames = {work_.filePath(QStringLiteral("missing.vt4"))};
    w->Dispatch(cmd::OverlayFile);
    QCOMPARE(w.log->warnings.size(), 1);
    QCOMPARE(w->RunRecords().overlays.size(), std::size_t{1});
  }

  void closeWithUnsavedChangesAndCancelStaysOpen() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    w->SetUnsaved(true);
    w.prompts->saveAnswers = {SaveAnswer::Cancel};
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(RecordFiles().size(), 1);
    w.prompts->saveAnswers = {SaveAnswer::No};
    QVERIFY(w->close());
    QCOMPARE(RecordFiles(), QStringList());
  }

  void refusedRunSaysWhy() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, -5);
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Refused);
    QCOMPARE(w.log->warnings.size(), 1);
    QVERIFY(w.log->warnings.first().startsWith(QStringLiteral("VTWin|")));
    QVERIFY(w->NoPicture());
  }
};

QTEST_MAIN(RunsTest)
#include "test_runs.moc"
