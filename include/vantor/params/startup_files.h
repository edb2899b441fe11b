// The files read from the program directory at start-up, in this order: the
// preference file VANTORW.INI, the limits file VANTOR.mnx (named through
// VANTOR.cin) and the gate table vmodels.val.
#pragma once

#include <string>

#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/params/preferences.h"

namespace vantor {

struct StartupFiles {
  Preferences preferences;  // built-in values where the file gave none
  bool extendedMode = true;
  bool gateTableLoaded = false;

  // Reads the three files from `programDirectory` (with or without a
  // trailing "/"): the limits go into `params`, the coefficients into
  // `gates`, every problem to `messages` (messages name full paths, whatever
  // their length). Extended mode starts from `extendedMode`, is switched on
  // by the extended-mode background colour and off when the gate table
  // failed.
  static StartupFiles Load(const std::string& programDirectory, ParameterSet& params,
                           GateTable& gates, Messages& messages, bool extendedMode = true);
};

// The directory and a file name joined with one "/".
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace vantor
