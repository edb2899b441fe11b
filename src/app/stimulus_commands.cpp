// The stimulus of the window: its dialog, Run > Family with the curves of a
// voltage-clamp family, and the companion file (NAME.vtp) read and written
// with the parameter file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>

#include "app/clamp_recorder.h"
#include "app/dialogs/stimulus_dialog.h"
#include "app/iv_window.h"
#include "app/main_window.h"
#include "vantor/engine/stimulus_file.h"

namespace vantor::app {
namespace {

constexpr float kClampSampling = 0.01f;  // ms

QString ShellCaption() { return QString::fromLatin1(kShellCaption.data(), kShellCaption.size()); }
std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString CompanionOf(const QString& parameterFile) {
  return QFile::decodeName(CompanionStimulusPath(FileSystemPath(parameterFile)).c_str());
}

}  // namespace

IvWindow* MainWindow::CurvesWindow() const { return qobject_cast<IvWindow*>(curves_.data()); }

void MainWindow::SetStimulus(std::optional<Stimulus> stimulus) {
  const bool same = stimulus.has_value() == stimulus_.has_value() && (!stimulus || *stimulus == *stimulus_);
  if (same) return;
  if (stimulus_ && !stimulus) stimulusCleared_ = true;
  stimulus_ = std::move(stimulus);
  stimulusFile_.clear();
  SetUnsaved(true);
}

void MainWindow::CommandStimulus() {
  // Waveform files named without a folder lie beside the parameter file.
  const QString directory = filePath_.isEmpty() ? QDir::currentPath() : QFileInfo(filePath_).absolutePath();
  std::optional<Stimulus> edited = stimulus_;
  if (RunStimulusDialog(edited, params_, directory, this)) SetStimulus(std::move(edited));
}

void MainWindow::CommandFamily() {
  if (running_ || !gates_.Loaded() || flags_.windowClosing) return;
  if (!stimulus_ || !stimulus_->family) {
    prompts_->Warn(ShellCaption(), tr("The stimulus has no family: give one in Parameters > Stimulus "
                                      "(a level and the values it takes, one run each)."));
    return;
  }
  // The family as it is now: a dialog opened during the runs changes the next one.
  const Stimulus family = *stimulus_;
  const std::vector<FamilyMember> members = ExpandFamily(family);
  const bool voltage = family.mode == ClampMode::Voltage;
  ClampRecorder recorder;
  std::vector<ClampRun> runs;
  clampTap_ = voltage ? &recorder : nullptr;
  bool complete = true;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const FamilyMember& member = members[i];
    familyNote_ = tr("Family: run %1 of %2 (%3)")
                      .arg(i + 1)
                      .arg(members.size())
                      .arg(QString::fromStdString(member.label));
    statusBar()->showMessage(familyNote_);
    familyMember_ = &member.stimulus;
    // Each run on a copy: its own step amplitude when the family varies it,
    // and in voltage clamp a sample every 0.01 ms at least, so that the
    // peaks are found as the command line's iv finds them.
    ParameterSet run = params_;
    if (member.parameterStep) run.SetValue(param::InjectedCurrent, static_cast<float>(*member.parameterStep));
    if (voltage && !(run.Value(param::MaxDtForPlot) <= kClampSampling))
      run.SetValue(param::MaxDtForPlot, kClampSampling);
    recorder.Clear();
    RunCommand(i > 0, &run, QString::fromStdString(member.label));
    if (flags_.windowClosing) break;
    if (lastResult_.outcome != RunOutcome::Completed || flags_.stop || noPicture_) {
      complete = false;
      break;
    }
    if (voltage) runs.push_back({std::move(recorder.times), std::move(recorder.currents)});
  }
  familyMember_ = nullptr;
  clampTap_ = nullptr;
  familyNote_.clear();
  if (flags_.windowClosing) return;
  if (!complete) {
    statusBar()->showMessage(tr("Family stopped after %1 of %2 runs").arg(runs.size()).arg(members.size()), 4000);
    return;
  }
  statusBar()->showMessage(tr("Family complete: %1 runs").arg(members.size()), 4000);
  if (!voltage) return;
  if (curves_) curves_->close();
  curves_ = new IvWindow(FamilyCurves(family, runs, pictureParams_.Value(param::TrialDuration)),
                         tr("I-V curves - %1").arg(TitleOrUntitled()), this);
  curves_->show();
}

