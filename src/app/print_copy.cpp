#include "app/print_copy.h"
#include "app/print_listing.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "app/data_paths.h"
#include "app/dialogs/field_text.h"
#include "app/dialogs/layout_editor.h"
#include "device/painter_device.h"
#include "device/picture_file.h"
#include "vantor/render/picture.h"
#include "vantor/files/csv_sink.h"
#include "vantor/files/output_file.h"
#include "vantor/params/gate_table.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_legend.h"
#include "vantor/render/run_record.h"

namespace vantor {
namespace {

// Hands every primitive on to the printer and, every few milliseconds, lets
// the event queue through so that the cancel box answers. Once the user has
// cancelled, nothing more goes to the page.
class PumpingDevice : public Device {
 public:
  PumpingDevice(Device& inner, const bool& cancelled) : inner_(inner), cancelled_(cancelled) {
    clock_.start();
  }
  double SurfaceWidth() const override { return inner_.SurfaceWidth(); }
  double SurfaceHeight() const override { return inner_.SurfaceHeight(); }
  void SelectPen(uint32_t colour, int width) override { inner_.SelectPen(colour, width); }
  void SelectFont(int cellHeight, int turns) override { inner_.SelectFont(cellHeight, turns); }
  void RestoreInitialObjects(bool pen, bool font) override {
    inner_.RestoreInitialObjects(pen, font);
  }
  void SetTextAlign(int flags) override { inner_.SetTextAlign(flags); }
  void SetTextColour(uint32_t colour) override { inner_.SetTextColour(colour); }
  void SetBackgroundColour(uint32_t colour) override { inner_.SetBackgroundColour(colour); }
  void MoveTo(int x, int y) override {
    if (Going()) inner_.MoveTo(x, y);
  }
  void LineTo(int x, int y) override {
    if (Going()) inner_.LineTo(x, y);
  }
  void Text(int x, int y, std::string_view text) override {
    if (Going()) inner_.Text(x, y, text);
  }
  TextExtent MeasureText(std::string_view text) override { return inner_.MeasureText(text); }
  void FillRect(int x, int y, int w, int h, uint32_t colour) override {
    if (Going()) inner_.FillRect(x, y, w, h, colour);
  }

 private:
  bool Going() {
    if (cancelled_) return false;
    if (clock_.elapsed() >= 16) {
      QCoreApplication::processEvents();
      clock_.restart();
    }
    return !cancelled_;
  }
  Device& inner_;
  const bool& cancelled_;
  QElapsedTimer clock_;
};

// Printing and copying draw on other devices; the window's own drawing state
// comes back afterwards, whatever the redraw changed in it.
class KeepPicture {
 public:
  explicit KeepPicture(Picture& picture) : picture_(picture), saved_(picture) {}
  ~KeepPicture() {
    const bool failed = picture_.plotterOutputFailed;
    picture_ = saved_;
    picture_.plotterOutputFailed = failed;
  }

