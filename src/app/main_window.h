// The main window "VTWin": menus and keys, the commands, the flags that tie
// the program together, the title, the save prompt, painting and closing.
// The simulation, the files and the picture stay in the core; this class
// calls them.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

#include "app/menu_table.h"
#include "app/record_lookup.h"
#include "app/user_prompts.h"
#include "app/zoom.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/params/pharmacology.h"
#include "vantor/render/picture.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;

namespace vantor {
class ModelEditor;
}

namespace vantor::app {

class ClampRecorder;
class ExploreRunner;
class ExplorerPanel;
class GateCurvesWindow;
class HelpWindow;
class IvWindow;
struct ExploredRun;
class MeasuresPanel;
class PictureView;
class RunListPanel;
class ValuePanel;

// A record this large is worth a word in the progress read-out, and too
// large for the explorer's runs.
inline constexpr double kNotableRecordBytes = 50e6;
// The least size of a run's record, in bytes.
double LeastRecordBytes(const ParameterSet& params);

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `prompts` answers the boxes and file dialogs (the Qt ones when null).
  explicit MainWindow(std::unique_ptr<UserPrompts> prompts = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Start-up after the window exists, in the program's order: the command
  // line (a parameter file, read and its run posted; or "deepsetup"), then
  // the preferences, the limits and the gate table from `dataDirectory`.
  // Show the window afterwards; the posted Begin runs once events flow.
  void Start(const QString& dataDirectory, const QString& commandTail);

  // Runs a command by its id, if its enabling rule allows it now.
  void Dispatch(int id);
  QAction* Action(int id) const { return actions_.value(id); }
  MenuState CurrentMenuState() const;
  // Applies the enabling rules to every item (as when a menu opens).
  void UpdateMenuState();

  // ---- Commands -------------------------------------------------------
  void CommandNew();
  void CommandOpen();
  bool CommandSave();
  bool CommandSaveAs();
  void CommandExit() { close(); }
  // The parameter file read again; with unsaved changes only after a Yes.
  void CommandRevert();
  // Every parameter value back to the built-in one (the trace table and
  // the comment stay); the title then shows the unsaved mark.
  void CommandResetParameters();
  // Edit > Undo / Redo Parameter Change: the values before (after) the last
  // dialog, Reset, Layout Editor or slider change, or before the last Open
  // or Revert (which also brings back the file's name and the unsaved
  // mark; the picture Open cleared stays cleared); the next run takes them.
  void UndoParameterChange();
  void RedoParameterChange();
  std::size_t UndoDepth() const { return undo_.size(); }
  // Open on a file of the recent list, after the save prompt.
  void OpenRecent(const QString& path);
  // The files opened or saved lately, newest first (kept in the settings).
  QStringList RecentFiles() const;
  void CommandBegin();
  void CommandOverlay();
  void CommandStop();
  // A run of another parameter file drawn over the picture, named after the
  // file in the legend; the window's own parameters stay as they are.
  void CommandOverlayFile();
  void CommandHelpIndex();
  // Opens a file as Open does once its name is known (drops use it).
  void OpenPath(const QString& path);

  // ---- Entry points of the dialogs, editors, printing and clipboard ----
  // (bodies in dialog_entry_points.cpp)
  void CommandPrint();                    // "Nothing to print!" without a picture
  bool PrintPicture();                    // prints the picture; false on failure
  void CommandCopy();                     // the picture to the clipboard
  // The picture as PNG, SVG or PDF at a size the user picks (the window's
  // is proposed), and the samples of
  // every run as CSV files (one per run), as the command line writes them.
  void CommandExportPicture();
  void CommandExportSamples();
  // Every run of the picture as one NWB file, a sweep per run.
  void CommandExportNwb();
  void CommandPreferences();              // the dialog, then the extended-mode rule
  void RunPreferencesDialog();
  void CommandComment();
  void CommandParameterGroup(int row);    // group rows 0 .. 5
  void CommandSynapticCurrents();         // row 4 in extended mode, else row 2
  void CommandScreenScaling();            // Layout Editor, then a full redraw
  void CommandEditModel();                // Model Editor
  void CommandAbout();
  // Help topic by context number (80 + 2 x group row), kept open.
  void ShowHelpTopic(int context);

  // ---- The teaching commands (drug_commands.cpp, gate_window.cpp,
  // report_command.cpp, lessons.cpp) ----------------------------------------
  void CommandDrugs();     // the Drugs dialog; its doses act on the runs that follow
  void CommandWashOut();   // no drug in the bath any more
  // The blockers every run takes until washed out (none at first).
  const std::vector<DrugDose>& Drugs() const { return drugs_; }
  void SetDrugs(std::vector<DrugDose> doses);
  void CommandGateCurves();  // the gate curves window, kept open and following the gate table
  GateCurvesWindow* GateCurves() const;  // null until opened
  // The gate curves window redrawn from the table and the temperature.
  void FollowGateTable();
  // The Model Editor's button for the gate curves, and its typed values drawn there.
  void OfferGateCurves(ModelEditor& editor);
  void CommandReport();      // the picture's runs as a PDF and HTML report
  // The report of the picture's runs into the two files; false with the reason.
  bool WriteReport(const QString& pdfPath, const QString& htmlPath, QString& error);
  void CommandLessons();     // a lesson picked, its files opened and its page shown
  // Opens lesson file `path` (a parameter file) and shows its help page.
  bool OpenLesson(const QString& path);
  // ---- The stimulus (stimulus_commands.cpp) ----------------------------
  // Parameters > Stimulus: the dialog; the next run takes what OK stored.
  void CommandStimulus();
  // Run > Family: one run per value of the stimulus's family, drawn over
  // one another; after a voltage-clamp family, the curves' window.
  void CommandFamily();
  const std::optional<Stimulus>& CurrentStimulus() const { return stimulus_; }
  // Replaces the stimulus (marked unsaved when it differs).
  void SetStimulus(std::optional<Stimulus> stimulus);
  // The window of the last voltage-clamp family's curves, while open.
  IvWindow* CurvesWindow() const;

  // ---- The docks: run list, value cursor, measures (run_panels.cpp) -----
  // Shows or hides run `index` of the picture (from 0, oldest first) and
  // redraws; false when there is no such run or a run is going on.
  bool SetRunShown(int index, bool shown);
  // Takes run `index` off the picture (never the only one) and redraws.
  bool RemovePictureRun(int index);
  // Puts the value cursor at `t` ms (kept within the time axis).
  void SetCursorTime(double t);
  std::optional<double> CursorTime() const { return cursorTime_; }
  // Zoom: the picture spans `from` .. `to` ms of the runs (in either order,
  // within the time axis; a window under a pixel wide is refused), in the
  // window, on paper, on the clipboard and in the picture export alike.
  // ZoomBack goes to the window before (all the way out with `all`).
  bool ZoomTo(double from, double to);
  void ZoomBack(bool all = false);
  std::optional<TimeWindow> Zoom() const {
    return zooms_.empty() ? std::nullopt : std::optional<TimeWindow>(zooms_.back());
  }
  // The time under a point of the picture (device pixels).
  std::optional<double> TimeAt(double deviceX) const;
  // ---- Explore (explore.cpp): a slider step sets the parameter and runs
  // the cell on a worker thread; the picture shows the new run once it is
  // drawn, in place of the current one (the overlays stay).
  void ExploreValue(int k, float value);
  ExplorerPanel* Explorer() const { return explorer_; }
  bool ExploreBusy() const;
  // From the last slider step to its redrawn picture, in ms (the run, its
  // wait behind an earlier one, and the drawing); negative before any.
  double LastExploreMs() const { return lastExploreMs_; }
  RunListPanel* RunList() const { return runList_; }
  ValuePanel* Values() const { return values_; }
  MeasuresPanel* MeasuresOfLastRun() const { return measures_; }

  // ---- State the commands work on -------------------------------------
  ParameterSet& Parameters() { return params_; }
  // The parameters of the run on the picture (and of the run going on): a
  // dialog changes Parameters() only, which the next run takes up, so the
  // picture, its redraws and prints never mix two sets.
  const ParameterSet& PictureParameters() const { return pictureParams_; }
  GateTable& Gates() { return gates_; }
  Preferences& Prefs() { return picture_.preferences; }
  Picture& PictureState() { return picture_; }
  ReplayState& RunRecords() { return picture_.replay; }
  PictureView* View() const { return view_; }
  UserPrompts& Prompts() { return *prompts_; }
  Messages& ErrorBoxes() { return messages_; }
  const QString& DataDirectory() const { return dataDirectory_; }

  // The gate table's file: the shipped vmodels.val until Save as in the
  // Model Editor names another. The runs' table differs from it while
  // GateTableUnsaved(), which Exit asks about.
  const QString& GateFile() const { return gateFile_; }
  bool GateTableUnsaved() const { return gates_.Loaded() && !gates_.SameCoefficients(savedGates_); }
  // Writes `table` to the gate file, or to a file asked for (with `asNew`);
  // the shipped file only after the user agrees. False when nothing was
  // written (cancelled, or one box says why).
  bool SaveGates(const GateTable& table, bool asNew);

  bool Unsaved() const { return unsaved_; }
  // The title shows the mark of unsaved changes, so it follows the flag.
  void SetUnsaved(bool on) {
    if (unsaved_ == on) return;
    unsaved_ = on;
    UpdateTitle();
  }
  bool ExtendedMode() const { return picture_.extendedMode; }
  void SetExtendedMode(bool on) { picture_.extendedMode = on; }
  bool NoPicture() const { return noPicture_; }
  bool Running() const { return running_; }
  bool GateTableLoaded() const { return gates_.Loaded(); }
  bool StopRequested() const { return flags_.stop; }
  bool WindowClosing() const { return flags_.windowClosing; }
  int PaintCounter() const { return paintCounter_; }
  const QString& FilePath() const { return filePath_; }
  const QString& FileTitle() const { return fileTitle_; }
  // How many runs were started (Begin and Overlay), for tests and the bench.
  int RunsStarted() const { return runsStarted_; }
  const RunResult& LastRunResult() const { return lastResult_; }
  // The status bar's read-out for a pointer at `devicePoint` (image pixels);
  // empty where no run was recorded.
  QString PointerReadout(QPointF devicePoint) const;
  // The private folder the run records go to (made with the first run, in
  // the system's temporary folder, removed with the window); empty before.
  QString RecordFolder() const { return records_ ? records_->path() : QString(); }
  // What the progress read-out says about the record of the run going on:
  // empty for a short run, else its least size and where it goes.
  const QString& RecordNote() const { return recordNote_; }
  // The longest wall time between two event pumps of the last run, in ms.
  double LongestPumpGapMs() const { return longestPumpGapMs_; }

  // Redraws the whole picture from the run records now, when there is a
  // picture and nothing else is drawing; otherwise counts it as a skipped
  // paint. Then repaints the window.
  void RedrawPicture();
  // Fills the picture with the background colour (New, Open, Preferences).
  void FillPictureBackground();
  // Deletes the records and leaves an empty picture (New, Open).
  void DropPicture();
  // Sets the window title from the file title, with " *" after it while
  // there are unsaved changes.
  void UpdateTitle();
  // A warning box with caption "VTWin"; `format` has one %s for the file title.
  void WarnWithTitle(const char* format);
  // The save prompt; Yes saves at once, and a Save that fails counts as Cancel.
  SaveAnswer AskSaveChanges();

 signals:
  void RunFinished();
  // A run of the explorer is on the picture.
  void ExploredPictureShown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildAccelerators();
  void BuildPanels();
  void BuildExplorer(QDockWidget* besides);
  void TakeExploredRun(ExploredRun run);
  QString MakeRecordFolder();
  void ShowExplorerValues();
  // Ends the explorer's run going and forgets its requests (a run of the
  // window, New, Open and closing take the picture over).
  void StopExploring();
  void FillRecentMenu();
  void RememberRecent(const QString& path);
  // What Undo and Redo bring back: the parameters, and after an Open the
  // file they belonged to.
  struct UndoStep {
    ParameterSet params;
    bool withFile = false;
    QString path, title;
    bool unsaved = false;
    std::optional<Stimulus> stimulus;  // the file's stimulus (NAME.vtp)
    bool stimulusCleared = false;
    QString stimulusFile;
  };
  UndoStep StepNow(bool withFile) const;
  void RememberForUndo(UndoStep step);
  // Undo and Redo: the step's values become the parameters (marked unsaved,
  // or as the step's file had them).
  void TakeParameters(const UndoStep& step);
  // The run list, the read-out and the measures from the picture's runs.
  void RefreshRunPanels();
  void UpdateValuePanel();
  void UpdateMeasuresPanel();
  void ReadCommandLine(const QString& tail);
  void LoadStartupFiles();
  // A run of Parameters(), or of `from` (then nothing is written back and
  // the legend names the run `label`).
  void RunCommand(bool overlay, const ParameterSet* from = nullptr, const QString& label = QString());
  void Pump();
  void ShowProgress(float t);
  void PaintRequested();
  void PointerAt(QPointF devicePoint);
  void RememberRunForPointer();
  // Takes the picture's trace table (the layout) from Parameters().
  void ApplyLayoutToPicture();
  QString TitleOrUntitled() const;
  // A parameter file into `into`, or one box: `heading` (%1 the file's
  // name), then the path, the line and the reason.
  bool ReadParameters(const QString& path, ParameterSet& into, const char* heading);
  // The parameters into `path`, or one box naming the file and the reason.
  bool WriteParameters(const QString& path);
  QString OpenStartDirectory() const;
  // The companion stimulus of a parameter file read (none when there is no
  // companion; one box when it cannot be read) and written beside it.
  void ReadCompanion(const QString& parameterFile);
  bool WriteCompanion(const QString& parameterFile);

  ParameterSet params_;
  ParameterSet pictureParams_;
  GateTable gates_;
  GateTable savedGates_;  // as in gateFile_
  QString gateFile_;
  Picture picture_;
  std::unique_ptr<UserPrompts> prompts_;
  PromptMessages messages_;

  PictureView* view_ = nullptr;
  QPointer<HelpWindow> help_;
  QLabel* progress_ = nullptr;
  QHash<int, QAction*> actions_;
  QHash<int, QAction*> toolActions_;
  QMenu* recentMenu_ = nullptr;
  std::vector<QMenu*> menus_;

  QString dataDirectory_;
  QString filePath_;
  QString fileTitle_ = QStringLiteral("(untitled)");
  QString lastDirectory_;  // of the last file opened or saved

  // Flags of the window.
  bool unsaved_ = false;
  bool noPicture_ = true;
  bool running_ = false;
  RunFlags flags_;  // Stop and window-closing, polled by the run
  int paintCounter_ = 0;

  int runsStarted_ = 0;
  RunResult lastResult_;
  std::unique_ptr<QTemporaryDir> records_;
  QString recordNote_;
  QElapsedTimer pumpClock_;
  QElapsedTimer repaintClock_;
  double longestPumpGapMs_ = 0;
  float runTime_ = 0;  // simulated time of the last sample of the run going on

  // The completed current run for the pointer read-out: the time transform
  // of the picture and the run's record.
  double timeScale_ = 0, timeOffset_ = 0;
  RecordLookup pointerRecord_;

  RunListPanel* runList_ = nullptr;
  ValuePanel* values_ = nullptr;
  MeasuresPanel* measures_ = nullptr;
  std::optional<double> cursorTime_;
  std::vector<TimeWindow> zooms_;  // innermost last
  ExplorerPanel* explorer_ = nullptr;
  std::unique_ptr<ExploreRunner> exploreRunner_;
  QElapsedTimer exploreClock_;
  QHash<long, qint64> exploreAsked_;  // request -> clock at the step, ns
  double lastExploreMs_ = -1;

  std::optional<Stimulus> stimulus_;     // what the next run is driven by
  bool stimulusCleared_ = false;         // the user took away the file's stimulus
  QString stimulusFile_;                 // the companion it was read from, while unchanged
  std::optional<Stimulus> runStimulus_;  // the copy the run going on uses
  const Stimulus* familyMember_ = nullptr;  // Run > Family: the member to run next
  ClampRecorder* clampTap_ = nullptr;       // gets each sample of a family's run
  QString familyNote_;                      // "run 2 of 13" in the progress read-out
  QPointer<QWidget> curves_;  // the IvWindow

  static constexpr std::size_t kUndoDepth = 50;
  std::vector<UndoStep> undo_, redo_;  // oldest first

  std::vector<DrugDose> drugs_;  // in the bath for every run until washed out
  QLabel* drugsShown_ = nullptr;  // the status bar's note of them
  QPointer<GateCurvesWindow> gateWindow_;
  // The label of a run: `label` (a file's name) and the drugs in the bath.
  QString RunLabelWithDrugs(const QString& label) const;
};

}  // namespace vantor::app
