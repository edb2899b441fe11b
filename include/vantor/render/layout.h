// The stack of trace bands: the V-m band takes its share of the page, every
// other shown trace an equal part of the rest (g-1 .. g-3 share one band).
// PlotSetup prepares each picture; the scale bars stand at the right end of
// the traces in electrophysiology style.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor {

// Page fractions from the bottom: bands fill 0.98 down to 0.09; the strip
// below is kept for the parameter listing.
inline constexpr double kBandsTop = 0.98;
inline constexpr double kBandsBottom = 0.09;
inline constexpr double kBandGap = 0.008;
// The largest V-m share while other traces are shown; a share of 100 per
// cent would leave them no height at all.
inline constexpr double kMaxVmShare = 0.95;

// Where the bands begin: at kBandsTop, or, when V-m is hidden, below the
// time bar so that the first band's label does not run into its text.
inline constexpr double kBandsTopWithoutVm = 0.90;
double BandsTop(const ParameterSet& params);

// Sum of the weights of I-Inj .. g-1 (g-2 and g-3 share g-1's band).
double OtherWeights(const ParameterSet& params);
// The V-m share of the page (0 .. 1) as the band arithmetic uses it, at
// most `cap`.
double VmShare(const ParameterSet& params, double cap = 1.0);
// Weight units per unit of page height.
double BandUnits(const ParameterSet& params, double lowEdge, double highEdge, double cap = 1.0);
// Moves the band down to `row` (0 .. 20); rows 19 and 20 stay in the band
// drawn before them. V-m's share is held to the target's vmShareCap.
void AdvanceBand(OutputTarget& target, const ParameterSet& params, int row, double unit);

// The least height of a band other than V-m's, in device units: room for
// its scale bar and a label line at the smallest legible size.
double LeastBandHeight(const OutputTarget& target);
// The V-m share that leaves every other band at least LeastBandHeight on a
// page `pageHeight` high, or 1 when V-m's own share does already. Never
// below kLeastVmShare.
inline constexpr double kLeastVmShare = 0.25;
double VmShareCap(const OutputTarget& target, const ParameterSet& params, double pageHeight);

// The pen and text colour of a trace of the run being drawn: the run's
// palette colour (so all traces of one run match and overlaid runs differ).
// The role colour names what the trace is; it does not reach the pen.
void SelectTraceColour(Picture& picture, uint32_t roleColour);

// A calibration arrow of length s (plot units of the current band) at the
// right end of the traces, with its value and the trace name. An empty
// prefix labels a gate trace in per cent open.
void DrawScaleBar(OutputTarget& target, float trialDuration, float s, std::string_view unit,
                  std::string_view prefix, std::string_view suffix);

// The trial duration the time axis of a picture spans: the longest of the
// runs it shows (the current run and every kept one; a run without a kept
// protocol counts with the parameters' duration).
double PictureDuration(const ReplayState& replay, const ParameterSet& params);
// The duration to lay the picture out by: what PlotSetup chose, or the
// parameters' when no set-up has run.
double LayoutDuration(const Picture& picture, const ParameterSet& params);

// The smallest whole point size whose text is still legible on this page.
int LegiblePoints(const OutputTarget& target);
// Sets the current font smaller, down to the legible size, until `text` is
// no wider than `width`; a text still too wide then loses its end ("...").
void FitTextWidth(OutputTarget& target, std::string& text, double width);

// The parts of DrawScaleBar: the label text (value, unit and trace name, or
// per cent open for an empty prefix; `shown` gets the value the text shows)
// and the arrow standing at x.
std::string ScaleBarLabel(float s, std::string_view unit, std::string_view prefix,
                          std::string_view suffix, float& shown);
void DrawScaleBarArrow(OutputTarget& target, double x, double T, float s, float shown);

// Fills the whole surface with the background colour.
void FillBackground(Picture& picture);

// Prepares a picture on the current device: plotter destination, page size,
// pen and font scale, background (ordinary runs only), title, the V-m band
// and its axis, the time scale bar, and the start of the live V-m trace.
void PlotSetup(Picture& picture, const ParameterSet& params, const std::string& plotterFileName,
               std::string_view title, Messages& messages);

}  // namespace vantor
