// The layout of the file (NWB 2.5.0):
//   /                         NWBFile: identifier, session_description, times
//   /acquisition/sweep_NNN    CurrentClampSeries (V-m) or VoltageClampSeries (I-clamp)
//   /stimulus/presentation/sweep_NNN   its stimulus series
//   /processing/traces/sweep_NNN_<trace>   every other trace as a TimeSeries
//   /units                    spike times, one row per sweep
//   /general/devices/vantor, /general/intracellular_ephys/electrode
//   /general/source_script    the provenance in words
//   /general/vantor/...       the provenance the program reads back (--from)
#include <hdf5.h>
#include <sys/stat.h>

#include <cstdio>
#include <random>

#include "nwb/hdf5_handle.h"
#include "vantor/nwb/nwb_file.h"

namespace vantor::nwb {
namespace {

constexpr char kVersion[] = "2.5.0";
constexpr char kElectrode[] = "/general/intracellular_ephys/electrode";

class Writer {
 public:
  explicit Writer(hid_t file) : file_(file), random_(std::random_device{}()) {}

  bool Typed(hid_t at, const char* type, const char* space = "core") {
    return TextAttribute(at, "neurodata_type", type) && TextAttribute(at, "namespace", space) &&
           TextAttribute(at, "object_id", ObjectId());
  }

  std::string ObjectId() {
    std::uniform_int_distribution<int> digit(0, 15);
    std::string id = "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx";
    for (char& c : id) {
      if (c == 'x' || c == 'y') {
        int v = digit(random_);
        if (c == 'y') v = 8 + (v & 3);
        c = "0123456789abcdef"[v];
      }
    }
    return id;
  }

  hid_t file() const { return file_; }

