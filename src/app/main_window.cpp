#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

#include "app/data_paths.h"
#include "app/explore_runner.h"
#include "app/help_window.h"
#include "app/picture_view.h"
#include "vantor/text/number_format.h"
#include "vantor/params/list_files.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/startup_files.h"
#include "vantor/render/layout.h"
#include "vantor/render/replay.h"

namespace vantor::app {
namespace {

QString ShellCaption() { return QString::fromLatin1(kShellCaption.data(), kShellCaption.size()); }

// A command-line path may come wrapped in one pair of quotation marks.
QString StripEnclosingQuotes(QString text) {
  text = text.trimmed();
  if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) text = text.mid(1, text.size() - 2);
  return text;
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<UserPrompts> prompts, QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts ? std::move(prompts) : std::make_unique<QtPrompts>(this)),
      messages_(*prompts_) {
  setObjectName(QStringLiteral("VTWin"));
  view_ = new PictureView(this);
  view_->beforePaint = [this] { PaintRequested(); };
  view_->pointerMoved = [this](QPointF p) { PointerAt(p); };
  view_->pointerLeft = [this] {
    if (!running_) statusBar()->clearMessage();
  };
  setCentralWidget(view_);
  setAcceptDrops(true);
  BuildMenus();
  BuildAccelerators();
  BuildPanels();
  statusBar()->setSizeGripEnabled(true);
  resize(1340, 720);  // the picture keeps 1000 by 720 beside the panels
  UpdateTitle();
}

MainWindow::~MainWindow() {
  StopExploring();
  view_->EndDrawing();
  picture_.target.SetDevice(nullptr);
  DeleteRunRecords(picture_.replay);
  delete help_;  // a window of its own, not a child: see ShowHelpTopic
}

// ---- Menus and keys ------------------------------------------------------

void MainWindow::BuildMenus() {
  for (const char* title : MenuTitles()) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
    menus_.push_back(menu);
    // The rules are applied whenever a menu is about to open.
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateMenuState);
    for (const MenuItem& item : MenuItems()) {
      if (std::string_view(item.menu) != title) continue;
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromLatin1(item.text));
      action->setData(item.id);
      actions_.insert(item.id, action);
      const int id = item.id;
      connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
      if (id == cmd::Open) {
        recentMenu_ = menu->addMenu(tr("Open Re&cent"));
        connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
      }
    }
  }
  // The toolbar: the commands of a lesson, with the menu's enabling rules.
  QToolBar* bar = addToolBar(tr("Commands"));
  bar->setObjectName(QStringLiteral("Toolbar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  const struct {
    int id;
    const char* text;
    QStyle::StandardPixmap icon;
  } tools[] = {
      {cmd::Begin, "Begin", QStyle::SP_MediaPlay},        {cmd::Overlay, "Overlay", QStyle::SP_MediaSeekForward},
      {cmd::Stop, "Stop", QStyle::SP_MediaStop},          {cmd::Open, "Open", QStyle::SP_DialogOpenButton},
      {cmd::Save, "Save", QStyle::SP_DialogSaveButton},   {cmd::ExportPicture, "Export", QStyle::SP_FileDialogDetailedView},
  };
  for (const auto& tool : tools) {
    QAction* action = bar->addAction(style()->standardIcon(tool.icon), tr(tool.text));
    action->setToolTip(QAction(QString::fromLatin1(FindMenuItem(tool.id)->text)).iconText());
    const int id = tool.id;
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    toolActions_.insert(id, action);
  }
}

void MainWindow::BuildAccelerators() {
  for (const auto& table : {Accelerators(), DesktopAccelerators()}) {
    for (const Accelerator& key : table) {
      auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), this);
      shortcut->setContext(Qt::WindowShortcut);
      const int id = key.id;
      connect(shortcut, &QShortcut::activated, this, [this, id] { Dispatch(id); });
    }
  }
  // Items whose text shows no key show their desktop key; the window's
  // shortcut above does the work, so the action's own binding is limited
  // to its open menu.
  for (const Accelerator& key : DesktopAccelerators()) {
    const MenuItem* item = FindMenuItem(key.id);
    QAction* action = actions_.value(key.id);
    if (item == nullptr || action == nullptr || *ShownKey(*item) != '\0') continue;
    if (!action->shortcut().isEmpty()) continue;
    action->setShortcut(QKeySequence(QString::fromLatin1(key.keys)));
    action->setShortcutContext(Qt::WidgetShortcut);
  }
}

MenuState MainWindow::CurrentMenuState() const {
  MenuState s;
  s.running = running_;
  s.gateTableLoaded = gates_.Loaded();
  s.noPicture = noPicture_;
  s.extendedMode = picture_.extendedMode;
  return s;
}