 private:
  Picture& picture_;
  Picture saved_;
};

}  // namespace

bool PrintDialogChooser::Choose(QPrinter& printer, QWidget* owner) {
  QPrintDialog dialog(&printer, owner);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
}

PrintAbortBox::PrintAbortBox(QWidget* mainWindow, bool& cancelled)
    // No parent: the main window is disabled while printing, and a child
    // window would be disabled with it.
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mainWindow_(mainWindow),
      cancelled_(cancelled) {
  setObjectName(QStringLiteral("PrintDlgBox"));
  setWindowTitle(QStringLiteral("VTWin"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(QStringLiteral("Cancel VTWin Printing"), this);
  text->setAlignment(Qt::AlignHCenter);
  layout->addWidget(text);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("2"));
  cancel->setDefault(true);
  layout->addWidget(cancel, 0, Qt::AlignHCenter);
  connect(cancel, &QPushButton::clicked, this, &PrintAbortBox::Cancel);
  if (mainWindow != nullptr) move(mainWindow->mapToGlobal(QPoint(20, 20)));
}

void PrintAbortBox::Cancel() {
  cancelled_ = true;
  if (mainWindow_ != nullptr) mainWindow_->setEnabled(true);
  close();
}

QSize PrintArea(QSize page, QSize picture) {
  if (picture.width() <= 0 || picture.height() <= 0 || page.width() <= 0 || page.height() <= 0)
    return page;
  const double aspect = static_cast<double>(picture.height()) / picture.width();
  const int height = static_cast<int>(page.width() * aspect);
  if (height <= page.height()) return {page.width(), std::max(1, height)};
  return {std::max(1, static_cast<int>(page.height() / aspect)), page.height()};
}

namespace {

// One print job: the chooser, the box that stops it with the owner
// disabled meanwhile, and the end of the job. `body` draws with the painter
// on the printer's paint rectangle and reads `cancelled` as the box sets it.
// A cancelled job on a printer that cannot take it back (a PDF file) keeps no
// half-printed file behind; it counts as done, without a failure message.
bool PrintJob(QWidget* owner, const QString& documentName, PrinterChooser& chooser,
              const std::function<void(QPainter&, QPrinter&, const QRect&, const bool&)>& body) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(documentName);
  if (!chooser.Choose(printer, owner)) return true;
  bool cancelled = false;
  if (owner != nullptr) owner->setEnabled(false);
  QPointer<PrintAbortBox> box = new PrintAbortBox(owner, cancelled);
  box->show();
  QCoreApplication::processEvents();  // the box shows (and can be pressed) before the page starts
  bool ok = false;
  {
    QPainter painter;
    if (painter.begin(&printer)) {
      body(painter, printer, printer.pageLayout().paintRectPixels(printer.resolution()), cancelled);
      if (cancelled) {
        if (!printer.abort()) {
          painter.end();
          if (!printer.outputFileName().isEmpty()) QFile::remove(printer.outputFileName());
        }
        ok = true;
      } else {
        ok = painter.end() && printer.printerState() != QPrinter::Error;
      }
      if (painter.isActive()) painter.end();
    }
  }
  if (box != nullptr) box->close();
  if (owner != nullptr) owner->setEnabled(true);
  return ok;
}

}  // namespace

bool PrintDrawing(QWidget* mainWindow, const QString& documentName, PrinterChooser& chooser, QSize pictureSize,
                  const std::function<void(Device&, int)>& draw,
                  const std::function<void(QPainter&, QPrinter&, const QRect&)>& more) {
  return PrintJob(mainWindow, documentName, chooser,
                  [&](QPainter& painter, QPrinter& printer, const QRect& page, const bool& cancelled) {
    // A portrait page takes the picture at its own proportions, not
    // stretched to the page's height.
    const QSize area = PrintArea(page.size(), pictureSize);
    PainterDevice device(painter, area.width(), area.height());
    PumpingDevice pumping(device, cancelled);
    draw(pumping, printer.resolution());
    device.Flush();
    if (!cancelled && more) more(painter, printer, QRect(QPoint(0, 0), page.size()));
  });
}

bool PrintPlot(QWidget* mainWindow, Picture& picture, const ParameterSet& params,
               const QString& documentName, PrinterChooser& chooser, Messages& messages,
               QSize pictureSize) {
  KeepPicture keep(picture);
  return PrintDrawing(mainWindow, documentName, chooser, pictureSize, [&](Device& device, int resolution) {
    OutputTarget& target = picture.target;
    target.printing = true;
    target.devicePerInch = resolution;  // labels keep their legible size on paper
    target.SetDevice(&device);
    RedrawPlot(picture, params, messages);
    target.SetDevice(nullptr);
  }, [&](QPainter& painter, QPrinter& printer, const QRect& page) {
    // The listing in full, with units and every run shown, on its own page.
    app::PrintListing(painter, printer, page, documentName, FromCp437(params.Comment()),
                      app::ListParameters(picture.replay, params, picture.extendedMode));
  });
}

QString SamplesAsText(const Picture& picture, const ParameterSet& params, int maxRows) {
  const std::vector<const RecordedRun*> runs = PictureRuns(picture.replay);
  // Each run's samples; a run whose record cannot be read is left out.
  std::vector<std::pair<int, std::vector<RunSample>>> read;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    if (runs[r]->recordName.empty()) continue;
    std::optional<std::vector<RunSample>> samples = ReadRunRecord(runs[r]->recordName);
    if (samples && !samples->empty()) read.emplace_back(static_cast<int>(r), std::move(*samples));
  }
  if (read.empty()) return {};

