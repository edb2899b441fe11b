// A build without libhdf5: NWB files are refused with the reason.
#include "vantor/nwb/nwb_file.h"

namespace vantor::nwb {

namespace {
constexpr char kAbsent[] = "this build has no NWB files (libhdf5 was not found: libhdf5-dev)";
}

bool Available() { return false; }
std::string WriteRecording(const std::string&, const Recording&) { return kAbsent; }
ReadProvenance ReadRecordingProvenance(const std::string&) { return {std::nullopt, kAbsent}; }
ReadSweep ReadRecordingSweep(const std::string&, std::uint32_t) { return {std::nullopt, kAbsent}; }

}  // namespace vantor::nwb