void MainWindow::UpdateMenuState() {
  const MenuState state = CurrentMenuState();
  for (const MenuItem& item : MenuItems())
    if (QAction* action = actions_.value(item.id)) action->setEnabled(RuleAllows(item.rule, state));
  if (QAction* undo = actions_.value(cmd::Undo)) undo->setEnabled(!undo_.empty());
  ShowExplorerValues();
  if (QAction* redo = actions_.value(cmd::RedoChange)) redo->setEnabled(!redo_.empty());
  for (auto it = toolActions_.cbegin(); it != toolActions_.cend(); ++it)
    it.value()->setEnabled(CommandEnabled(it.key(), state));
}

void MainWindow::Dispatch(int id) {
  // A key reaches a command only when its menu item would be enabled.
  if (!CommandEnabled(id, CurrentMenuState())) return;
  // The commands that change parameters can be taken back one by one.
  const bool undoable = id == cmd::Comment || id == cmd::Protocol || id == cmd::Conductances ||
                        id == cmd::SynapticCurrents || id == cmd::Ions || id == cmd::ScreenScaling ||
                        id == cmd::MiscParameters || id == cmd::ResetParameters;
  const ParameterSet before = undoable ? params_ : ParameterSet();
  switch (id) {
    case cmd::New: CommandNew(); break;
    case cmd::Open: CommandOpen(); break;
    case cmd::Save: CommandSave(); break;
    case cmd::SaveAs: CommandSaveAs(); break;
    case cmd::Revert: CommandRevert(); break;
    case cmd::ResetParameters: CommandResetParameters(); break;
    case cmd::Print: CommandPrint(); break;
    case cmd::ExportPicture: CommandExportPicture(); break;
    case cmd::ExportSamples: CommandExportSamples(); break;
    case cmd::ExportNwb: CommandExportNwb(); break;
    case cmd::Exit: CommandExit(); break;
    case cmd::Copy: CommandCopy(); break;
    case cmd::Preferences: CommandPreferences(); break;
    case cmd::Begin: CommandBegin(); break;
    case cmd::Overlay: CommandOverlay(); break;
    case cmd::Stop: CommandStop(); break;
    case cmd::OverlayFile: CommandOverlayFile(); break;
    case cmd::Family: CommandFamily(); break;
    case cmd::Stimulus: CommandStimulus(); break;
    case cmd::Comment: CommandComment(); break;
    case cmd::Protocol: CommandParameterGroup(0); break;
    case cmd::Conductances: CommandParameterGroup(1); break;
    case cmd::SynapticCurrents: CommandSynapticCurrents(); break;
    case cmd::Ions: CommandParameterGroup(3); break;
    case cmd::ScreenScaling: CommandScreenScaling(); break;
    case cmd::EditModel: CommandEditModel(); break;
    case cmd::MiscParameters: CommandParameterGroup(5); break;
    case cmd::HelpIndex: CommandHelpIndex(); break;
    case cmd::About: CommandAbout(); break;
    case cmd::Undo: UndoParameterChange(); break;
    case cmd::RedoChange: RedoParameterChange(); break;
    case cmd::Drugs: CommandDrugs(); break;
    case cmd::WashOut: CommandWashOut(); break;
    case cmd::GateCurves: CommandGateCurves(); break;
    case cmd::Report: CommandReport(); break;
    case cmd::Lessons: CommandLessons(); break;
    default: break;
  }
  if (undoable && !(params_ == before)) {
    UndoStep step;
    step.params = before;
    RememberForUndo(step);
    UpdateMenuState();
  }
}

MainWindow::UndoStep MainWindow::StepNow(bool withFile) const {
  UndoStep step;
  step.params = params_;
  step.withFile = withFile;
  step.path = filePath_;
  step.title = fileTitle_;
  step.unsaved = unsaved_;
  step.stimulus = stimulus_;
  step.stimulusCleared = stimulusCleared_;
  step.stimulusFile = stimulusFile_;
  return step;
}

void MainWindow::RememberForUndo(UndoStep step) {
  undo_.push_back(std::move(step));
  if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
  redo_.clear();
}

void MainWindow::UndoParameterChange() {
  if (undo_.empty()) return;
  redo_.push_back(StepNow(undo_.back().withFile));
  const UndoStep step = undo_.back();
  undo_.pop_back();
  TakeParameters(step);
}

void MainWindow::RedoParameterChange() {
  if (redo_.empty()) return;
  undo_.push_back(StepNow(redo_.back().withFile));
  const UndoStep step = redo_.back();
  redo_.pop_back();
  TakeParameters(step);
}