  // The run, the time, V-m, the injected current (not recorded: it is the
  // run's protocol at that time), then the recorded traces, the gates by name.
  QStringList header{QStringLiteral("run"), QStringLiteral("time (ms)"), TraceLabel(0), TraceLabel(1)};
  static constexpr int kGateParam[3] = {param::Gate1, param::Gate2, param::Gate3};
  for (int s = 2; s < kSampleSlots; ++s) {
    const int row = s;
    QString label = TraceLabel(row);
    if (row >= 4 && row <= 17 && params.Trace(row).cond != 0)
      label = QStringLiteral("g") + label.mid(1, label.indexOf(QLatin1Char(' ')) - 1) +
              QStringLiteral(" (µS)");
    if (row >= 18) {
      const float gate = params.Value(kGateParam[row - 18]);
      const std::string name = GateTable::GateName(gate >= 0 && gate < 1000 ? static_cast<int>(gate) : 0);
      label = QStringLiteral("g-%1 %2 (fraction open)")
                  .arg(row - 17)
                  .arg(name.empty() ? QStringLiteral("none") : QString::fromStdString(name));
    }
    header << label;
  }
  QString text = header.join(QLatin1Char('\t')) + QLatin1Char('\n');
  for (const auto& [r, samples] : read) {
    const RecordedRun& run = *runs[static_cast<std::size_t>(r)];
    const Protocol protocol = run.protocol.value_or(Protocol::Of(params));
    const std::size_t count = samples.size();
    const std::size_t step =
        count <= static_cast<std::size_t>(maxRows) ? 1 : (count + maxRows - 1) / maxRows;
    text.reserve(text.size() + static_cast<qsizetype>(count / step + 1) * (kSampleSlots + 2) * 12);
    const QString runNumber = QString::number(r + 1);
    auto number = [&text](double v) { text += QString::number(v, 'g', 9); };
    for (std::size_t i = 0; i < count; i += step) {
      // The last sample always ends a run's rows, however the thinning falls.
      const RunSample& sample = samples[i + step >= count ? count - 1 : i];
      text += runNumber;
      text += QLatin1Char('\t');
      number(sample[0]);
      text += QLatin1Char('\t');
      number(sample[1]);
      text += QLatin1Char('\t');
      number(protocol.InjectedCurrent(sample[0]));
      for (int s = 2; s < kSampleSlots; ++s) {
        text += QLatin1Char('\t');
        number(sample[s]);
      }
      text += QLatin1Char('\n');
    }
  }
  return text;
}

bool SaveDrawing(const QString& path, QSize size, uint32_t background, const std::function<void(Device&)>& draw,
                 QString& error) {
  const std::string target = QFile::encodeName(path).toStdString();
  const std::optional<PictureFormat> format = PictureFormatForPath(target);
  if (!format) {
    error = QStringLiteral("the name must end in .png, .svg or .pdf");
    return false;
  }
  const int w = std::max(1, size.width()), h = std::max(1, size.height());
  std::string why;
  const bool ok = SavePicture(*format, target, w, h, background, draw, why);
  if (!ok) error = QString::fromStdString(why);
  return ok;
}

QByteArray PictureAsPng(Picture& picture, const ParameterSet& params, QSize size, Messages& messages) {
  KeepPicture keep(picture);
  OutputTarget& target = picture.target;
  target.clipboardCopy = true;
  target.AttachPlotter(nullptr);
  target.AttachCgm(nullptr);
  return RenderPicture(PictureFormat::Png, std::max(1, size.width()), std::max(1, size.height()),
                       picture.preferences.Colour(Preferences::BackgroundColour), [&](Device& device) {
                         target.SetDevice(&device);
                         RedrawPlot(picture, params, messages);
                         target.SetDevice(nullptr);
                       });
}

bool ExportPicture(Picture& picture, const ParameterSet& params, const QString& path, QSize size,
                   Messages& messages, QString& error) {
  KeepPicture keep(picture);
  OutputTarget& target = picture.target;
  target.clipboardCopy = true;  // measured as on screen, not filled twice
  target.AttachPlotter(nullptr);  // the plotter and metafile had this picture already
  target.AttachCgm(nullptr);
  return SaveDrawing(path, size, picture.preferences.Colour(Preferences::BackgroundColour),
                     [&](Device& device) {
                       target.SetDevice(&device);
                       RedrawPlot(picture, params, messages);
                       target.SetDevice(nullptr);
                     },
                     error);
}

