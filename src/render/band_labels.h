// The calibration arrows and their labels at the right end of the traces,
// placed so that they stay legible and clear of each other, of the tick
// labels, of the time bar and of the titles: a label too tall for its band
// moves into the first free column beside the arrows, an arrow that would
// touch its neighbour's moves aside, and a label with no room left is listed
// in a legend under the traces.
#pragma once

#include <string>
#include <vector>

#include "render/axis.h"
#include "vantor/render/label_space.h"
#include "vantor/render/output_target.h"

namespace vantor {

// What one run's bands have placed so far.
struct BandMarks {
  LabelSpace arrows;                 // the arrows of this run
  std::vector<std::string> leftOut;  // labels that found no room
};

// The arrow of length s in the current band (whose rounded range is `range`)
// and its label; T is the time axis' duration.
void DrawBandScale(OutputTarget& target, double T, float s, float shown, const AxisScale& range,
                   const std::string& label, BandMarks& marks);

// The label size for the current band: 14 points, or as tall as the band
// when it is shorter (a share of it for stacked names), never below the
// legible size.
void FitLabelsToBand(OutputTarget& target, double share);

// Names of the gate traces that share the current band, each after a short
// stroke in its line style: stacked where the band is tall enough for three
// lines, otherwise side by side right of the band's label (rows further down
// where one row does not fit); never off the page.
struct GateName {
  std::string name;
  int style = 0;
  double stackedY = 0;  // device y of its line when the names are stacked
};
void DrawGateNames(OutputTarget& target, double T, const std::vector<GateName>& names);

// The labels that found no room, as one line under the traces.
void DrawLeftOutLabels(OutputTarget& target, const BandMarks& marks);

}  // namespace vantor