void MainWindow::ReadCompanion(const QString& parameterFile) {
  stimulus_.reset();
  stimulusCleared_ = false;
  stimulusFile_.clear();
  const QString companion = CompanionOf(parameterFile);
  // A parameter file named *.vtp is not its own companion; a directory by
  // that name is none.
  if (QFileInfo(companion).absoluteFilePath() == QFileInfo(parameterFile).absoluteFilePath() ||
      !QFileInfo(companion).isFile())
    return;
  StimulusRead read = ReadStimulusFile(FileSystemPath(companion));
  if (!read.stimulus) {
    prompts_->Warn(ShellCaption(), tr("The stimulus beside the parameter file could not be read; the runs "
                                      "use the parameters' step alone.\n%1")
                                       .arg(QString::fromStdString(read.error)));
    return;
  }
  stimulus_ = std::move(read.stimulus);
  stimulusFile_ = QFileInfo(companion).absoluteFilePath();
  statusBar()->showMessage(tr("The stimulus %1 drives the runs").arg(QFileInfo(companion).fileName()), 4000);
}

bool MainWindow::WriteCompanion(const QString& parameterFile) {
  const QString companion = CompanionOf(parameterFile);
  if (QFileInfo(companion).absoluteFilePath() == QFileInfo(parameterFile).absoluteFilePath()) {
    if (!stimulus_) return true;
    prompts_->Warn(ShellCaption(), tr("The stimulus cannot be kept beside %1: the parameter file itself has the "
                                      "stimulus file's name. Save the parameters under another name.")
                                       .arg(QFileInfo(parameterFile).fileName()));
    return false;
  }
  if (!stimulus_) {
    // Nothing is removed: a companion the user cleared stays, said once.
    if (stimulusCleared_ && QFileInfo::exists(companion))
      prompts_->Warn(ShellCaption(), tr("The stimulus was cleared, but %1 beside the parameter file was left as "
                                        "it is: it drives the runs when the file is opened again. Delete it to "
                                        "run the parameters' step alone.")
                                         .arg(QDir::toNativeSeparators(companion)));
    stimulusCleared_ = false;
    return true;
  }
  // A companion read and not changed since stays as the user wrote it
  // (its comments and layout too).
  if (stimulusFile_ == QFileInfo(companion).absoluteFilePath() && QFileInfo(companion).isFile()) return true;
  // Saved into another folder, waveform files named without one keep
  // pointing at the files they named: their paths become whole.
  const QDir from(filePath_.isEmpty() ? QDir::currentPath() : QFileInfo(filePath_).absolutePath());
  const QDir to(QFileInfo(parameterFile).absolutePath());
  Stimulus written = *stimulus_;
  if (from.absolutePath() != to.absolutePath())
    for (Segment& s : written.segments)
      if (s.kind == SegmentKind::Waveform && !s.file.empty() && !QDir::isAbsolutePath(QFile::decodeName(s.file.c_str())))
        s.file = FileSystemPath(QDir::cleanPath(from.absoluteFilePath(QFile::decodeName(s.file.c_str()))));
  std::string error;
  if (!WriteStimulusFile(FileSystemPath(companion), written, error)) {
    prompts_->Warn(ShellCaption(), tr("Could not write file %1\n%2.")
                                       .arg(QFileInfo(companion).fileName(), QString::fromStdString(error)));
    return false;
  }
  stimulus_ = std::move(written);
  stimulusFile_ = QFileInfo(companion).absoluteFilePath();
  return true;
}

}  // namespace vantor::app
