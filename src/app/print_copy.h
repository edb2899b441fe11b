// Printing and copying the picture: both draw it once more from the run
// record files, on a printer page or into the clipboard's formats.
#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QPrinter;
class QWidget;

class QPainter;
class QPrinter;

namespace vantor {

class Device;
class Messages;
class ParameterSet;
struct Picture;

// Picks the printer; the real one is the platform's print dialog, tests
// script a PDF file.
class PrinterChooser {
 public:
  virtual ~PrinterChooser() = default;
  // False when the user cancelled.
  virtual bool Choose(QPrinter& printer, QWidget* owner) = 0;
};

class PrintDialogChooser : public PrinterChooser {
 public:
  bool Choose(QPrinter& printer, QWidget* owner) override;
};

// The small modeless box that lets the user stop a print job.
class PrintAbortBox : public QDialog {
 public:
  PrintAbortBox(QWidget* mainWindow, bool& cancelled);

 private:
  void Cancel();
  QWidget* mainWindow_;
  bool& cancelled_;
};

// Prints the picture with the parameter listing on one page, and the
// parameters of every run shown as a table on the next. True for a
// finished job, a cancelled print dialog and a job the user stopped; false
// when the job failed (the caller says "Could not print file %s"). With a
// `pictureSize` (the picture on screen) the page keeps its proportions.
bool PrintPlot(QWidget* mainWindow, Picture& picture, const ParameterSet& params,
               const QString& documentName, PrinterChooser& chooser, Messages& messages,
               QSize pictureSize = QSize());

// Prints what `draw` draws on one page (given the device and the printer's
// dots per inch), with the box that stops the job, and then what `more`
// puts on pages after it (given the painter, the printer and the page); the
// same results as PrintPlot, which prints the picture through it.
bool PrintDrawing(QWidget* mainWindow, const QString& documentName, PrinterChooser& chooser, QSize pictureSize,
                  const std::function<void(Device&, int)>& draw,
                  const std::function<void(QPainter&, QPrinter&, const QRect&)>& more = {});

// The part of a page of `page` pixels a picture of `picture`'s proportions
// takes: the whole width, or the whole height when it is the narrower way,
// from the top left. The whole page without a picture size.
QSize PrintArea(QSize page, QSize picture);

// The samples of every run of the picture as tab-separated text with a
// header row: the run's number, the time, V-m, the injected current, the
// other recorded traces and the gates by name. Each long run is thinned
// evenly to at most `maxRows` samples. Empty when no record is readable.
QString SamplesAsText(const Picture& picture, const ParameterSet& params, int maxRows = 100000);

// The picture at `size` into `path` as the extension says (.png, .svg,
// .pdf), never leaving a half-written file; false with the reason.
bool ExportPicture(Picture& picture, const ParameterSet& params, const QString& path, QSize size,
                   Messages& messages, QString& error);

// What `draw` draws at `size` into `path` as its extension says (.png,
// .svg, .pdf), never leaving a half-written file; false with the reason.
// ExportPicture writes the picture through it.
bool SaveDrawing(const QString& path, QSize size, uint32_t background, const std::function<void(Device&)>& draw,
                 QString& error);

// The picture at `size` as PNG bytes, drawn as ExportPicture draws it;
// empty when it could not be encoded.
QByteArray PictureAsPng(Picture& picture, const ParameterSet& params, QSize size, Messages& messages);

// The samples of every run of the picture as the command line's CSV files:
// `path` for a single run, "name-1.csv", "name-2.csv" ... beside it for
// several. False with the reason at the first file that cannot be written;
// `written` gets the files done.
bool ExportSamples(const Picture& picture, const ParameterSet& params, const QString& path,
                   QStringList& written, QString& error);

// What `draw` draws at `size` on the clipboard as SVG and as an image, with
// `text` beside them when not empty; `draw` is called once per format.
void CopyDrawing(QWidget* mainWindow, QSize size, uint32_t background, const std::function<void(Device&)>& draw,
                 const QString& text);

// Puts the picture on the clipboard at the window's size as SVG
// ("image/svg+xml") and as an image, with the samples of every run as
// text (`samples` when given, else SamplesAsText of the picture). Always
// true, as the clipboard calls are not checked.
bool CopyPlotToClipboard(QWidget* mainWindow, Picture& picture, const ParameterSet& params,
                         QSize windowSize, Messages& messages, const QString* samples = nullptr);

// A chart of a window of its own (drawn by `draw` on any device) printed on
// one page at the proportions of `size`, with the same chooser and cancel
// box as the picture; true unless the job failed.
bool PrintChart(QWidget* owner, const std::function<void(class Device&)>& draw,
                const QString& documentName, PrinterChooser& chooser, QSize size);
// The chart on the clipboard at `size` as SVG and as an image, with `text`
// (its table) beside them.
void CopyChartToClipboard(const std::function<void(class Device&)>& draw, QSize size,
                          const QString& text);

}  // namespace vantor
