// Reading back what this program wrote: the provenance under /general/vantor
// and a sweep's response and spike times.
#include <hdf5.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "nwb/child_read.h"
#include "nwb/hdf5_handle.h"
#include "vantor/nwb/nwb_file.h"

namespace vantor::nwb {
namespace {

struct Opened {
  Handle file;
  std::string error;
};

Opened Open(const std::string& path) {
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  Opened opened;
  // A FIFO or a device would be waited on or read without end.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    opened.error = std::strerror(errno);
    return opened;
  }
  if (S_ISDIR(info.st_mode) || !S_ISREG(info.st_mode)) {
    opened.error = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
    return opened;
  }
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    opened.error = std::strerror(errno);
    return opened;
  }
  std::fclose(probe);
  if (H5Fis_hdf5(path.c_str()) <= 0) {
    opened.error = "not an NWB file (not HDF5)";
    return opened;
  }
  opened.file = Handle(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
  if (!opened.file.ok()) {
    opened.error = "the HDF5 file could not be read";
    return opened;
  }
  std::string version;
  if (!ReadTextAttribute(opened.file.id(), "/", "nwb_version", version)) {
    opened.error = "not an NWB file (an HDF5 file without nwb_version)";
    opened.file.Reset();
  }
  return opened;
}

ReadProvenance ProvenanceHere(const std::string& path) {
  ReadProvenance read;
  Opened opened = Open(path);
  if (!opened.file.ok()) {
    read.error = opened.error;
    return read;
  }
  const hid_t f = opened.file.id();
  Provenance p;
  std::vector<double> method, tolerance;
  const bool ok =
      ReadDoubles(f, "/general/vantor/method", method) && method.size() == 1 &&
      ReadDoubles(f, "/general/vantor/tolerance", tolerance) && tolerance.size() == 1 &&
      ReadText(f, "/general/vantor/program_version", p.programVersion) &&
      ReadText(f, "/general/vantor/fingerprint", p.fingerprint) &&
      ReadText(f, "/general/vantor/stimulus", p.stimulus) &&
      ReadTextArray(f, "/general/vantor/parameter_names", p.parameterNames) &&
      ReadDoubles(f, "/general/vantor/parameter_values", p.parameterValues) &&
      ReadTextArray(f, "/general/vantor/parameter_units", p.parameterUnits) &&
      ReadDoubles(f, "/general/vantor/limits_minimum", p.limitsMinimum) &&
      ReadDoubles(f, "/general/vantor/limits_maximum", p.limitsMaximum) &&
      ReadBytes(f, "/general/vantor/parameter_file", p.parameterFile) &&
      ReadBytes(f, "/general/vantor/gate_table", p.gateTable);
  if (!ok || p.parameterValues.size() != p.parameterNames.size()) {
    read.error = "an NWB file without Vantor's provenance (/general/vantor)";
    return read;
  }
  p.method = static_cast<int>(method[0]);
  p.tolerance = tolerance[0];
  read.provenance = std::move(p);
  return read;
}

ReadSweep SweepHere(const std::string& path, std::uint32_t number) {
  ReadSweep read;
  Opened opened = Open(path);
  if (!opened.file.ok()) {
    read.error = opened.error;
    return read;
  }
  const hid_t f = opened.file.id();
  char name[48];
  std::snprintf(name, sizeof name, "/acquisition/sweep_%03u", number);
  const std::string series = name;
  Sweep sweep;
  sweep.number = number;
  std::string type;
  if (!ReadTextAttribute(f, series, "neurodata_type", type) ||
      !ReadDoubles(f, series + "/data", sweep.response.values)) {
    read.error = "the file has no sweep " + std::to_string(number);
    return read;
  }
  sweep.voltageClamp = type == "VoltageClampSeries";
  double rate = 0;
  if (ReadDoubleAttribute(f, series + "/starting_time", "rate", rate)) {
    sweep.rateHz = rate;
  } else {
    std::vector<double> seconds;
    if (!ReadDoubles(f, series + "/timestamps", seconds)) {
      read.error = "sweep " + std::to_string(number) + " has no times";
      return read;
    }
    for (const double s : seconds) sweep.timeMs.push_back(s * 1000.0);
  }
  std::vector<double> spikes, ends, ids;
  if (ReadDoubles(f, "/units/spike_times", spikes) && ReadDoubles(f, "/units/spike_times_index", ends) &&
      ReadDoubles(f, "/units/id", ids) && ids.size() == ends.size()) {
    double from = 0;
    for (std::size_t row = 0; row < ids.size(); ++row) {
      const double to = ends[row];
      if (ids[row] == number)
        for (auto i = static_cast<std::size_t>(from); i < static_cast<std::size_t>(to) && i < spikes.size(); ++i)
          sweep.spikeTimesMs.push_back(spikes[i] * 1000.0);
      from = to;
    }
  }
  read.sweep = std::move(sweep);
  return read;
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }
std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string PackProvenance(const ReadProvenance& read) {
  Packer out;
  out.Text(read.error);
  if (!read.provenance) return out.bytes;
  const Provenance& p = *read.provenance;
  out.Text(p.programVersion);
  out.Text(p.fingerprint);
  out.Number(p.method);
  out.Number(p.tolerance);
  out.Text(p.stimulus);
  out.Texts(p.parameterNames);
  out.Numbers(p.parameterValues);
  out.Texts(p.parameterUnits);
  out.Numbers(p.limitsMinimum);
  out.Numbers(p.limitsMaximum);
  out.Text(Bytes(p.parameterFile));
  out.Text(Bytes(p.gateTable));
  return out.bytes;
}

std::string PackSweep(const ReadSweep& read) {
  Packer out;
  out.Text(read.error);
  if (!read.sweep) return out.bytes;
  const Sweep& s = *read.sweep;
  out.Number(s.voltageClamp ? 1 : 0);
  out.Number(s.rateHz.value_or(0));
  out.Numbers(s.timeMs);
  out.Numbers(s.response.values);
  out.Numbers(s.spikeTimesMs);
  return out.bytes;
}

constexpr char kGarbled[] = "the reader process handed back garbled data";

}  // namespace

