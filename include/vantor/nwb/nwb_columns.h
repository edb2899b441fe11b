// From the program's sample columns (as the CSV names them) to the traces of
// an NWB sweep: each column's group name, its SI unit and the conversion.
#pragma once

#include <string>
#include <vector>

#include "vantor/nwb/nwb_recording.h"

namespace vantor::nwb {

// "I-Na (nA)" -> {"I_Na", "I-Na (nA)", "amperes", 1e-9, values}. Units the
// program uses: mV, nA, µS, µM and M (calcium shells); anything else (a
// gate's name) is a dimensionless "1".
Trace TraceOfColumn(const std::string& label, std::vector<double> values);

// A current-clamp sweep from the columns time (ms), V-m, I-Inj, then the
// rest in order; names.size() == columns.size() >= 3. Group names are made
// unique within the sweep. `rateHz` when the rows lie on a regular grid from
// t = 0 (the time column is then dropped).
Sweep CurrentClampSweep(std::uint32_t number, const std::vector<std::string>& names,
                        std::vector<std::vector<double>> columns,
                        std::optional<double> rateHz = std::nullopt);

// A voltage-clamp sweep from the same columns with "V-cmd (mV)" and
// "I-clamp (nA)" among them: the clamp current is the response, the command
// its stimulus, and every other column (V-m too) goes with the rest. A
// current-clamp sweep when either column is missing.
Sweep VoltageClampSweep(std::uint32_t number, const std::vector<std::string>& names,
                        std::vector<std::vector<double>> columns,
                        std::optional<double> rateHz = std::nullopt);

}  // namespace vantor::nwb
