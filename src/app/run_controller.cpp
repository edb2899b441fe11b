// Begin, Overlay and Stop: the run goes on the GUI thread and lets events
// through from its pump, so every flag stays a plain variable.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QStorageInfo>

#include <algorithm>

#include "app/dialogs/field_text.h"
#include "app/clamp_recorder.h"
#include "app/main_window.h"
#include "app/picture_view.h"
#include "vantor/text/number_format.h"
#include "vantor/render/run_picture.h"

namespace vantor::app {
namespace {

// Events are let through at most this often: often enough that Stop, a menu
// or a repaint answer within a frame or two, rarely enough that the pump
// costs next to nothing beside the integration.
constexpr qint64 kPumpIntervalNs = 15'000'000;
// The live picture is shown less often: each showing copies the whole image.
constexpr qint64 kRepaintIntervalNs = 40'000'000;

// Keeps the simulated time of the newest sample for the progress read-out.
class ProgressSink : public RunSink {
 public:
  ProgressSink(float& time, RunSink* next) : time_(time), next_(next) {}
  void Sample(const RunSample& sample) override {
    time_ = sample[0];
    if (next_ != nullptr) next_->Sample(sample);
  }

 private:
  float& time_;
  RunSink* next_;  // a family's clamp recorder
};

QString Megabytes(double bytes) { return QString::number(bytes / 1e6, 'f', bytes < 1e7 ? 1 : 0); }

}  // namespace

// The least size of a run's record: one sample per "Maximum dt for plot"
// at least (more where the potential moves faster than "Maximum dV").
double LeastRecordBytes(const ParameterSet& params) {
  const double trial = params.Value(param::TrialDuration);
  const double dt = params.Value(param::MaxDtForPlot);
  if (!(trial > 0) || !(dt > 0)) return 0;
  return (trial / dt + 1) * kSampleBytes;
}

void MainWindow::CommandBegin() { RunCommand(false); }
void MainWindow::CommandOverlay() { RunCommand(true); }
void MainWindow::CommandStop() { flags_.stop = true; }

void MainWindow::CommandOverlayFile() {
  if (running_ || noPicture_ || !gates_.Loaded()) return;
  const QString name = prompts_->OpenFileName(OpenStartDirectory());
  if (name.isEmpty()) return;
  ParameterSet other = params_;
  if (!ReadParameters(name, other, "Could not read file %1!")) return;
  // The file's run goes into this picture: its bands, scales and title
  // stay the picture's.
  for (int i = 0; i < kTraceCount; ++i) other.SetTrace(i, pictureParams_.Trace(i));
  other.SetComment(pictureParams_.Comment());
  lastDirectory_ = QFileInfo(name).absolutePath();
  RunCommand(true, &other, QFileInfo(name).fileName());
}

QString MainWindow::MakeRecordFolder() {
  // Records go to a folder of the program's own under the system's
  // temporary folder, never to wherever the program was started.
  if (!records_) {
    records_ = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("vantor-XXXXXX")));
    if (!records_->isValid()) records_.reset();
  }
  return records_ ? records_->path() : QDir::currentPath();
}

