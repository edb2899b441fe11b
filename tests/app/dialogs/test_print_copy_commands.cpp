// Print and Copy through the main window: a PDF page with the picture and the
// listing, overlays on paper, the failure messages, and the clipboard.
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>

#include "app/app_test_support.h"
#include "app/dialogs/picture_fixture.h"
#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app/print_copy.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/nwb/run_provenance.h"
#include "vantor/render/palette.h"
#include "vantor/render/run_record.h"

using namespace vantor;
using namespace vantor::testing;
namespace cmd = vantor::app::cmd;

namespace {

// Scripted prompts that also pick the printer: a PDF file.
class PrintingPrompts : public ScriptedPrompts, public PrinterChooser {
 public:
  using ScriptedPrompts::ScriptedPrompts;
  QString pdf;
  QString docName;
  bool Choose(QPrinter& printer, QWidget*) override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    docName = printer.docName();
    return !pdf.isEmpty();
  }
};

struct PrintingWindow {
  std::shared_ptr<PromptLog> log = std::make_shared<PromptLog>();
  PrintingPrompts* prompts = nullptr;
  std::unique_ptr<app::MainWindow> window;
  PrintingWindow() {
    auto scripted = std::make_unique<PrintingPrompts>(log);
    prompts = scripted.get();
    window = std::make_unique<app::MainWindow>(std::move(scripted));
    window->resize(1240, 640);  // a picture of 900 by 640 beside the panels
    window->Start(QStringLiteral(VANTOR_BIN_DIR), QString());
    window->show();
  }
  app::MainWindow* operator->() { return window.get(); }
};

QImage PdfPage(const QString& pdf, const QString& png) {
  const QString tool = QStandardPaths::findExecutable("pdftoppm");
  if (tool.isEmpty()) return {};
  QProcess p;
  p.start(tool, {"-png", "-r", "80", "-singlefile", pdf, png.chopped(4)});
  return p.waitForFinished(20000) ? QImage(png) : QImage();
}

