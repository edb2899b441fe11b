// Printing to a PDF file and copying to the clipboard, on a real run.
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

#include "app/dialogs/modal_helpers.h"
#include "app/dialogs/picture_fixture.h"
#include "app/print_copy.h"
#include "plot/palette.h"
#include "plot/run_record.h"

using namespace vantor;
using vantor::testing::CountColour;
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

int PageCount(const QByteArray& pdf) {
  return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                          pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
                          pdf.count("/Type /Page>"));
}

// The first page of a PDF as an image, when pdftoppm is there.
QImage PdfPage(const QString& pdf, const QString& prefix) {
  const QString tool = QStandardPaths::findExecutable("pdftoppm");
  if (tool.isEmpty()) return {};
  QProcess p;
  p.start(tool, {"-png", "-r", "80", "-singlefile", pdf, prefix});
  if (!p.waitForFinished(20000)) return {};
  return QImage(prefix + ".png");
}

}  // namespace

class PrintCopyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(fixture_.LoadGates()); }

  void printsOnePageWithPictureAndListing() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    QWidget window;
    const QString pdf = run.dir.filePath("print.pdf");
    PdfChooser chooser(pdf);
    QVERIFY(PrintPlot(&window, run.picture, run.params, "demo.vt4", chooser, run.messages));
    QCOMPARE(chooser.asked, 1);
    QCOMPARE(chooser.docName, QStringLiteral("demo.vt4"));
    QVERIFY(window.isEnabled());
    QVERIFY(!run.picture.target.printing);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(PageCount(bytes), 1);

    const QImage page = PdfPage(pdf, run.dir.filePath("page"));
    if (page.isNull()) QSKIP("pdftoppm is not installed");
    page.save("/tmp/vantor-print-page.png");
    const int h = page.height();
    // The trace in the run's colour above, the listing (voltage colour, red)
    // in the strip at the bottom of the picture.
    QVERIFY(CountColour(page, RunColour(0), 60, QRect(0, 0, page.width(), h / 2)) > 50);
    // The listing's small text is mostly edge pixels: count the reddish ones.
    int listing = 0;
    for (int y = h * 8 / 10; y < h; ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QColor c = page.pixelColor(x, y);
        if (c.red() - std::max(c.green(), c.blue()) > 60) ++listing;
      }
    QVERIFY2(listing > 100, qPrintable(QString::number(listing)));
  }

  void printedOverlayShowsEveryRun() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    run.params.SetValue(param::InjectedCurrent, 1.0f);
    QVERIFY(run.Run(true));
    run.params.SetValue(param::InjectedCurrent, 3.0f);
    QVERIFY(run.Run(true));
    const QString pdf = run.dir.filePath("overlay.pdf");
    PdfChooser chooser(pdf);
    QVERIFY(PrintPlot(nullptr, run.picture, run.params, "overlay", chooser, run.messages));
    const QImage page = PdfPage(pdf, run.dir.filePath("overlay"));
    if (page.isNull()) QSKIP("pdftoppm is not installed");
    page.save("/tmp/vantor-print-overlay.png");
    for (int r = 0; r < 3; ++r)
      QVERIFY2(CountColour(page, RunColour(r), 40) > 50, qPrintable(QString::number(r)));
    QVERIFY(CountColour(page, RunColour(3), 20) < 5);  // and no fourth run
  }

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

    const QImage image = qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(900, 600));

    // The SVG pasted back draws the same picture.
    QSvgRenderer svg(data->data("image/svg+xml"));
    QVERIFY(svg.isValid());
    QImage pasted(900, 600, QImage::Format_RGB32);
    pasted.fill(Qt::white);
    {
      QPainter p(&pasted);
      svg.render(&p, QRectF(0, 0, 900, 600));
    }
    int differ = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 900; ++x) {
        const QColor a = image.pixelColor(x, y), b = pasted.pixelColor(x, y);
        if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                std::abs(a.blue() - b.blue()) > 96)
          ++differ;
      }
    QVERIFY2(differ < 900 * 600 / 100, qPrintable(QString::number(differ)));
    QVERIFY(CountColour(pasted, RunColour(0), 40) > 200);

    // The samples: a header and one row per recorded sample, 21 columns.
    const QStringList lines = data->text().split('\n', Qt::SkipEmptyParts);
    const auto samples = ReadRunRecord(run.picture.replay.current.recordName);
    QVERIFY(samples && !samples->empty());
    QCOMPARE(lines.size(), static_cast<qsizetype>(samples->size() + 1));
    QVERIFY(lines[0].startsWith("time (ms)\tV-m (mV)\tI-cap (nA)\t[Ca++]-i (µM)\tI-C (nA)"));
    QVERIFY(lines[0].contains("\tg-Na (µS)\t"));  // I-Na shows its conductance
    const QStringList last = lines.back().split('\t');
    QCOMPARE(last.size(), 21);
    QCOMPARE(last[0].toFloat(), samples->back()[0]);
    QCOMPARE(last[1].toFloat(), samples->back()[1]);
  }

  void longRunsAreThinnedToTheLastSample() {
    RunOnImage run;
    QVERIFY(run.LoadGates());
    QVERIFY(run.Run(false));
    const auto samples = ReadRunRecord(run.picture.replay.current.recordName);
    QVERIFY(samples && samples->size() > 20);
    const QStringList lines = SamplesAsText(run.picture, run.params, 10).split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() >= 2 && lines.size() <= 11);
    QCOMPARE(lines.back().split('\t')[0].toFloat(), samples->back()[0]);
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
