// Everything a picture is drawn from besides the parameters: the drawing
// layer, the record files of the runs on screen and the colours. One Picture
// per window (or per headless job) is passed to the layout and the replay.
#pragma once

#include <array>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vantor/engine/protocol.h"
#include "vantor/params/preferences.h"
#include "vantor/render/output_target.h"

namespace vantor {

// 0 after an ordinary run, 1 for a full redraw, 2 during and after an
// overlay run until its own replay ends.
enum ReplayMode : int {
  kReplayOrdinary = 0,
  kReplayFullRedraw = 1,
  kReplayOverlay = 2,
};

// The protocol of one run, kept with its record so that a later redraw shows
// the step that run really had, not today's settings.
using InjectionProtocol = Protocol;

struct RecordedRun {
  std::string recordName;                   // the run's record file
  std::optional<InjectionProtocol> protocol;  // none: take the parameters'
  // The run's parameter values, for the listing on paper and on the plotter
  // (empty: take the current ones).
  std::vector<float> parameters;
  // The samples when the run kept them in memory (the record file is then
  // empty); null when the record file holds them.
  std::shared_ptr<const std::string> samples;
  // The run's name in the legend (code page 437), for instance the file it
  // was read from; empty: "Run n".
  std::string label;
  // A family member's level ("segment 1 level 10 mV"), said after the name.
  std::string drive;
  // With a stimulus: the time and the injected (or clamp) current of each
  // sample, drawn as the I-Inj trace instead of the protocol's step.
  std::shared_ptr<const std::vector<std::array<float, 2>>> injected;
  // Hidden from the picture and its legend (the run list's switch); the run
  // keeps its place and so its colour.
  bool hidden = false;
};

struct ReplayState {
  int mode = kReplayOrdinary;
  RecordedRun current;                 // empty name before the first run
  std::vector<RecordedRun> overlays;   // earlier runs kept on screen, oldest first
  // Position of the run being drawn; outside replay the number of overlays,
  // so a live trace has the colour its run will have in a full redraw.
  int runIndex = 0;
};

struct Picture {
  OutputTarget target;
  ReplayState replay;
  Preferences preferences;
  bool extendedMode = true;  // the parameter listing shows all 54 values
  // The trial duration the time axis spans: the longest of the runs shown,
  // set by PlotSetup; the scale bars and labels stand to the right of it.
  double timeAxis = 0;
  // PlotSetup started a live V-m trace (V-m is shown); live samples extend it.
  bool liveTrace = false;
  // Traces 2, 3 and 5 .. 18 take the two current colours in turn across one replay.
  bool nextCurrentIsAlternate = true;
  // The last plotter destination the replay closed could not be written whole.
  bool plotterOutputFailed = false;
};

}  // namespace vantor
