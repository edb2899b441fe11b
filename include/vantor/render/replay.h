// The record files are the picture: every trace but the live V-m is drawn by
// replaying them, and every repaint, print and copy replays them again.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "vantor/files/output_file.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor {

// Draws one trace (1 .. 21) of a record file as one polyline through all
// complete samples, in the transform now in force. A sample cut short ends
// the polyline at the last complete time and value pair; a value that is not
// a finite number breaks the line there.
void DrawTraceFromRecord(OutputTarget& target, int traceNumber, std::FILE* file);

// The current-step figure in the I-Inj band.
void DrawInjectedCurrent(OutputTarget& target, const InjectionProtocol& protocol);

// The lines of the parameter listing (code page 437): the first 29
// parameters, or all 54 in extended mode, "name: value, " each, a line
// broken once it has grown past 140 characters. The plot choice is left
// out: it tells how the picture went out, not what the run was.
std::vector<std::string> ParameterListingLines(const ParameterSet& params, bool extended);
// Writes the listing into the strip below the bands.
void DrawParameterListing(Picture& picture, const ParameterSet& params);

// Draws the runs the replay mode selects: after an ordinary or overlay run
// the current run without its V-m (drawn live); in a full redraw every kept
// run, oldest first, then the current one, each with its V-m. A hidden run
// is passed over but keeps its colour.
void ReplayRuns(Picture& picture, const ParameterSet& params);

// The full redraw behind repaint, printing and copying. The caller has made
// the device current.
void RedrawPlot(Picture& picture, const ParameterSet& params, Messages& messages,
                const std::string& plotterFileName = "vt.plt");

// Keeps the current run on screen under the next one.
void AddRunToOverlay(ReplayState& replay);
// Takes run `index` of PictureRuns off the picture and deletes its record;
// when it was the current run, the newest kept one becomes current. False
// (nothing changed) for an index outside the runs or the only run.
bool RemoveRun(ReplayState& replay, int index, TemporaryFiles* temporaries = nullptr);
// Deletes the current record file and every kept one (through `temporaries`
// when given) and forgets them.
void DeleteRunRecords(ReplayState& replay, TemporaryFiles* temporaries = nullptr);

}  // namespace vantor