ReadProvenance ReadRecordingProvenance(const std::string& path) {
  ReadProvenance read;
  const std::optional<std::string> bytes =
      ReadInChild([&] { return PackProvenance(ProvenanceHere(path)); }, read.error);
  if (!bytes) return read;
  Unpacker in(*bytes);
  if (!in.Text(read.error)) read.error = kGarbled;
  if (!read.error.empty()) return read;
  Provenance p;
  double method = 0;
  std::string parameterFile, gateTable;
  if (!in.Text(p.programVersion) || !in.Text(p.fingerprint) || !in.Number(method) ||
      !in.Number(p.tolerance) || !in.Text(p.stimulus) || !in.Texts(p.parameterNames) ||
      !in.Numbers(p.parameterValues) || !in.Texts(p.parameterUnits) ||
      !in.Numbers(p.limitsMinimum) || !in.Numbers(p.limitsMaximum) || !in.Text(parameterFile) ||
      !in.Text(gateTable)) {
    read.error = kGarbled;
    return read;
  }
  p.method = static_cast<int>(method);
  p.parameterFile = Bytes(parameterFile);
  p.gateTable = Bytes(gateTable);
  read.provenance = std::move(p);
  return read;
}

ReadSweep ReadRecordingSweep(const std::string& path, std::uint32_t number) {
  ReadSweep read;
  const std::optional<std::string> bytes =
      ReadInChild([&] { return PackSweep(SweepHere(path, number)); }, read.error);
  if (!bytes) return read;
  Unpacker in(*bytes);
  if (!in.Text(read.error)) read.error = kGarbled;
  if (!read.error.empty()) return read;
  Sweep s;
  s.number = number;
  double clamp = 0, rate = 0;
  if (!in.Number(clamp) || !in.Number(rate) || !in.Numbers(s.timeMs) ||
      !in.Numbers(s.response.values) || !in.Numbers(s.spikeTimesMs)) {
    read.error = kGarbled;
    return read;
  }
  s.voltageClamp = clamp != 0;
  if (rate > 0) s.rateHz = rate;
  read.sweep = std::move(s);
  return read;
}

}  // namespace vantor::nwb