 private:
  hid_t file_;
  std::mt19937_64 random_;
};

// The data, its unit and conversion, and the times of one series.
// Values that a float holds exactly (methods 1 to 3 keep single precision)
// are stored as floats: half the room, nothing lost.
bool SingleEnough(const std::vector<double>& values) {
  for (const double v : values)
    if (static_cast<double>(static_cast<float>(v)) != v) return false;
  return true;
}

// Every series of a sweep shares the times of the first (`sharedTimes`, a
// path in the file): the dataset is stored once and linked from the others.
bool SeriesBody(Writer& w, hid_t group, const Sweep& sweep, const Trace& trace,
                const std::string& description, const std::string& sharedTimes) {
  if (!TextAttribute(group, "description", description) ||
      !TextAttribute(group, "comments", trace.label))
    return false;
  Handle data = DoubleDataset(group, "data", trace.values, SingleEnough(trace.values));
  if (!data.ok() || !TextAttribute(data.id(), "unit", trace.siUnit) ||
      !FloatAttribute(data.id(), "conversion", static_cast<float>(trace.conversion)) ||
      !FloatAttribute(data.id(), "resolution", -1.0f) || !FloatAttribute(data.id(), "offset", 0.0f))
    return false;
  if (sweep.rateHz) {
    Handle start = ScalarDouble(group, "starting_time", 0.0);
    return start.ok() && FloatAttribute(start.id(), "rate", static_cast<float>(*sweep.rateHz)) &&
           TextAttribute(start.id(), "unit", "seconds");
  }
  if (!sharedTimes.empty())
    return H5Lcreate_hard(w.file(), sharedTimes.c_str(), group, "timestamps", H5P_DEFAULT,
                          H5P_DEFAULT) >= 0;
  std::vector<double> seconds(sweep.timeMs.size());
  for (std::size_t i = 0; i < seconds.size(); ++i) seconds[i] = sweep.timeMs[i] / 1000.0;
  Handle times = DoubleDataset(group, "timestamps", seconds);
  (void)w;
  return times.ok() && IntAttribute(times.id(), "interval", 1) &&
         TextAttribute(times.id(), "unit", "seconds");
}

std::string SweepName(std::uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "sweep_%03u", number);
  return name;
}

bool PatchClamp(Writer& w, hid_t at, const std::string& name, const char* type, const Sweep& sweep,
                const Trace& trace, const std::string& description,
                const std::string& sharedTimes) {
  Handle group = MakeGroup(at, name);
  return group.ok() && w.Typed(group.id(), type) &&
         SeriesBody(w, group.id(), sweep, trace, description, sharedTimes) &&
         TextAttribute(group.id(), "stimulus_description", sweep.description) &&
         UIntAttribute(group.id(), "sweep_number", sweep.number) &&
         SoftLink(group.id(), "electrode", kElectrode);
}

bool WriteSweep(Writer& w, const Sweep& sweep, hid_t acquisition, hid_t presentation, hid_t traces) {
  const std::string name = SweepName(sweep.number);
  const bool vc = sweep.voltageClamp;
  if (!PatchClamp(w, acquisition, name, vc ? "VoltageClampSeries" : "CurrentClampSeries", sweep,
                  sweep.response, vc ? "the clamp current" : "the membrane potential", ""))
    return false;
  const std::string times = sweep.rateHz ? "" : "/acquisition/" + name + "/timestamps";
  if (!PatchClamp(w, presentation, name,
                  vc ? "VoltageClampStimulusSeries" : "CurrentClampStimulusSeries", sweep,
                  sweep.stimulus, vc ? "the command potential" : "the injected current", times))
    return false;
  for (const Trace& trace : sweep.others) {
    Handle group = MakeGroup(traces, name + "_" + trace.name);
    if (!group.ok() || !w.Typed(group.id(), "TimeSeries") ||
        !SeriesBody(w, group.id(), sweep, trace, trace.label, times))
      return false;
  }
  return true;
}

// Spike times as the Units table: one row per sweep.
bool WriteUnits(Writer& w, const Recording& recording) {
  Handle units = MakeGroup(w.file(), "units");
  if (!units.ok() || !w.Typed(units.id(), "Units") ||
      !TextAttribute(units.id(), "description", "the spike times of each sweep, one row per sweep") ||
      !TextArrayAttribute(units.id(), "colnames", {"spike_times"}))
    return false;
  std::vector<std::int64_t> ids;
  std::vector<std::uint64_t> ends;
  std::vector<double> times;
  for (const Sweep& sweep : recording.sweeps) {
    ids.push_back(sweep.number);
    for (const double t : sweep.spikeTimesMs) times.push_back(t / 1000.0);
    ends.push_back(times.size());
  }
  Handle id = IntDataset(units.id(), "id", ids);
  Handle spikes = DoubleDataset(units.id(), "spike_times", times);
  if (!id.ok() || !w.Typed(id.id(), "ElementIdentifiers", "hdmf-common") || !spikes.ok() ||
      !w.Typed(spikes.id(), "VectorData", "hdmf-common") ||
      !TextAttribute(spikes.id(), "description", "the spike times (s)"))
    return false;
  Handle index = UIntDataset(units.id(), "spike_times_index", ends);
  return index.ok() && w.Typed(index.id(), "VectorIndex", "hdmf-common") &&
         TextAttribute(index.id(), "description", "the index into spike_times") &&
         ReferenceAttribute(index.id(), "target", w.file(), "/units/spike_times");
}

std::string Words(const Provenance& p) {
  std::string text = "vantor " + p.programVersion + "\nmethod " + std::to_string(p.method);
  if (p.tolerance > 0) {
    char tol[32];
    std::snprintf(tol, sizeof tol, "%.9g", p.tolerance);
    text += "\ntolerance " + std::string(tol);
  }
  text += "\nfingerprint " + p.fingerprint + "\n";
  for (std::size_t k = 0; k < p.parameterNames.size(); ++k) {
    char value[40];
    std::snprintf(value, sizeof value, "%.9g", p.parameterValues[k]);
    text += p.parameterNames[k] + " = " + value +
            (p.parameterUnits[k].empty() ? "" : " " + p.parameterUnits[k]) + "\n";
  }
  if (!p.stimulus.empty()) text += "stimulus:\n" + p.stimulus;
  return text;
}

bool WriteGeneral(Writer& w, const Recording& recording) {
  const Provenance& p = recording.provenance;
  Handle general = MakeGroup(w.file(), "general");
  Handle devices = MakeGroup(general.id(), "devices");
  Handle device = MakeGroup(devices.id(), "vantor");
  if (!device.ok() || !w.Typed(device.id(), "Device") ||
      !TextAttribute(device.id(), "description", "Vantor " + p.programVersion +
                                                      ", a simulated single-compartment cell") ||
      !TextAttribute(device.id(), "manufacturer", "Vantor " + p.programVersion))
    return false;
  Handle ephys = MakeGroup(general.id(), "intracellular_ephys");
  Handle electrode = MakeGroup(ephys.id(), "electrode");
  if (!electrode.ok() || !w.Typed(electrode.id(), "IntracellularElectrode") ||
      !TextDataset(electrode.id(), "description", "an ideal electrode of the simulation").ok() ||
      !SoftLink(electrode.id(), "device", "/general/devices/vantor"))
    return false;
  Handle script = TextDataset(general.id(), "source_script", Words(p));
  if (!script.ok() || !TextAttribute(script.id(), "file_name", "vantor-cli")) return false;

  Handle own = MakeGroup(general.id(), "vantor");
  if (!own.ok()) return false;
  Handle method = IntDataset(own.id(), "method", {p.method});
  return method.ok() && ScalarDouble(own.id(), "tolerance", p.tolerance).ok() &&
         TextDataset(own.id(), "program_version", p.programVersion).ok() &&
         TextDataset(own.id(), "fingerprint", p.fingerprint).ok() &&
         TextDataset(own.id(), "stimulus", p.stimulus).ok() &&
         TextArrayDataset(own.id(), "parameter_names", p.parameterNames).ok() &&
         DoubleDataset(own.id(), "parameter_values", p.parameterValues).ok() &&
         TextArrayDataset(own.id(), "parameter_units", p.parameterUnits).ok() &&
         DoubleDataset(own.id(), "limits_minimum", p.limitsMinimum).ok() &&
         DoubleDataset(own.id(), "limits_maximum", p.limitsMaximum).ok() &&
         ByteDataset(own.id(), "parameter_file", p.parameterFile).ok() &&
         ByteDataset(own.id(), "gate_table", p.gateTable).ok();
}

bool WriteFile(hid_t file, const Recording& recording) {
  Writer w(file);
  hid_t root = file;
  if (!w.Typed(root, "NWBFile") || !TextAttribute(root, "nwb_version", kVersion)) return false;
  if (!TextArrayDataset(root, "file_create_date", {recording.startTime}).ok() ||
      !TextDataset(root, "identifier", recording.identifier).ok() ||
      !TextDataset(root, "session_description", recording.sessionDescription).ok() ||
      !TextDataset(root, "session_start_time", recording.startTime).ok() ||
      !TextDataset(root, "timestamps_reference_time", recording.startTime).ok())
    return false;
  Handle acquisition = MakeGroup(root, "acquisition");
  Handle analysis = MakeGroup(root, "analysis");
  Handle processing = MakeGroup(root, "processing");
  Handle stimulus = MakeGroup(root, "stimulus");
  Handle presentation = MakeGroup(stimulus.id(), "presentation");
  Handle templates = MakeGroup(stimulus.id(), "templates");
  Handle traces = MakeGroup(processing.id(), "traces");
  if (!acquisition.ok() || !analysis.ok() || !presentation.ok() || !templates.ok() || !traces.ok() ||
      !w.Typed(traces.id(), "ProcessingModule") ||
      !TextAttribute(traces.id(), "description",
                     "the other traces of each sweep: currents, conductances, calcium, gates"))
    return false;
  if (!WriteGeneral(w, recording)) return false;
  for (const Sweep& sweep : recording.sweeps)
    if (!WriteSweep(w, sweep, acquisition.id(), presentation.id(), traces.id())) return false;
  return WriteUnits(w, recording);
}

}  // namespace

