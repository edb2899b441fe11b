// Printing and copying on their own: the cancel box, a cancelled dialog, a
// failed job, and the samples the clipboard gets as text. The pictures
// themselves are checked through the window's commands.
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include "app/dialogs/modal_helpers.h"
#include "app/dialogs/picture_fixture.h"
#include "app/print_copy.h"
#include "vantor/render/run_record.h"

using namespace vantor;
using vantor::testing::RunOnImage;

namespace {

// Prints to a PDF file instead of asking.
class PdfChooser : public PrinterChooser {
 public:
  explicit PdfChooser(QString path, bool confirm = true) : path_(std::move(path)), confirm_(confirm) {}
  bool Choose(QPrinter& printer, QWidget*) override {
    ++asked;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    docName = printer.docName();
    return confirm_;
  }
  int asked = 0;
  QString docName;

 private:
  QString path_;
  bool confirm_;
};

}  // namespace

class PrintCopyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(fixture_.LoadGates()); }

  void cancelledDialogPrintsNothing() {
    QWidget window;
    PdfChooser chooser(fixture_.dir.filePath("never.pdf"), false);
    QVERIFY(PrintPlot(&window, fixture_.picture, fixture_.params, "x", chooser, fixture_.messages));
    QVERIFY(!QFile::exists(fixture_.dir.filePath("never.pdf")));
    QVERIFY(window.isEnabled());
  }

  void cancelBoxStopsTheJob() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    run.params.SetValue(param::TrialDuration, 4000);  // long enough to still be printing
    run.params.SetValue(param::MaxDtForPlot, 0.05f);
    run.params.SetLimits(param::MaxDtForPlot, 0, 10);
    QVERIFY(run.Run(false));
    QWidget window;
    bool sawBox = false, windowDisabled = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "PrintDlgBox" && w->isVisible()) {
          sawBox = true;
          windowDisabled = !window.isEnabled();
          QCOMPARE(w->windowTitle(), QStringLiteral("VTWin"));
          vantor::testing::Button(w, 2)->click();
        }
    });
    const QString pdf = run.dir.filePath("stopped.pdf");
    PdfChooser chooser(pdf);
    QVERIFY(PrintPlot(&window, run.picture, run.params, "x", chooser, run.messages));
    QVERIFY(sawBox);
    QVERIFY(windowDisabled);
    QVERIFY(window.isEnabled());
    QVERIFY(!QFile::exists(pdf));  // no half-printed file
  }

  void failedJobReportsFailure() {
    QWidget window;
    PdfChooser chooser("/nonexistent-dir/out.pdf");
    QVERIFY(!PrintPlot(&window, fixture_.picture, fixture_.params, "x", chooser, fixture_.messages));
    QVERIFY(window.isEnabled());
  }

  void copyLeavesSvgImageAndSamples() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    QWidget window;
    QVERIFY(CopyPlotToClipboard(&window, run.picture, run.params, QSize(900, 600), run.messages));
    QVERIFY(window.isEnabled());
    QVERIFY(!run.picture.target.clipboardCopy);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QVERIFY(data->hasFormat("image/svg+xml"));
    QVERIFY(data->hasImage());
    QVERIFY(data->hasText());

    // The samples: a header and one row per recorded sample, 21 columns.
    const QStringList lines = data->text().split('\n', Qt::SkipEmptyParts);
    const auto samples = ReadRunRecord(run.picture.replay.current.recordName);
    QVERIFY(samples && !samples->empty());
    QCOMPARE(lines.size(), static_cast<qsizetype>(samples->size() + 1));
    QVERIFY(lines[0].startsWith("run\ttime (ms)\tV-m (mV)\tI-Inj (nA)\tI-cap (nA)\t[Ca++]-i (µM)\tI-C (nA)"));
    QVERIFY(lines[0].contains("\tg-Na (µS)\t"));  // I-Na shows its conductance
    QVERIFY(lines[0].endsWith("\tg-1 mNa (fraction open)\tg-2 hNa (fraction open)\tg-3 mK (fraction open)"));
    const QStringList last = lines.back().split('\t');
    QCOMPARE(last.size(), 23);
    QCOMPARE(last[0], QStringLiteral("1"));
    QCOMPARE(last[1].toFloat(), samples->back()[0]);
    QCOMPARE(last[2].toFloat(), samples->back()[1]);
    QCOMPARE(last[3].toFloat(), 0.0f);  // the step is over at the end of the trial
  }

  // A portrait page keeps the picture's proportions; a landscape one too.
  void printAreaKeepsThePictureProportions() {
    QCOMPARE(PrintArea(QSize(2000, 2800), QSize(1000, 700)), QSize(2000, 1400));
    QCOMPARE(PrintArea(QSize(2800, 2000), QSize(1000, 500)), QSize(2800, 1400));
    QCOMPARE(PrintArea(QSize(2800, 2000), QSize(700, 1000)), QSize(1400, 2000));
    QCOMPARE(PrintArea(QSize(2000, 2800), QSize()), QSize(2000, 2800));
  }

  // Every run of an overlay, each with the injected current it had.
  void copiedSamplesHoldEveryRunWithItsCurrent() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    run.params.SetValue(param::InjectedCurrent, 3.5f);
    QVERIFY(run.Run(true));
    const QStringList lines = SamplesAsText(run.picture, run.params).split('\n', Qt::SkipEmptyParts);
    QSet<QString> currentsInTheStep[2];
    for (const QString& line : lines.mid(1)) {
      const QStringList f = line.split('\t');
      const int r = f[0].toInt();
      QVERIFY(r == 1 || r == 2);
      const double t = f[1].toDouble();
      if (t > 11 && t < 59) currentsInTheStep[r - 1] << f[3];
    }
    QCOMPARE(currentsInTheStep[0], QSet<QString>{QStringLiteral("2")});
    QCOMPARE(currentsInTheStep[1], QSet<QString>{QStringLiteral("3.5")});
  }

  void longRunsAreThinnedToTheLastSample() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    const auto samples = ReadRunRecord(run.picture.replay.current.recordName);
    QVERIFY(samples && samples->size() > 20);
    const QStringList lines = SamplesAsText(run.picture, run.params, 10).split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() >= 2 && lines.size() <= 11);
    QCOMPARE(lines.back().split('\t')[1].toFloat(), samples->back()[0]);
    // No run, no text.
    Picture none;
    QVERIFY(SamplesAsText(none, run.params).isEmpty());
  }

 private:
  RunOnImage fixture_;  // a picture with no run
};

int main(int argc, char** argv) {
  vantor::testing::EnsureApp();
  PrintCopyTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_print_copy.moc"
