// What goes into an NWB file: one or more sweeps of a simulated cell, each
// with its recorded response, the stimulus that drove it, the other traces
// and the spike times, and the provenance that remakes them. Plain data: the
// front ends fill it, the writer lays it out as the NWB schema asks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor::nwb {

// One recorded quantity. Values are kept in the program's units; the writer
// records `conversion` so that value * conversion is in `siUnit`.
struct Trace {
  std::string name;         // group name in the file ("I_Na", "Ca_i")
  std::string label;        // the program's own name ("I-Na (nA)")
  std::string siUnit;       // "volts", "amperes", "siemens", "mol/m^3", "1"
  double conversion = 1.0;  // program unit -> SI
  std::vector<double> values;
};

struct Sweep {
  std::uint32_t number = 0;
  bool voltageClamp = false;
  // Sample times in ms, strictly increasing; empty when `rateHz` is set.
  std::vector<double> timeMs;
  std::optional<double> rateHz;  // regular samples from t = 0
  Trace response;                // V-m (current clamp) or the clamp current
  Trace stimulus;                // the injected current or the command
  std::vector<Trace> others;     // currents, conductances, calcium, gates
  std::vector<double> spikeTimesMs;
  std::string description;       // the sweep's stimulus in words
};

// The inputs that decide a run, kept so that the file can remake it.
struct Provenance {
  std::string programVersion;
  std::string fingerprint;  // hexadecimal, as the sweep files write it
  int method = 0;
  double tolerance = 0;     // 0 when the method's own
  std::string stimulus;     // the stimulus description; empty for the parameter file's step
  std::vector<std::string> parameterNames;
  std::vector<double> parameterValues;
  std::vector<std::string> parameterUnits;
  std::vector<double> limitsMinimum, limitsMaximum;
  std::vector<std::uint8_t> parameterFile;  // the parameter file's bytes (.vt4)
  std::vector<std::uint8_t> gateTable;      // the gate table's bytes (vmodels.val)
};

struct Recording {
  std::string identifier;          // unique per file
  std::string sessionDescription;  // the parameter file's comment, or a default
  std::string startTime;           // ISO 8601 with offset
  Provenance provenance;
  std::vector<Sweep> sweeps;
};

}  // namespace vantor::nwb
