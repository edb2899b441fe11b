// File > Report: the runs of the picture as the command line's lab report,
// a PDF and an HTML page of the same name side by side. Each run's picture
// is the window's picture with only that run shown; its measures come from
// its record, as the measures dock takes them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStatusBar>

#include "app/data_paths.h"
#include "app/dialogs/field_text.h"
#include "app/main_window.h"
#include "app/picture_view.h"
#include "app/print_copy.h"
#include "device/lab_report.h"
#include "vantor/analysis/measures.h"
#include "vantor/files/output_file.h"
#include "vantor/render/run_legend.h"
#include "vantor/render/run_record.h"

namespace vantor::app {
namespace {

constexpr int kReportPictureWidth = 1000, kReportPictureHeight = 640;

std::optional<Measures> RecordMeasures(const RecordedRun& run, const ParameterSet& params) {
  const std::optional<std::vector<RunSample>> samples = ReadRunRecord(run.recordName);
  if (!samples || samples->empty()) return std::nullopt;
  VmTrace trace;
  trace.t.reserve(samples->size());
  trace.v.reserve(samples->size());
  for (const RunSample& s : *samples) {
    trace.t.push_back(s[slot::Time]);
    trace.v.push_back(s[slot::V]);
  }
  MeasureOptions options;
  options.window = DefaultWindow(params);
  return Measure(trace, options);
}

bool WriteAll(const QString& path, const QByteArray& bytes, QString& error) {
  OutputFile out;
  if (!out.Open(QFile::encodeName(path).toStdString())) {
    error = QStringLiteral("%1 cannot be written (%2)").arg(QDir::toNativeSeparators(path), WriteFailureReason(path));
    return false;
  }
  out.Write(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!out.Commit()) {
    error = QStringLiteral("%1 could not be written whole").arg(QDir::toNativeSeparators(path));
    return false;
  }
  return true;
}

}  // namespace

bool MainWindow::WriteReport(const QString& pdfPath, const QString& htmlPath, QString& error) {
  if (noPicture_ || running_) {
    error = tr("there is no run to report");
    return false;
  }
  ReplayState& replay = picture_.replay;
  const std::vector<const RecordedRun*> runs = PictureRuns(replay);
  std::vector<ReportRun> report;
  // Each run alone on the picture for its own image; the shown and hidden
  // runs come back as they were.
  std::vector<bool> hidden;
  for (const RecordedRun* run : runs) hidden.push_back(run->hidden);
  const auto setHidden = [&](std::size_t i, bool value) {
    (i < replay.overlays.size() ? replay.overlays[i] : replay.current).hidden = value;
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const RecordedRun& run = *runs[i];
    ReportRun entry;
    // The legend's line, less the "Run n" the report's heading gives anyway.
    QString name = FromCp437(RunLegendText(replay, static_cast<int>(i), pictureParams_));
    const QString plain = tr("Run %1").arg(i + 1);
    if (name.startsWith(plain)) name = name.mid(plain.size()).remove(QRegularExpression(QStringLiteral("^:\\s*")));
    entry.name = name.toStdString();
    entry.params = pictureParams_;
    if (run.parameters.size() == static_cast<std::size_t>(kParameterCount))
      for (int k = 0; k < kParameterCount; ++k) entry.params.SetValue(k, run.parameters[static_cast<std::size_t>(k)]);
    const std::optional<Measures> measures = RecordMeasures(run, entry.params);
    if (!measures) {
      error = tr("the record of run %1 cannot be read").arg(i + 1);
      return false;
    }
    entry.measures = *measures;
    for (std::size_t j = 0; j < runs.size(); ++j) setHidden(j, j != i);
    entry.png = PictureAsPng(picture_, pictureParams_, QSize(kReportPictureWidth, kReportPictureHeight), messages_);
    for (std::size_t j = 0; j < runs.size(); ++j) setHidden(j, hidden[j]);
    report.push_back(std::move(entry));
  }
  const QByteArray pdf = ReportPdf(report, VANTOR_VERSION, "Vantor");
  if (pdf.isEmpty()) {
    error = tr("the PDF could not be made");
    return false;
  }
  const std::string html = ReportHtmlPage(report, VANTOR_VERSION);
  return WriteAll(pdfPath, pdf, error) &&
         WriteAll(htmlPath, QByteArray(html.data(), static_cast<qsizetype>(html.size())), error);
}

void MainWindow::CommandReport() {
  if (noPicture_ || running_) return;
  const QString base = filePath_.isEmpty() ? QStringLiteral("vantor") : QFileInfo(filePath_).completeBaseName();
  const QString folder = !filePath_.isEmpty() ? QFileInfo(filePath_).absolutePath()
                         : !lastDirectory_.isEmpty() ? lastDirectory_
                                                     : QDir::currentPath();
  const QString path = prompts_->ExportFileName(QDir(folder).filePath(base + QStringLiteral("-report.pdf")),
                                                {QStringLiteral("PDF document (*.pdf)")});
  if (path.isEmpty()) return;
  // The page goes beside the PDF, of the same name.
  const QFileInfo chosen(path);
  const bool named = chosen.suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0 ||
                     chosen.suffix().compare(QStringLiteral("html"), Qt::CaseInsensitive) == 0;
  const QString stem = named ? chosen.dir().filePath(chosen.completeBaseName()) : path;
  QString error;
  if (!WriteReport(stem + QStringLiteral(".pdf"), stem + QStringLiteral(".html"), error)) {
    prompts_->Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   tr("Could not write the report: %1.").arg(error));
    return;
  }
  statusBar()->showMessage(tr("Report written: %1.pdf and .html").arg(QDir::toNativeSeparators(stem)), 5000);
}

}  // namespace vantor::app
