#include "vantor/render/run_picture.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vantor/render/cgm_writer.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/layout.h"
#include "vantor/render/live.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_record.h"

namespace vantor {
namespace {

// Keeps what drove each sample for the I-Inj trace, and hands it on.
class InjectedRecorder : public RunSink, public DriveSink {
 public:
  explicit InjectedRecorder(DriveSink* next) : next_(next) {}
  void Drive(double command, double current) override {
    current_ = static_cast<float>(current);
    if (next_) next_->Drive(command, current);
  }
  void Sample(const RunSample& sample) override { points->push_back({sample[slot::Time], current_}); }
  std::shared_ptr<std::vector<std::array<float, 2>>> points =
      std::make_shared<std::vector<std::array<float, 2>>>();

 private:
  DriveSink* next_;
  float current_ = 0;
};

}  // namespace

RunResult RunAndDraw(Picture& picture, ParameterSet& params, const GateTable& gates,
                     RunFlags& flags, Messages& messages, const RunPictureOptions& options) {
  // Without a record there is nothing to replay the picture from, so the run
  // is refused before it draws anything.
  RunRecordWriter record;
  if (!record.Create(options.recordDirectory, options.temporaries)) {
    RunResult refused;
    refused.outcome = RunOutcome::Refused;
    refused.message = "Could not create a run record file in " + options.recordDirectory + ".";
    return refused;  // the caller reports it, as any other refused run
  }
  picture.replay.current = RecordedRun{};
  picture.replay.current.recordName = record.Path();
  picture.replay.current.label = options.label;
  picture.replay.current.drive = options.drive;
  record.KeepInMemory(options.samplesInMemory);

  OutputTarget& target = picture.target;
  CgmWriter metafile(target.surface, options.temporaries);
  CgmWriter* const formerCgm = target.Cgm();
  if (picture.preferences.CgmOn() && metafile.CgmOpen(options.metafileName))
    target.AttachCgm(&metafile);
  HpglPlotter plotter(options.temporaries);
  const bool ownPlotter = target.Plotter() == nullptr;
  if (ownPlotter) target.AttachPlotter(&plotter);

  const double axisBefore = picture.timeAxis;
  PlotSetup(picture, params, options.plotterFileName, params.Comment(), messages);

  LiveTraceSink live(picture);
  SinkFanOut sinks;
  sinks.Add(&record);
  sinks.Add(options.extraSink);
  sinks.Add(&live);
  RunTuning tuning = options.tuning;
  InjectedRecorder injected(tuning.drive);
  if (tuning.stimulus) {
    sinks.Add(&injected);
    tuning.drive = &injected;
  }
  RunResult result = RunTrial(params, gates, sinks, flags, options.pump, tuning);
  // A picture drawn from part of the run would pass for all of it.
  if (!record.Close() && result.outcome == RunOutcome::Completed) {
    result.outcome = RunOutcome::Failed;
    result.message = "Could not write file " + record.Path() +
                     (record.Error() != 0 ? " (" + std::string(std::strerror(record.Error())) + ")"
                                          : std::string());
  }
  picture.replay.current.samples = record.InMemory();
  // The step this run had, for later redraws (a dialog may change it after).
  picture.replay.current.protocol = Protocol::Of(params);
  picture.replay.current.parameters.assign(params.Values().begin(), params.Values().end());
  if (tuning.stimulus) picture.replay.current.injected = injected.points;

  if (result.outcome == RunOutcome::Completed) {
    ReplayRuns(picture, params);
    // An overlay run longer than the runs on screen widened the time axis:
    // the earlier runs were drawn on the old one, so all are drawn anew.
    if (picture.replay.mode == kReplayOverlay && axisBefore > 0 &&
        picture.timeAxis != axisBefore) {
      FillBackground(picture);
      RedrawPlot(picture, params, messages, options.plotterFileName);
      picture.replay.mode = kReplayOverlay;
    }
  }
  if (result.outcome == RunOutcome::Refused || record.Failed()) {
    const std::string& name = picture.replay.current.recordName;
    if (options.temporaries != nullptr) options.temporaries->Remove(name);
    else std::remove(name.c_str());
    picture.replay.current = RecordedRun{};
  }
  // The replay closes the plotter after the first run it draws; a run that
  // ended early still has it open.
  if (ownPlotter) {
    if (plotter.Active() && !plotter.ClosePlotter()) picture.plotterOutputFailed = true;
    target.AttachPlotter(nullptr);
  }
  if (target.Cgm() == &metafile) {
    metafile.CgmClose();
    target.AttachCgm(formerCgm);
  }
  target.ReleaseDrawingObjects();
  return result;
}

RunResult BeginRun(Picture& picture, ParameterSet& params, const GateTable& gates,
                   RunFlags& flags, Messages& messages, const RunPictureOptions& options) {
  picture.replay.mode = kReplayOrdinary;
  DeleteRunRecords(picture.replay, options.temporaries);
  picture.replay.runIndex = 0;
  RunResult result = RunAndDraw(picture, params, gates, flags, messages, options);
  picture.replay.mode = kReplayOrdinary;
  return result;
}

RunResult OverlayRun(Picture& picture, ParameterSet& params, const GateTable& gates,
                     RunFlags& flags, Messages& messages, const RunPictureOptions& options) {
  // Only a run that left a record can lie under the next one.
  if (!picture.replay.current.recordName.empty()) AddRunToOverlay(picture.replay);
  picture.replay.mode = kReplayOverlay;
  picture.replay.runIndex = static_cast<int>(picture.replay.overlays.size());
  RunResult result = RunAndDraw(picture, params, gates, flags, messages, options);
  picture.replay.mode = kReplayOrdinary;
  return result;
}

}  // namespace vantor