void MainWindow::TakeParameters(const UndoStep& step) {
  const ParameterSet& values = step.params;
  bool layout = false;
  for (int i = 0; i < kTraceCount; ++i) layout = layout || !(params_.Trace(i) == values.Trace(i));
  params_ = values;
  if (step.withFile) {
    // An Open or Revert taken back: the file, its stimulus and its mark as they were.
    filePath_ = step.path;
    fileTitle_ = step.title;
    stimulus_ = step.stimulus;
    stimulusCleared_ = step.stimulusCleared;
    stimulusFile_ = step.stimulusFile;
    SetUnsaved(step.unsaved);
    UpdateTitle();
  } else {
    SetUnsaved(true);
  }
  FollowGateTable();
  // A layout taken back shows at once, as the Layout Editor's change did.
  if (layout && !running_) {
    ApplyLayoutToPicture();
    RedrawPicture();
  }
  UpdateMenuState();
}

// ---- Start-up --------------------------------------------------------------

void MainWindow::Start(const QString& dataDirectory, const QString& commandTail) {
  dataDirectory_ = dataDirectory;
  if (!dataDirectory_.isEmpty() && !dataDirectory_.endsWith('/')) dataDirectory_ += '/';
  ReadCommandLine(commandTail);
  LoadStartupFiles();
  FillPictureBackground();
  UpdateMenuState();
}

void MainWindow::ReadCommandLine(const QString& tail) {
  filePath_ = StripEnclosingQuotes(tail);
  if (filePath_.compare(QStringLiteral("deepsetup"), Qt::CaseInsensitive) == 0) {
    picture_.extendedMode = true;
    filePath_.clear();
  }
  if (!filePath_.isEmpty()) {
    // The name stays even when the file cannot be read: the user named it,
    // and Save may create it.
    fileTitle_ = QFileInfo(filePath_).fileName();
    ParameterSet read = params_;
    if (ReadParameters(filePath_, read, "File %1 cannot be read!")) {
      params_ = read;
      lastDirectory_ = QFileInfo(filePath_).absolutePath();
      // The window's first paint falls inside this run.
      paintCounter_ = -1;
      // The run starts once events flow, after the start-up files are read.
      QMetaObject::invokeMethod(this, &MainWindow::CommandBegin, Qt::QueuedConnection);
    }
  }
  UpdateTitle();
}

void MainWindow::LoadStartupFiles() {
  const StartupFiles loaded = StartupFiles::Load(QFile::encodeName(dataDirectory_).toStdString(),
                                                 params_, gates_, messages_, picture_.extendedMode);
  picture_.preferences = loaded.preferences;
  picture_.extendedMode = loaded.extendedMode;
  gateFile_ = dataDirectory_ + QStringLiteral("vmodels.val");
  savedGates_ = gates_;
  // The colours the user saved come after the shipped ones.
  const QString userFile = UserPreferencesFile();
  if (!userFile.isEmpty() && QFileInfo(userFile).isFile()) {
    ReadCountList(QFile::encodeName(userFile).toStdString(), picture_.preferences.values.data(),
                  kPreferenceCount, messages_);
    if (picture_.preferences.values[Preferences::BackgroundColour] == kExtendedModeColour &&
        gates_.Loaded())
      picture_.extendedMode = true;
  }
}

// ---- Title and boxes -------------------------------------------------------

QString MainWindow::TitleOrUntitled() const {
  return fileTitle_.isEmpty() ? QStringLiteral("(untitled)") : fileTitle_;
}

void MainWindow::UpdateTitle() {
  setWindowTitle(QStringLiteral("%1 - %2").arg(ShellCaption(), TitleOrUntitled()) +
                 (unsaved_ ? QStringLiteral(" *") : QString()));
}

void MainWindow::WarnWithTitle(const char* format) {
  QString text = QString::fromLatin1(format);
  text.replace(QStringLiteral("%s"), TitleOrUntitled());
  prompts_->Warn(ShellCaption(), text);
}

SaveAnswer MainWindow::AskSaveChanges() {
  const SaveAnswer answer =
      prompts_->AskSave(QStringLiteral("Save current changes in %1?").arg(TitleOrUntitled()));
  if (answer == SaveAnswer::Yes && !CommandSave()) return SaveAnswer::Cancel;
  return answer;
}

// ---- Picture ---------------------------------------------------------------

void MainWindow::DropPicture() {
  StopExploring();
  DeleteRunRecords(picture_.replay);
  noPicture_ = true;
  zooms_.clear();
  pointerRecord_.Use({});
  FillPictureBackground();
  RefreshRunPanels();
}

void MainWindow::FillPictureBackground() {
  const uint32_t background = picture_.preferences.Colour(Preferences::BackgroundColour);
  if (view_->Drawing())
    FillBackground(picture_);  // a run is drawing: onto its device
  else
    view_->Clear(background);
  view_->update();
}

