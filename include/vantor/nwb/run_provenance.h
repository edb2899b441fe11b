// The provenance of a run as an NWB file keeps it, and the way back: the
// parameter values and limits by name, the method and tolerance, and the
// inputs' fingerprint.
#pragma once

#include <string>

#include "vantor/nwb/nwb_recording.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor::nwb {

// Everything but the two files' bytes, which the caller reads or writes.
Provenance RunProvenance(const ParameterSet& params, const GateTable& gates, double tolerance,
                         const std::string& programVersion);

// The fingerprint as RunProvenance writes it (16 hexadecimal digits).
std::string FingerprintText(const ParameterSet& params, const GateTable& gates);

// Sets the values and limits of `params` from `provenance`, parameter by
// parameter and exactly. An empty string, or why the provenance does not
// fit this program's parameters (then `params` is unchanged).
std::string ApplyProvenance(const Provenance& provenance, ParameterSet& params);

// A recording's start time, now, in ISO 8601 with the local offset.
std::string StartTimeNow();
// An identifier no other file has ("vantor-" and 16 random hexadecimal digits).
std::string NewIdentifier();

}  // namespace vantor::nwb
