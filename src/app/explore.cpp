// The explorer's side of the window: slider steps become runs on a worker
// thread, and each finished run takes the current run's place on the picture.
#include <QDockWidget>
#include <QFile>
#include <QStatusBar>

#include <cstdio>

#include "app/explore_runner.h"
#include "app/explorer_panel.h"
#include "app/main_window.h"

namespace vantor::app {

void MainWindow::BuildExplorer(QDockWidget* besides) {
  explorer_ = new ExplorerPanel(params_, this);
  auto* dock = new QDockWidget(tr("Explore"), this);
  dock->setObjectName(QStringLiteral("ExploreDock"));
  dock->setWidget(explorer_);
  addDockWidget(Qt::RightDockWidgetArea, dock);
  tabifyDockWidget(besides, dock);
  besides->raise();
  connect(explorer_, &ExplorerPanel::ValueChanged, this, &MainWindow::ExploreValue);
  connect(explorer_, &ExplorerPanel::ChangeStarting, this, [this] {
    RememberForUndo(StepNow(false));
    UpdateMenuState();
  });
  exploreClock_.start();
}

void MainWindow::ShowExplorerValues() {
  if (explorer_ != nullptr) explorer_->ShowValues(params_);
}

bool MainWindow::ExploreBusy() const { return exploreRunner_ && exploreRunner_->Busy(); }

void MainWindow::StopExploring() {
  if (exploreRunner_) exploreRunner_->Stop();
  exploreAsked_.clear();
}

void MainWindow::ExploreValue(int k, float value) {
  if (k < 0 || k >= kParameterCount) return;
  if (params_.Value(k) != value) {
    params_.SetValue(k, value);
    SetUnsaved(true);
  }
  // During a run of the window the value waits for the next run.
  if (running_ || flags_.windowClosing || !gates_.Loaded()) return;
  // A run that long would not follow a slider; Begin runs it once.
  if (LeastRecordBytes(params_) >= kNotableRecordBytes) {
    statusBar()->showMessage(tr("This trial is too long to explore live; Begin runs it."), 5000);
    return;
  }
  if (!exploreRunner_)
    exploreRunner_ = std::make_unique<ExploreRunner>(
        QFile::encodeName(MakeRecordFolder()).toStdString(),
        [this](ExploredRun run) { TakeExploredRun(std::move(run)); });
  const long request = exploreRunner_->Request(params_, gates_);
  exploreAsked_.insert(request, exploreClock_.nsecsElapsed());
}

void MainWindow::TakeExploredRun(ExploredRun run) {
  const auto asked = exploreAsked_.constFind(run.request);
  const bool wanted = asked != exploreAsked_.cend() && !running_ && !flags_.windowClosing;
  if (!wanted || run.result.outcome != RunOutcome::Completed) {
    if (!run.recordName.empty()) std::remove(run.recordName.c_str());
    if (wanted && !run.result.message.empty())
      statusBar()->showMessage(QString::fromLocal8Bit(run.result.message.c_str()), 5000);
    if (asked != exploreAsked_.cend()) exploreAsked_.erase(asked);
    return;
  }
  const qint64 stepAt = *asked;
  // Requests older than this one were dropped on the way.
  for (auto it = exploreAsked_.begin(); it != exploreAsked_.end();)
    it = it.key() <= run.request ? exploreAsked_.erase(it) : std::next(it);

  RecordedRun& current = picture_.replay.current;
  if (!current.recordName.empty()) std::remove(current.recordName.c_str());
  current = RecordedRun{};
  current.recordName = run.recordName;
  current.protocol = Protocol::Of(run.params);
  current.parameters.assign(run.params.Values().begin(), run.params.Values().end());
  pictureParams_ = run.params;
  ApplyLayoutToPicture();
  picture_.replay.mode = kReplayOrdinary;
  noPicture_ = false;
  lastResult_ = run.result;
  RedrawPicture();
  RefreshRunPanels();
  UpdateMenuState();
  lastExploreMs_ = static_cast<double>(exploreClock_.nsecsElapsed() - stepAt) / 1e6;
  emit ExploredPictureShown();
}

}  // namespace vantor::app
