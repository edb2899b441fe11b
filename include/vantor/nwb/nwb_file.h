// NWB 2.5.0 files (HDF5): writing a recording, and reading back the
// provenance of a file this program wrote.
#pragma once

#include <optional>
#include <string>

#include "vantor/nwb/nwb_recording.h"

namespace vantor::nwb {

// True when this build can write and read NWB files (libhdf5 was found).
bool Available();

// Writes `recording` to `path` (a new file; an existing one is replaced).
// An empty string on success, else the reason.
std::string WriteRecording(const std::string& path, const Recording& recording);

struct ReadProvenance {
  std::optional<Provenance> provenance;
  std::string error;  // why there is none: not HDF5, not NWB, not ours
};

// The provenance of an NWB file written by this program.
ReadProvenance ReadRecordingProvenance(const std::string& path);

// The response and spike times of sweep `number`, for comparing a remade run.
struct ReadSweep {
  std::optional<Sweep> sweep;
  std::string error;
};
ReadSweep ReadRecordingSweep(const std::string& path, std::uint32_t number);

}  // namespace vantor::nwb