void MainWindow::RunCommand(bool overlay, const ParameterSet* from, const QString& label) {
  // Never a second run from inside the pump of the first, whatever the path
  // (a key, a posted command, a script).
  if (running_ || flags_.windowClosing) return;
  if (!gates_.Loaded()) {
    // The posted start-up Begin arrives without the menu's check.
    prompts_->Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                   tr("No run can start: the gate table vmodels.val could not be loaded."));
    return;
  }
  if (overlay && noPicture_) return;  // nothing to overlay on

  StopExploring();  // this run takes the picture over
  const QString folder = MakeRecordFolder();
  const double least = LeastRecordBytes(from != nullptr ? *from : params_);
  recordNote_.clear();
  if (least >= kNotableRecordBytes) {
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < least) {
      prompts_->Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                     tr("This run needs at least %1 MB for its record in %2, and only %3 MB are "
                        "free there. Shorten the trial or raise Maximum dt for plot.")
                         .arg(Megabytes(least), QDir::toNativeSeparators(folder),
                              Megabytes(static_cast<double>(storage.bytesAvailable()))));
      return;
    }
    recordNote_ = tr("record at least %1 MB in %2").arg(Megabytes(least), QDir::toNativeSeparators(folder));
  }

  noPicture_ = true;
  zooms_.clear();  // a new run is shown whole
  if (paintCounter_ >= 0) paintCounter_ = 0;
  running_ = true;
  flags_.stop = false;
  ++runsStarted_;
  pointerRecord_.Use({});
  UpdateMenuState();
  RefreshRunPanels();  // the docks wait for the run's end

  Device& device = view_->BeginDrawing(picture_.preferences.Colour(Preferences::BackgroundColour));
  picture_.target.SetDevice(&device);
  runTime_ = 0;
  ProgressSink progress(runTime_, clampTap_);
  RunPictureOptions options;
  options.extraSink = &progress;
  options.recordDirectory = QFile::encodeName(folder).toStdString();
  options.label = ToCp437(RunLabelWithDrugs(label));
  options.pump = [this] { Pump(); };
  // The stimulus as it is now (Begin and Overlay run it without its family).
  runStimulus_ = familyMember_ != nullptr ? std::optional<Stimulus>(*familyMember_) : stimulus_;
  if (runStimulus_) runStimulus_->family.reset();
  options.tuning.stimulus = runStimulus_ ? &*runStimulus_ : nullptr;
  options.tuning.drive = clampTap_;
  longestPumpGapMs_ = 0;
  pumpClock_.start();
  repaintClock_.invalidate();

  // The run works on its own copy, so that a dialog opened from the pump
  // changes the next run and not this one. What the run writes back (the
  // ion floors) reaches the user's set unless the user changed that value
  // meanwhile.
  const ParameterSet before = params_;
  pictureParams_ = from != nullptr ? *from : params_;
  const DrugWashout washout = ApplyDrugs(pictureParams_, drugs_);
  lastResult_ = overlay ? OverlayRun(picture_, pictureParams_, gates_, flags_, messages_, options)
                        : BeginRun(picture_, pictureParams_, gates_, flags_, messages_, options);
  if (from == nullptr) {
    ParameterSet ran = pictureParams_;
    WashOut(ran, washout);  // the drugs act on the run, never on the user's values
    for (int k = 0; k < kParameterCount; ++k)
      if (params_.Value(k) == before.Value(k)) params_.SetValue(k, ran.Value(k));
  }

  picture_.replay.mode = kReplayOrdinary;
  // A picture only from a run that reached its end.
  noPicture_ = lastResult_.outcome != RunOutcome::Completed || flags_.stop;
  picture_.target.SetDevice(nullptr);
  view_->EndDrawing();
  running_ = false;
  if (flags_.windowClosing) return;  // the window is going; nothing more to show

  UpdateMenuState();
  view_->update();
  switch (lastResult_.outcome) {
    case RunOutcome::Completed: statusBar()->showMessage(tr("Run complete"), 3000); break;
    case RunOutcome::Stopped: statusBar()->showMessage(tr("Run stopped"), 3000); break;
    case RunOutcome::Refused:
    case RunOutcome::Failed:
      statusBar()->clearMessage();
      prompts_->Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                     QString::fromStdString(lastResult_.message));
      break;
    case RunOutcome::WindowClosed: break;
  }
  if (!noPicture_) RememberRunForPointer();
  RefreshRunPanels();
  // Paints that could not be served from the image during the run (a
  // resize): one redraw from the records now.
  if (paintCounter_ > 0) RedrawPicture();
  paintCounter_ = 0;
  emit RunFinished();
}

void MainWindow::Pump() {
  const qint64 elapsed = pumpClock_.nsecsElapsed();
  if (elapsed < kPumpIntervalNs) return;
  longestPumpGapMs_ = std::max(longestPumpGapMs_, elapsed / 1e6);
  if (!repaintClock_.isValid() || repaintClock_.nsecsElapsed() >= kRepaintIntervalNs) {
    view_->FlushDrawing();
    view_->update();
    ShowProgress(runTime_);
    repaintClock_.start();
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  pumpClock_.start();
}

void MainWindow::ShowProgress(float t) {
  const float trial = pictureParams_.Value(param::TrialDuration);
  const int percent = trial > 0 ? static_cast<int>(std::clamp(100.0f * t / trial, 0.0f, 100.0f)) : 0;
  QString text = tr("Running: %1 of %2 ms (%3 %)")
                     .arg(QString::fromStdString(FormatShort(t, 5)),
                          QString::fromStdString(FormatShort(trial, 5)))
                     .arg(percent);
  if (!recordNote_.isEmpty()) text += QStringLiteral("; ") + recordNote_;
  if (!familyNote_.isEmpty()) text = familyNote_ + QStringLiteral(": ") + text;
  statusBar()->showMessage(text);
}

}  // namespace vantor::app
