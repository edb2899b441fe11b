// File > Export NWB: every run of the picture as one NWB file, a sweep per
// run in the picture's order, with what remakes the first run.
#pragma once

#include <QString>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor::app {

// Writes `path` whole or not at all (a temporary file put in place at the
// end). `params` gives the trace table and stands in for a run that kept
// no values. False with the reason in `error`.
bool ExportNwb(const Picture& picture, const ParameterSet& params, const GateTable& gates,
               const QString& path, QString& error);

}  // namespace vantor::app