bool Available() { return true; }

std::string WriteRecording(const std::string& path, const Recording& recording) {
  // HDF5 seeks in the file it writes: a device or a FIFO cannot hold one
  // (and /dev/null takes the library down).
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    return "an NWB file cannot go to a device, a FIFO or a folder";
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  // The newer object headers take a fraction of the room of the first ones.
  Handle access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
  // Chunks go in whole and nothing is read back: no chunk cache to clear.
  if (!access.ok() || H5Pset_libver_bounds(access.id(), H5F_LIBVER_V18, H5F_LIBVER_LATEST) < 0 ||
      H5Pset_cache(access.id(), 0, 0, 0, 0.75) < 0 ||
      // Built in memory and written out in one go when closed, not in a
      // thousand small writes.
      H5Pset_fapl_core(access.id(), 1 << 20, 1) < 0)
    return "the HDF5 library cannot be set up";
  Handle file(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, access.id()), H5Fclose);
  if (!file.ok()) return "the file could not be created";
  const bool written = WriteFile(file.id(), recording);
  const bool flushed = H5Fflush(file.id(), H5F_SCOPE_GLOBAL) >= 0;
  file.Reset();
  if (!written || !flushed) return "the file could not be written (is the disk full?)";
  return {};
}

}  // namespace vantor::nwb
