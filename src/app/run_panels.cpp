// The docks beside the picture: the run list, the value cursor's read-out
// and the measures of the last run. They follow the picture's runs; what
// they change (a run shown, hidden or removed) is redrawn from the records.
#include <QDockWidget>
#include <QFile>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/dialogs/field_text.h"
#include "app/main_window.h"
#include "app/measures_panel.h"
#include "app/picture_view.h"
#include "app/run_list_panel.h"
#include "app/value_panel.h"
#include "device/painter_device.h"
#include "vantor/engine/protocol.h"
#include "vantor/files/csv_sink.h"
#include "vantor/render/palette.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_legend.h"
#include "vantor/render/run_record.h"
#include "vantor/text/number_format.h"

namespace vantor::app {
namespace {

// A record this long is not read whole for its measures on the window's
// thread (the command line's measure command takes any length).
constexpr long kMeasuredSamplesLimit = 20'000'000;

// The V-m trace of a record file, read in blocks; none when it cannot be
// read or is too long.
std::optional<VmTrace> ReadVmTrace(const std::string& path) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long count = std::ftell(file.get()) / kSampleBytes;
  if (count < 0 || count > kMeasuredSamplesLimit || std::fseek(file.get(), 0, SEEK_SET) != 0) return std::nullopt;
  VmTrace trace;
  trace.t.reserve(static_cast<std::size_t>(count));
  trace.v.reserve(static_cast<std::size_t>(count));
  unsigned char bytes[kSampleBytes];
  for (long i = 0; i < count; ++i) {
    if (std::fread(bytes, 1, kSampleBytes, file.get()) != static_cast<std::size_t>(kSampleBytes)) break;
    const RunSample sample = DecodeRunSample(bytes);
    trace.t.push_back(sample[slot::Time]);
    trace.v.push_back(sample[slot::V]);
  }
  return trace;
}

// The parameters run `run` was made with (the picture's where it kept none).
ParameterSet RunParameters(const RecordedRun& run, const ParameterSet& picture) {
  ParameterSet params = picture;
  if (run.parameters.size() == static_cast<std::size_t>(kParameterCount))
    for (int k = 0; k < kParameterCount; ++k) params.SetValue(k, run.parameters[static_cast<std::size_t>(k)]);
  return params;
}

QString RunName(const RecordedRun& run, int index) {
  return run.label.empty() ? QObject::tr("Run %1").arg(index + 1) : FromCp437(run.label);
}

QDockWidget* Dock(QMainWindow* window, const QString& title, const QString& name, QWidget* panel,
                  Qt::DockWidgetArea area) {
  auto* dock = new QDockWidget(title, window);
  dock->setObjectName(name);
  dock->setWidget(panel);
  window->addDockWidget(area, dock);
  return dock;
}

}  // namespace

void MainWindow::BuildPanels() {
  runList_ = new RunListPanel(this);
  values_ = new ValuePanel(this);
  measures_ = new MeasuresPanel(this);
  QDockWidget* runs = Dock(this, tr("Runs"), QStringLiteral("RunsDock"), runList_, Qt::RightDockWidgetArea);
  QDockWidget* values = Dock(this, tr("Values at cursor"), QStringLiteral("ValuesDock"), values_, Qt::RightDockWidgetArea);
  QDockWidget* measures =
      Dock(this, tr("Measures of the last run"), QStringLiteral("MeasuresDock"), measures_, Qt::RightDockWidgetArea);
  // Wide enough for four runs' values side by side; the picture keeps the rest.
  resizeDocks({runs}, {340}, Qt::Horizontal);
  resizeDocks({runs, values, measures}, {150, 230, 320}, Qt::Vertical);
  BuildExplorer(measures);
  connect(runList_, &RunListPanel::ShownChanged, this, [this](int i, bool shown) { SetRunShown(i, shown); });
  connect(runList_, &RunListPanel::RemoveRequested, this, [this](int i) { RemovePictureRun(i); });
  view_->cursorPlaced = [this](QPointF p) {
    if (const std::optional<double> t = TimeAt(p.x())) SetCursorTime(*t);
  };
  view_->spanChosen = [this](double x0, double x1) {
    const std::optional<double> a = TimeAt(x0), b = TimeAt(x1);
    if (a && b) ZoomTo(*a, *b);
  };
  view_->zoomBack = [this](bool all) { ZoomBack(all); };
  view_->cursorStepped = [this](int steps, int end) {
    if (noPicture_ || running_ || timeScale_ == 0) return;
    if (end != 0) SetCursorTime(end < 0 ? (zooms_.empty() ? 0.0 : zooms_.back().from)
                                        : (zooms_.empty() ? picture_.timeAxis : zooms_.back().to));
    else SetCursorTime(cursorTime_.value_or(0.0) + steps / timeScale_);
  };
  RefreshRunPanels();
}

bool MainWindow::SetRunShown(int index, bool shown) {
  if (running_ || noPicture_) return false;
  ReplayState& replay = picture_.replay;
  const int kept = static_cast<int>(replay.overlays.size());
  if (index < 0 || index >= static_cast<int>(PictureRuns(replay).size())) return false;
  (index < kept ? replay.overlays[static_cast<std::size_t>(index)] : replay.current).hidden = !shown;
  RedrawPicture();
  RefreshRunPanels();
  return true;
}

