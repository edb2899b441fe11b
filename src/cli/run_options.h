// The options of "vantor-cli run" and how they change the parameter set.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/params/pharmacology.h"

namespace vantor::cli {

struct RunOptions {
  std::string parameterFile;  // empty: the built-in parameters
  // --set KEY=VALUE and --method N (as "49", N), in the order given.
  std::vector<std::pair<std::string, std::string>> settings;
  // --drug NAME=CONCENTRATION, in the order given: applied to the first run
  // after the settings and the limits check.
  std::vector<DrugDose> drugs;
  std::string gatesFile;   // empty: vmodels.val beside the program
  std::string limitsFile;  // empty: VANTOR.mnx beside the program
  std::string csvFile;     // "-": standard output
  std::string csvStep;     // --dt: the CSV resampled onto this grid (ms)
  std::string recordFile;
  std::string tolerance;   // --tolerance: Model 4's relative tolerance
  std::string stimulusFile;  // --stimulus; empty: the companion beside the parameter file
  bool noStimulus = false;   // --no-stimulus: not even the companion
  // The picture (picture_output.h): files, size "WxH", overlaid runs.
  std::string pngFile;
  std::string svgFile;
  std::string pdfFile;
  std::string cgmFile;
  std::string pltFile;
  std::string pictureSize;
  std::vector<std::string> overlayFiles;  // --overlay, in the order given
  std::string phaseFile;   // --phase: dV/dt against V-m, PNG or SVG
  std::string nwbFile;     // --nwb: the run as an NWB file with its provenance
  std::string fromFile;    // --from: remake the run of this NWB file
  bool meta = false;       // --meta: the provenance as the CSV's first line
  std::string metaFile;    // --meta FILE.json: and in this file
  bool force = false;  // run a trial whose duration lies beyond the limits
  bool quiet = false;  // no progress line, no notices
};

// An option that takes one file or value: its name and where it goes. A new
// option of this kind is a member above and one line in the table of
// run_options.cpp.
struct ValueOption {
  const char* name;
  std::string RunOptions::*field;
};

// Parses the words after "run". False with a one-line `error` for a usage
// error: an unknown option, a missing value, a --set without "=", a --method
// that is not a whole number, a second parameter file. "--" ends the options.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::string& error);

// A command's own option: its name and the text (or, for one without a
// value, the switch) it sets.
struct CommandValue {
  const char* name;
  std::string* value;
};
struct CommandSwitch {
  const char* name;
  bool* on;
};

// Takes a command's own options out of `args` (a value as "--name V" or
// "--name=V"); the other words go, in order, to `rest` for ParseRunOptions.
// False with a one-line `error` for a missing or repeated value.
bool TakeCommandOptions(const std::vector<std::string>& args, std::initializer_list<CommandValue> values,
                        std::initializer_list<CommandSwitch> switches, std::vector<std::string>& rest,
                        std::string& error);

// What the command line adds to the message about a key that names no
// parameter.
inline constexpr char kListsThemAll[] = " ('vantor-cli params' lists them all.)";

// Applies the settings in order with the range check of the parameter
// dialogs. False after telling `messages` about the first key that names no
// parameter (with the names it may have meant), value that is not a number,
// or value outside the limits; the settings before it stay applied.
// True when `options` name an output or input only run takes (--csv, a
// picture, --record, --phase, --overlay, --stimulus, --nwb, --from, --meta):
// the analysis commands refuse them rather than ignore them.
bool NamesRunOnlyOptions(const RunOptions& options);

bool ApplySettings(const RunOptions& options, ParameterSet& params, Messages& messages);

// Smaller pictures cannot hold the labels; larger ones take gigabytes.
constexpr int kMinSide = 100;
constexpr int kMaxSide = 20000;
// "WxH" with both between kMinSide and kMaxSide (--size).
bool ParsePictureSize(const std::string& text, int& width, int& height);

// "--name=value" or "--name value" at args[i] (i then moves past the value);
// false when args[i] is another option or the value is missing.
bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i,
                     const std::string& name, std::string& value);
bool IsOption(const std::string& word, const std::string& name);

}  // namespace vantor::cli
