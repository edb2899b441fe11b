// A run with its picture, in the order the program draws one: the record
// file is created, PlotSetup prepares the picture, every recorded sample is
// written and extends the live V-m trace, and a run that reaches the end of
// the trial is replayed to draw everything else.
#pragma once

#include <functional>
#include <string>

#include "vantor/engine/run_driver.h"
#include "vantor/files/output_file.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor {

struct RunPictureOptions {
  // Where the record file is created ("VTWxxxx.TMP"); the system's temporary
  // directory when this one does not take it.
  std::string recordDirectory = ".";
  std::string plotterFileName = "vt.plt";
  // The metafile a run writes while the preferences' CGM switch is on.
  std::string metafileName = "vt.cgm";
  // Makes the record file and the metafile's and plotter file's temporary
  // files when given.
  TemporaryFiles* temporaries = nullptr;
  // A run whose samples take at most this many bytes keeps them in memory
  // and leaves its record file empty; 0: always in the file.
  std::size_t samplesInMemory = 0;
  RunSink* extraSink = nullptr;  // gets every sample after the record file
  std::function<void()> pump;    // called after every sample
  // The run's name in the legend (code page 437); empty: "Run n".
  std::string label;
  std::string drive;             // a family member's level, said after the label
  RunTuning tuning;              // a stimulus, where its drive goes
};

// The run under the replay mode the caller has set (0 Begin, 2 Overlay),
// drawn on the picture's current device. A record file that cannot be created
// refuses the run before anything is drawn; refusals are the caller's to
// report (RunResult::message). `messages` gets what the picture itself must
// say (a plotter destination that cannot be opened).
// While the CGM switch is on, the run's picture also goes to the metafile;
// while the plotter choice is set and the caller attached no plotter of its
// own, to the plotter destination. A completed run whose record could not be
// written is Failed, with the file and the system's reason in the message. A run that ends early (Stop, the window
// closing) finishes both with what it drew, so neither is left open for the
// next picture to stumble over.
RunResult RunAndDraw(Picture& picture, ParameterSet& params, const GateTable& gates,
                     RunFlags& flags, Messages& messages, const RunPictureOptions& options = {});

// Begin: the earlier record files go, the new run is drawn on a cleared picture.
RunResult BeginRun(Picture& picture, ParameterSet& params, const GateTable& gates,
                   RunFlags& flags, Messages& messages, const RunPictureOptions& options = {});
// Overlay: the current run is kept and the new one is drawn over it in the
// next colour.
RunResult OverlayRun(Picture& picture, ParameterSet& params, const GateTable& gates,
                     RunFlags& flags, Messages& messages, const RunPictureOptions& options = {});

}  // namespace vantor
