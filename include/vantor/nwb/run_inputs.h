// What an NWB file of several runs keeps of their inputs besides the
// provenance's numbers: the parameter file and gate table as bytes, and each
// sweep's description. Shared by every writer of such files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor::nwb {

// The gate table in the layout of vmodels.val (the row names are not read).
std::vector<std::uint8_t> GateTableBytes(const GateTable& gates);

// The parameter set as a .vt4 file's bytes, made in a folder of its own
// under the system's temporary folder; none when it cannot be written.
std::optional<std::vector<std::uint8_t>> ParameterFileBytes(const ParameterSet& params);

// Sweep `index` (from 0) of runs whose first had `first`: the first one is
// "the run the file's provenance remakes", every later one "sweep 1's
// parameters with gK=5, ..." or "the parameters of sweep 1".
std::string SweepDescription(const ParameterSet& first, const ParameterSet& run, std::size_t index);

}  // namespace vantor::nwb
