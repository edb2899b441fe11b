// The legend of a picture with more than one run: a short line in each run's
// colour and its name, with the parameters in which it differs from the
// first run, at the top left of the picture.
#pragma once

#include <string>
#include <vector>

#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor {

// The runs of the picture in drawing order: the kept ones, then the current one.
std::vector<const RecordedRun*> PictureRuns(const ReplayState& replay);

// "gNa 150, Injected current 3": the parameters in which `run` differs from
// `first` (at most `most`, then "..."), named as in the printed listing.
// `params` gives the names and stands in for a run without kept values.
std::string RunDifferences(const RecordedRun& first, const RecordedRun& run,
                           const ParameterSet& params, int most = 3);

// The legend line of run `index` (from 0): its label, or "Run n", and for
// every run after the first what differs from it.
std::string RunLegendText(const ReplayState& replay, int index, const ParameterSet& params);

// Draws the legend entries of runs `from` .. `to` (inclusive) when the
// picture holds more than one run, a line for each run not hidden (the
// shown ones close up); leaves the colour, the size and the alignment of
// text as it found them.
void DrawRunLegend(Picture& picture, const ParameterSet& params, int from, int to);

}  // namespace vantor