bool ExportSamples(const Picture& picture, const ParameterSet& params, const QString& path,
                   QStringList& written, QString& error) {
  const std::vector<const RecordedRun*> runs = PictureRuns(picture.replay);
  if (runs.empty()) {
    error = QStringLiteral("there is no run to export");
    return false;
  }
  const QFileInfo file(path);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RecordedRun& run = *runs[r];
    const QString name =
        runs.size() == 1 ? path
                         : file.dir().filePath(QStringLiteral("%1-%2.%3")
                                                   .arg(file.completeBaseName())
                                                   .arg(r + 1)
                                                   .arg(file.suffix().isEmpty() ? QStringLiteral("csv") : file.suffix()));
    const std::optional<std::vector<RunSample>> samples = ReadRunRecord(run.recordName);
    if (!samples) {
      error = QStringLiteral("the record of run %1 cannot be read").arg(r + 1);
      return false;
    }
    // The columns and the injected current of the run itself: its values,
    // with the picture's trace table.
    ParameterSet runParams = params;
    if (run.parameters.size() == static_cast<std::size_t>(kParameterCount))
      for (int k = 0; k < kParameterCount; ++k) runParams.SetValue(k, run.parameters[k]);
    OutputFile out;
    if (!out.Open(QFile::encodeName(name).toStdString())) {
      error = QStringLiteral("%1 cannot be written (%2)").arg(QDir::toNativeSeparators(name), app::WriteFailureReason(name));
      return false;
    }
    CsvSink sink(out.Stream(), runParams);
    for (const RunSample& sample : *samples) sink.Sample(sample);
    sink.Finish();
    if (sink.Failed() || !out.Commit()) {
      error = QStringLiteral("%1 could not be written whole (%2)")
                  .arg(QDir::toNativeSeparators(name), QString::fromLocal8Bit(std::strerror(errno)));
      return false;
    }
    written << name;
  }
  return true;
}

void CopyDrawing(QWidget* mainWindow, QSize size, uint32_t background, const std::function<void(Device&)>& draw,
                 const QString& text) {
  if (mainWindow != nullptr) mainWindow->setEnabled(false);
  const int w = std::max(1, size.width());
  const int h = std::max(1, size.height());
  const QByteArray svg = RenderPicture(PictureFormat::Svg, w, h, background, draw);
  const QImage image = QImage::fromData(RenderPicture(PictureFormat::Png, w, h, background, draw), "PNG");
  auto* data = new QMimeData;
  if (!svg.isEmpty()) data->setData(QStringLiteral("image/svg+xml"), svg);
  if (!image.isNull()) data->setImageData(image);
  if (!text.isEmpty()) data->setText(text);
  QApplication::clipboard()->setMimeData(data);
  if (mainWindow != nullptr) mainWindow->setEnabled(true);
}

bool CopyPlotToClipboard(QWidget* mainWindow, Picture& picture, const ParameterSet& params,
                         QSize windowSize, Messages& messages, const QString* samplesText) {
  const QString samples = samplesText != nullptr ? *samplesText : SamplesAsText(picture, params);
  KeepPicture keep(picture);
  OutputTarget& target = picture.target;
  target.clipboardCopy = true;
  bool first = true;
  CopyDrawing(mainWindow, windowSize, picture.preferences.Colour(Preferences::BackgroundColour),
              [&](Device& device) {
                target.SetDevice(&device);
                RedrawPlot(picture, params, messages);
                target.SetDevice(nullptr);
                // The plotter and the metafile get the picture once, not once per format.
                if (first) {
                  target.AttachPlotter(nullptr);
                  target.AttachCgm(nullptr);
                  first = false;
                }
              },
              samples);
  return true;
}

bool PrintChart(QWidget* owner, const std::function<void(Device&)>& draw,
                const QString& documentName, PrinterChooser& chooser, QSize size) {
  return PrintJob(owner, documentName, chooser,
                  [&](QPainter& painter, QPrinter&, const QRect& page, const bool& cancelled) {
    const QSize area = PrintArea(page.size(), size);
    // Drawn at screen size and scaled to the page, so that the chart's text
    // keeps its share of it.
    const double scale = size.width() > 0 ? static_cast<double>(area.width()) / size.width() : 1.0;
    painter.scale(scale, scale);
    PainterDevice device(painter, area.width() / scale, area.height() / scale);
    PumpingDevice pumping(device, cancelled);
    draw(pumping);
    device.Flush();
  });
}

void CopyChartToClipboard(const std::function<void(Device&)>& draw, QSize size, const QString& text) {
  CopyDrawing(nullptr, size, 0xFFFFFF, draw, text);
}

}  // namespace vantor
