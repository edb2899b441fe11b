// vantor-cli measure: one run and its measures, as a table or as JSON.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/measure_options.h"
#include "cli/run_inputs.h"
#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The measures, from the recorded V-m: spikes (upstrokes that pass a rise of --dvdt and\n"
    "peak at --threshold or above, 20 mV above their onset), the firing rate over the window\n"
    "(a depolarising step while it is on, a hyperpolarising one from its onset to the end,\n"
    "else the whole trial), first-spike latency from the stimulus, interval mean and CV,\n"
    "adaptation index, peak, trough, end potential, activity class, and the mean spike\n"
    "shape (onset, peak, amplitude, half-width, max dV/dt, AHP depth and time). The manual\n"
    "page defines each; --json adds every spike.\n"
    "options:\n"
    "  --json            the measures as a JSON object\n"
    "  --threshold MV    a spike's peak reaches it; its upstroke is timed there (default -20)\n"
    "  --dvdt RATE       the rise in mV/ms that starts a spike (default 20)\n"
    "  --window FROM:TO  measure over FROM .. TO ms (default: the step; the manual page says)\n"
    "  --set KEY=VALUE, --drug NAME=CONC, --method N, --gates FILE, --limits FILE, --force: as for 'run'\n";

int Measure(const std::vector<std::string>& args);

const CommandRegistration kMeasure({"measure", "[PARAMFILE] [--set KEY=VALUE ...] [--json]",
                                    "run the cell once and print the measures of the run",
                                    kDetails, 45, Measure});

int Usage(const std::string& error) { return UsageError("measure", error); }

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  return FormatNine(v);
}

// Every spike of the trial and its shape.
std::string JsonSpikes(const std::vector<Spike>& spikes) {
  std::string out = "[";
  for (std::size_t k = 0; k < spikes.size(); ++k) {
    const Spike& s = spikes[k];
    const std::pair<const char*, double> fields[] = {
        {"time_ms", s.time},          {"onset_ms", s.onsetTime},         {"onset_mv", s.onsetMv},
        {"peak_ms", s.peakTime},      {"peak_mv", s.peakMv},             {"amplitude_mv", s.Amplitude()},
        {"half_width_ms", s.halfWidthMs}, {"max_dvdt", s.maxDvdt},       {"ahp_depth_mv", s.AhpDepth()},
        {"ahp_time_ms", s.ahpTime}};
    out += k == 0 ? "\n    {" : ",\n    {";
    for (const auto& [key, value] : fields)
      out += std::string(key == fields[0].first ? "" : ", ") + "\"" + key + "\": " + JsonNumber(value);
    out += "}";
  }
  return out + (spikes.empty() ? "]" : "\n  ]");
}

void PrintJson(const Measures& m, const std::vector<Spike>& spikes) {
  const MeasureWindow& w = m.window;
  std::string out = "{";
  for (const MeasureInfo& info : MeasureTable()) {
    out += "\n  \"" + std::string(info.key) + "\": ";
    if (info.id == MeasureId::Class) {
      out += '"';
      out += ActivityClassName(m.activity);
      out += '"';
    } else {
      out += JsonNumber(MeasureValue(m, info.id));
    }
    out += ",";
  }
  out += "\n  \"window_ms\": [" + JsonNumber(w.from) + ", " + JsonNumber(w.to) + "],";
  out += "\n  \"stimulus_ms\": " + JsonNumber(w.stimulus) + ",";
  out += "\n  \"spike_list\": " + JsonSpikes(spikes) + "\n}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintTable(const Measures& m) {
  const MeasureWindow& w = m.window;
  for (const MeasureInfo& info : MeasureTable()) {
    std::string value;
    if (info.id == MeasureId::Class) {
      value = ActivityClassName(m.activity);
    } else {
      const double v = MeasureValue(m, info.id);
      value = std::isfinite(v) ? FormatShort(static_cast<float>(v), 6) : "none";
      if (std::isfinite(v) && *info.unit) value += std::string(" ") + info.unit;
    }
    std::printf("%-20s %s\n", info.label, value.c_str());
  }
  std::printf("%-20s %s .. %s ms\n", "window", FormatShort(static_cast<float>(w.from), 6).c_str(),
              FormatShort(static_cast<float>(w.to), 6).c_str());
  std::printf("%-20s %s ms\n", "stimulus onset", FormatShort(static_cast<float>(w.stimulus), 6).c_str());
}

int Measure(const std::vector<std::string>& args) {
  bool json = false;
  MeasureSettings settings;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (args[i] == "--json") {
      json = true;
    } else if (const Taken taken = TakeMeasureOption(args, i, settings, error); taken != Taken::No) {
      if (taken == Taken::Error) return Usage(error);
    } else {
      rest.push_back(args[i]);
    }
  }
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return Usage(error);
  if (!options.csvFile.empty() || !options.recordFile.empty() || !options.pngFile.empty() ||
      !options.svgFile.empty() || !options.pdfFile.empty() || !options.cgmFile.empty() ||
      !options.pltFile.empty() || !options.overlayFiles.empty() || !options.pictureSize.empty() ||
      !options.phaseFile.empty())
    return Usage("measure writes no files; use \"vantor-cli run\" for them");

  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  const ParameterSet& params = inputs.params;
  if (inputs.stimulus && inputs.stimulus->family)
    return Usage("measure takes one run, not the family of " + inputs.stimulus->name +
                 " (vantor-cli run draws it; --no-stimulus: the parameters' step)");
  RunFlags flags;
  StopOnInterrupt stopOnSignal(flags);
  const MeasuredRun run = MeasureTrial(params, inputs.gates, settings, json,
                                       inputs.stimulus ? &*inputs.stimulus : nullptr, &flags);
  if (Interrupted()) return kExitRefused;  // main() ends by the signal
  if (run.outcome != RunOutcome::Completed) {
    PrintError(run.message);
    return kExitRefused;
  }
  if (json) PrintJson(run.measures, run.spikeList);
  else PrintTable(run.measures);
  return 0;
}

}  // namespace
}  // namespace vantor::cli