bool MainWindow::RemovePictureRun(int index) {
  if (running_ || noPicture_) return false;
  if (!RemoveRun(picture_.replay, index)) return false;
  zooms_.clear();  // the time axis may have shrunk with the run
  RedrawPicture();
  RefreshRunPanels();
  return true;
}

void MainWindow::SetCursorTime(double t) {
  if (noPicture_ || running_ || !std::isfinite(t)) return;
  const double from = zooms_.empty() ? 0.0 : zooms_.back().from;
  const double to = zooms_.empty() ? picture_.timeAxis : zooms_.back().to;
  cursorTime_ = std::clamp(t, from, std::max(from, to));
  UpdateValuePanel();
}

std::optional<double> MainWindow::TimeAt(double deviceX) const {
  if (noPicture_ || running_ || timeScale_ == 0) return std::nullopt;
  return (deviceX - timeOffset_) / timeScale_;
}

bool MainWindow::ZoomTo(double from, double to) {
  if (noPicture_ || running_) return false;
  // Narrower than a pixel of the picture shows nothing new.
  const double least = timeScale_ > 0 ? 1.0 / timeScale_ : 0.0;
  const double axis = picture_.timeAxis;
  std::optional<TimeWindow> w = ChosenWindow(from, to, axis, least);
  if (!w) return false;
  zooms_.push_back(*w);
  RedrawPicture();
  UpdateValuePanel();
  return true;
}

void MainWindow::ZoomBack(bool all) {
  if (zooms_.empty() || running_) return;
  if (all) zooms_.clear();
  else zooms_.pop_back();
  RedrawPicture();
  UpdateValuePanel();
}

void MainWindow::RefreshRunPanels() {
  if (runList_ == nullptr) return;
  std::vector<RunListEntry> entries;
  if (!noPicture_) {
    const std::vector<const RecordedRun*> runs = PictureRuns(picture_.replay);
    for (int i = 0; i < static_cast<int>(runs.size()); ++i)
      entries.push_back({FromCp437(RunLegendText(picture_.replay, i, pictureParams_)), ColourFromRef(RunColour(i)),
                         !runs[static_cast<std::size_t>(i)]->hidden});
  }
  runList_->SetRuns(entries);
  if (noPicture_) cursorTime_.reset();
  UpdateValuePanel();
  UpdateMeasuresPanel();
}

void MainWindow::UpdateValuePanel() {
  if (values_ == nullptr) return;
  if (noPicture_ || !cursorTime_ || timeScale_ == 0) {
    view_->SetCursorX(std::nullopt);
    values_->Clear(noPicture_ ? tr("No picture.")
                              : tr("Click the picture, or press Left or Right on it, to place the value cursor "
                                   "(Shift moves ten times as far; Home and End go to the ends)."));
    return;
  }
  const double t = *cursorTime_;
  view_->SetCursorX(timeOffset_ + timeScale_ * t);
  // The traces the picture shows, named as the CSV names them.
  const std::vector<std::string> names = CsvColumnNames(pictureParams_);
  QStringList rows;
  std::vector<int> traceRows;
  for (int row = 0; row < kTraceCount; ++row) {
    if (pictureParams_.Trace(row).plot == 0) continue;
    traceRows.push_back(row);
    rows << QString::fromStdString(names[static_cast<std::size_t>(row) + 1]);
  }
  std::vector<ValueColumn> columns;
  std::vector<std::vector<QString>> cells(traceRows.size());
  const std::vector<const RecordedRun*> runs = PictureRuns(picture_.replay);
  for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
    const RecordedRun& run = *runs[static_cast<std::size_t>(i)];
    if (run.hidden) continue;
    columns.push_back({RunName(run, i), ColourFromRef(RunColour(i))});
    RecordLookup lookup;
    lookup.Use(run.recordName);
    const std::optional<RunSample> sample = lookup.SampleAt(static_cast<float>(t));
    const Protocol protocol = run.protocol ? *run.protocol : Protocol::Of(RunParameters(run, pictureParams_));
    for (std::size_t r = 0; r < traceRows.size(); ++r) {
      const int row = traceRows[r];
      QString text;
      if (sample) {
        const float value = row == trace::Vm     ? (*sample)[slot::V]
                            : row == trace::IInj ? protocol.InjectedCurrent(t)
                                                 : (*sample)[static_cast<std::size_t>(row)];
        text = QString::fromStdString(FormatShort(value, 5));
      }
      cells[r].push_back(text);
    }
  }
  values_->Show(tr("t = %1 ms").arg(QString::fromStdString(FormatShort(static_cast<float>(t), 6))), columns, rows,
                cells);
}

void MainWindow::UpdateMeasuresPanel() {
  if (measures_ == nullptr) return;
  const std::vector<const RecordedRun*> runs = PictureRuns(picture_.replay);
  if (noPicture_ || runs.empty()) {
    measures_->Clear(tr("No completed run."));
    return;
  }
  const RecordedRun& last = *runs.back();
  const std::optional<VmTrace> trace = ReadVmTrace(last.recordName);
  if (!trace) {
    measures_->Clear(tr("The record of the last run cannot be measured here (missing, unreadable or longer "
                        "than %1 samples).").arg(kMeasuredSamplesLimit));
    return;
  }
  MeasureOptions options;
  options.window = DefaultWindow(RunParameters(last, pictureParams_));
  measures_->Show(RunName(last, static_cast<int>(runs.size()) - 1), Measure(*trace, options));
}

}  // namespace vantor::app