// The text of one page, laid out as it stands; null without pdftotext.
QString PdfText(const QString& pdf, int page) {
  const QString tool = QStandardPaths::findExecutable("pdftotext");
  if (tool.isEmpty()) return {};
  QProcess p;
  p.start(tool, {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
  return p.waitForFinished(20000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

int Pages(const QString& pdf) {
  QFile f(pdf);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = f.readAll();
  return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") +
                          bytes.count("/Type /Page/") + bytes.count("/Type /Page>"));
}

}  // namespace

class PrintCopyCommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void nothingToPrintWithoutAPicture() {
    PrintingWindow w;
    w.prompts->pdf = work_.filePath("none.pdf");
    w->Dispatch(cmd::Print);
    QCOMPARE(w.log->warnings, QStringList{"VTWin|Nothing to print!"});
    QVERIFY(!QFile::exists(w.prompts->pdf));
  }

  void defaultRunPrintsThePictureThenTheListing() {
    PrintingWindow w;
    w->Dispatch(cmd::Begin);
    w.prompts->pdf = work_.filePath("default.pdf");
    w->Dispatch(cmd::Print);
    QVERIFY(w.log->warnings.isEmpty());
    QCOMPARE(w.prompts->docName, QStringLiteral("(untitled)"));
    QCOMPARE(Pages(w.prompts->pdf), 2);
    QVERIFY(w->isEnabled());
    const QImage page = PdfPage(w.prompts->pdf, work_.filePath("default.png"));
    if (page.isNull()) QSKIP("pdftoppm is not installed");
    page.save("/tmp/vantor-window-print.png");
    QVERIFY(CountColour(page, RunColour(0), 60) > 200);
    // The picture keeps the window's proportions at the top of the portrait
    // page; the reddish text of the listing stands at its foot.
    const QSize view = w->View()->size();
    const int area = page.width() * view.height() / view.width();
    QVERIFY(area < page.height() * 3 / 4);
    int listing = 0, below = 0;
    for (int y = area; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) below += page.pixelColor(x, y).lightness() < 200;
    QCOMPARE(below, 0);  // nothing stretched down the page
    for (int y = area * 8 / 10; y < area; ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QColor c = page.pixelColor(x, y);
        if (c.red() - std::max(c.green(), c.blue()) > 60) ++listing;
      }
    QVERIFY(listing > 100);
  }

  void printedOverlayShowsEveryRun() {
    PrintingWindow w;
    w->Dispatch(cmd::Begin);
    for (float current : {1.0f, 3.0f, 4.0f}) {
      w->Parameters().SetValue(param::InjectedCurrent, current);
      w->Dispatch(cmd::Overlay);
    }
    w.prompts->pdf = work_.filePath("overlay.pdf");
    w->Dispatch(cmd::Print);
    QCOMPARE(Pages(w.prompts->pdf), 2);
    // The second page lists every run's parameters in a column of its own,
    // each with its unit, under the file's name.
    const QString text = PdfText(w.prompts->pdf, 2);
    if (text.isNull()) QSKIP("pdftotext is not installed");
    QVERIFY2(text.contains("Parameters of (untitled)"), qPrintable(text.left(300)));
    for (const char* run : {"Run 1", "Run 2", "Run 3", "Run 4"}) QVERIFY(text.contains(run));
    const QStringList lines = text.split('\n');
    const auto row = [&lines](const QString& start) {
      for (const QString& l : lines)
        if (l.simplified().startsWith(start)) return l.simplified();
      return QString();
    };
    QVERIFY2(row("Injected current").contains(QRegularExpression("nA .*1 .*3 .*4")), qPrintable(row("Injected current")));
    QVERIFY(row("Trial duration").startsWith("Trial duration ms"));
    const QImage page = PdfPage(w.prompts->pdf, work_.filePath("overlay.png"));
    if (page.isNull()) QSKIP("pdftoppm is not installed");
    for (int r = 0; r < 4; ++r)
      QVERIFY2(CountColour(page, RunColour(r), 40) > 50, qPrintable(QString::number(r)));
  }

  void failedPrintSaysSo() {
    PrintingWindow w;
    w->Dispatch(cmd::Begin);
    w.prompts->pdf = work_.filePath("no-such-dir/out.pdf");
    w->Dispatch(cmd::Print);
    QCOMPARE(w.log->warnings, QStringList{"VTWin|Could not print file (untitled)"});
    QVERIFY(w->isEnabled());
    // A cancelled print dialog is no failure.
    w.prompts->pdf.clear();
    w->Dispatch(cmd::Print);
    QCOMPARE(w.log->warnings.size(), 1);
  }

  // File > Export: the picture in the format its name asks for, and one CSV
  // file per run as the command line writes them; a name that cannot be
  // written gets one box with the reason.
  void exportWritesThePictureAndEveryRunsSamples() {
    PrintingWindow w;
    w->Dispatch(cmd::Begin);
    w->Parameters().SetValue(param::InjectedCurrent, 3);
    w->Dispatch(cmd::Overlay);
    const std::pair<const char*, QByteArray> pictures[] = {
        {"shown.png", QByteArray("\x89PNG")}, {"shown.svg", QByteArray("<?xml")}, {"shown.pdf", QByteArray("%PDF")}};
    for (const auto& [name, magic] : pictures) {
      const QString path = work_.filePath(QString::fromLatin1(name));
      w.prompts->exportNames = {path};
      w->Dispatch(cmd::ExportPicture);
      QFile file(path);
      QVERIFY2(file.open(QIODevice::ReadOnly), name);
      QVERIFY2(file.read(magic.size()) == magic, name);
    }
    QVERIFY(w.log->exportProposals.first().endsWith(QStringLiteral("/vantor.png")));
    QCOMPARE(QImage(work_.filePath("shown.png")).size(), w->View()->Image().size());
    // At a chosen size; a side out of range or a cancelled size writes nothing.
    w.prompts->exportNames = {work_.filePath("sized.png"), work_.filePath("tiny.png"), work_.filePath("none.png")};
    w.prompts->pictureSizes = {QSize(640, 1500), QSize(99, 400), QSize()};
    for (int i = 0; i < 3; ++i) w->Dispatch(cmd::ExportPicture);
    QCOMPARE(QImage(work_.filePath("sized.png")).size(), QSize(640, 1500));
    QVERIFY(!QFile::exists(work_.filePath("tiny.png")) && !QFile::exists(work_.filePath("none.png")));
    QCOMPARE(w.log->warnings, QStringList{"VTWin|Could not export the picture to " + work_.filePath("tiny.png") +
                                          ": each side must be 100 to 20000 pixels."});
    w.log->warnings.clear();

    w.prompts->exportNames = {work_.filePath("runs.csv")};
    w->Dispatch(cmd::ExportSamples);
    QVERIFY(w.log->warnings.isEmpty());
    for (const char* name : {"runs-1.csv", "runs-2.csv"}) {
      QFile file(work_.filePath(QString::fromLatin1(name)));
      QVERIFY2(file.open(QIODevice::ReadOnly), name);
      const QList<QByteArray> lines = file.readAll().split('\n');
      QVERIFY(lines[0].startsWith("time (ms),V-m (mV),I-Inj (nA),I-cap (nA)"));
      QVERIFY(lines.size() > 50);
    }
    QVERIFY(!QFile::exists(work_.filePath("runs.csv")));

    w.prompts->exportNames = {work_.filePath("no-such-folder/runs.csv")};
    w->Dispatch(cmd::ExportSamples);
    w.prompts->exportNames = {work_.filePath("shown.bmp")};
    w->Dispatch(cmd::ExportPicture);
    QCOMPARE(w.log->warnings.size(), 2);
    QVERIFY2(w.log->warnings[0].startsWith("VTWin|Could not export the samples: "), qPrintable(w.log->warnings[0]));
    QCOMPARE(w.log->warnings[1], QStringLiteral("VTWin|Could not export the picture to ") +
                                     work_.filePath("shown.bmp") + ": the name must end in .png, .svg or .pdf.");
  }

  // One NWB file, a sweep per run, whose provenance is the first run's.
  void exportNwbWritesEveryRunAsASweep() {
    if (!nwb::Available()) QSKIP("this build has no HDF5");
    PrintingWindow w;
    w->Dispatch(cmd::Begin);
    const ParameterSet firstRun = w->PictureParameters();
    w->Parameters().SetValue(param::InjectedCurrent, 3);
    w->Dispatch(cmd::Overlay);
    const std::string path = work_.filePath("runs.nwb").toStdString();
    w.prompts->exportNames = {QString::fromStdString(path)};
    w->Dispatch(cmd::ExportNwb);
    QCOMPARE(w.log->warnings, QStringList());
    const nwb::ReadProvenance read = nwb::ReadRecordingProvenance(path);
    QVERIFY2(read.provenance.has_value(), read.error.c_str());
    ParameterSet remade;
    QCOMPARE(nwb::ApplyProvenance(*read.provenance, remade), std::string());
    for (int k = 0; k < kParameterCount; ++k) QCOMPARE(remade.Value(k), firstRun.Value(k));
    const nwb::ReadSweep second = nwb::ReadRecordingSweep(path, 2);
    QVERIFY2(second.sweep.has_value(), second.error.c_str());
    const auto records = ReadRunRecord(w->RunRecords().current.recordName);
    QCOMPARE(second.sweep->timeMs.size(), records->size());
    QVERIFY(!nwb::ReadRecordingSweep(path, 3).sweep.has_value());
    // A folder that is not there: one box naming the file, nothing written.
    const QString bad = work_.filePath("no-such-folder/runs.nwb");
    w.prompts->exportNames = {bad};
    w->Dispatch(cmd::ExportNwb);
    QCOMPARE(w.log->warnings.size(), 1);
    QVERIFY2(w.log->warnings[0].startsWith("VTWin|Could not export the runs to " + bad + ": "),
             qPrintable(w.log->warnings[0]));
  }

  void copyLeavesSvgImageAndSamples() {
    PrintingWindow w;
    QApplication::clipboard()->clear();
    w->Dispatch(cmd::Copy);  // no picture: nothing
    const QMimeData* none = QApplication::clipboard()->mimeData();
    QVERIFY(none == nullptr || !none->hasImage());
    w->Dispatch(cmd::Begin);
    w->Dispatch(cmd::Copy);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat("image/svg+xml"));
    QVERIFY(data->hasImage());
    QVERIFY(data->text().startsWith("run\ttime (ms)\tV-m (mV)\tI-Inj (nA)\t"));
    const QImage image = qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), w->View()->Image().size());  // the window's picture size

    // Pasted back, the SVG draws the same picture as the image and the window.
    QSvgRenderer svg(data->data("image/svg+xml"));
    QVERIFY(svg.isValid());
    QImage pasted(image.size(), QImage::Format_RGB32);
    pasted.fill(Qt::white);
    {
      QPainter p(&pasted);
      svg.render(&p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    const QImage window = w->View()->Image().convertToFormat(QImage::Format_RGB32);
    int differ = 0, differWindow = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb a = image.pixel(x, y), b = pasted.pixel(x, y), c = window.pixel(x, y);
        auto far = [](QRgb p, QRgb q) {
          return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q)) > 96;
        };
        differ += far(a, b);
        differWindow += far(b, c);
      }
    const int total = image.width() * image.height();
    QVERIFY2(differ < total / 100, qPrintable(QString::number(differ)));
    QVERIFY2(differWindow < total / 100, qPrintable(QString::number(differWindow)));
    QVERIFY(CountColour(pasted, RunColour(0), 40) > 200);
    QVERIFY(w->isEnabled());
  }
};

QTEST_MAIN(PrintCopyCommandsTest)
#include "test_print_copy_commands.moc"