void MainWindow::RedrawPicture() {
  if (noPicture_ || running_ || picture_.target.printing || view_->Drawing()) {
    paintCounter_ = std::max(paintCounter_, 0) + 1;
    view_->update();
    return;
  }
  Device& device = view_->BeginDrawing(picture_.preferences.Colour(Preferences::BackgroundColour));
  picture_.target.SetDevice(&device);
  FillBackground(picture_);
  {
    ZoomScope zoom(picture_, pictureParams_, Zoom());
    RedrawPlot(picture_, zoom.Params(), messages_);
  }
  picture_.replay.mode = kReplayOrdinary;
  picture_.target.SetDevice(nullptr);
  view_->EndDrawing();
  paintCounter_ = 0;
  RememberRunForPointer();
  view_->update();
}

// A paint serves the image as it is unless the window's size changed: then
// the picture is redrawn from the records, or, when that cannot be done now
// (no picture, a run or a print going on), the paint counts as skipped.
void MainWindow::PaintRequested() {
  if (!view_->Stale()) return;
  if (noPicture_ || running_ || picture_.target.printing || view_->Drawing()) {
    paintCounter_ = std::max(paintCounter_, 0) + 1;
    if (!view_->Drawing()) view_->Clear(picture_.preferences.Colour(Preferences::BackgroundColour));
    return;
  }
  RedrawPicture();
}

void MainWindow::ApplyLayoutToPicture() {
  if (running_) return;  // the run going on keeps its own; the next one takes it
  for (int i = 0; i < kTraceCount; ++i) pictureParams_.SetTrace(i, params_.Trace(i));
}

void MainWindow::RememberRunForPointer() {
  timeScale_ = picture_.target.surface.sx;
  // Zoomed, the picture's times count from the window's start.
  timeOffset_ = picture_.target.surface.ox - (zooms_.empty() ? 0.0 : zooms_.back().from * timeScale_);
  pointerRecord_.Use(noPicture_ ? std::string() : picture_.replay.current.recordName);
  UpdateValuePanel();  // the cursor keeps its time where the picture's axis moved
}

QString MainWindow::PointerReadout(QPointF p) const {
  if (running_ || noPicture_ || timeScale_ == 0) return {};
  const auto at = pointerRecord_.At(static_cast<float>((p.x() - timeOffset_) / timeScale_));
  if (!at) return {};
  return QStringLiteral("t = %1 ms    V-m = %2 mV")
      .arg(QString::fromStdString(FormatShort(at->first, 5)),
           QString::fromStdString(FormatShort(at->second, 4)));
}

void MainWindow::PointerAt(QPointF p) {
  if (running_) return;  // the status bar shows the run's progress
  const QString text = PointerReadout(p);
  if (text.isEmpty())
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(text);
}

// ---- Window events ---------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) {
    event->ignore();
    return;
  }
  if (GateTableUnsaved()) {
    const SaveAnswer answer = prompts_->AskSave(
        QStringLiteral("Save the changed gate table in %1?").arg(QFileInfo(gateFile_).fileName()));
    if (answer == SaveAnswer::Cancel || (answer == SaveAnswer::Yes && !SaveGates(gates_, false))) {
      event->ignore();
      return;
    }
  }
  flags_.windowClosing = true;  // a run going on ends at its next pass
  StopExploring();
  if (help_) help_->close();
  DeleteRunRecords(picture_.replay);
  records_.reset();  // the private record folder goes too (a signal ends the program before ~MainWindow)
  noPicture_ = true;
  QSettings().setValue(QStringLiteral("window/geometry"), saveGeometry());
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  // As Open: not during a run, not without the gate table.
  if (!CommandEnabled(cmd::Open, CurrentMenuState())) return;
  const QString path = urls.first().toLocalFile();
  // Open's own work happens after the drop has been answered, so the save
  // prompt and any error box are not shown inside the drag.
  QMetaObject::invokeMethod(
      this,
      [this, path] {
        if (!CommandEnabled(cmd::Open, CurrentMenuState())) return;
        if (unsaved_ && AskSaveChanges() == SaveAnswer::Cancel) return;
        OpenPath(path);
      },
      Qt::QueuedConnection);
}

void MainWindow::CommandHelpIndex() { ShowHelpTopic(kHelpIndex); }

void MainWindow::ShowHelpTopic(int context) {
  // Without a parent, so that a dialog open over the main window (which
  // asks for help) does not block the help window too.
  if (!help_) help_ = new HelpWindow(dataDirectory_ + QStringLiteral("vantorw.html"), nullptr);
  help_->ShowTopic(context);
}

}  // namespace vantor::app
