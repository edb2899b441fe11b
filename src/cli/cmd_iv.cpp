// vantor-cli iv: a voltage-clamp family of steps (or of prepulses before one
// test step), its table of peak and steady-state currents, the Boltzmann fit
// and the curve as a picture.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/analysis/clamp_curves.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "vantor/render/iv_chart.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The voltage steps lie where the parameters' current step lies (its onset and\n"
    "offset); the clamp is ideal, and the current is the clamp current (the total\n"
    "ionic and synaptic current). The current is sampled every 0.01 ms at least.\n"
    "options:\n"
    "  --hold MV             the holding potential\n"
    "  --steps FROM:TO:COUNT the levels of the steps (mV), COUNT from 2 to 1000\n"
    "  --prepulse MS         the levels become prepulses of MS ms ending at the onset,\n"
    "  --test MV             each followed by a test step to MV (inactivation)\n"
    "  --out FILE            the table as CSV ('-': standard output)\n"
    "  --png FILE            the currents against the level with the fit (.png or .svg)\n"
    "  --set KEY=VALUE, --method N, --gates FILE, --limits FILE, --force, -q: as for run\n"
    "The fit (V1/2, slope factor, gmax and reversal, or Imax, and the RMS residual)\n"
    "goes to standard output (to standard error when the table does).\n";

int Iv(const std::vector<std::string>& args);

const CommandRegistration kIv({"iv", "[PARAMFILE] --hold MV --steps FROM:TO:COUNT [options]",
                               "a voltage-clamp family: its I-V table, fit and picture",
                               kDetails, 15, Iv});

bool Number(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(out);
}

bool Levels(const std::string& text, std::vector<double>& levels) {
  const std::size_t a = text.find(':'), b = text.find(':', a == std::string::npos ? a : a + 1);
  if (b == std::string::npos) return false;
  double from = 0, to = 0, count = 0;
  if (!Number(text.substr(0, a), from) || !Number(text.substr(a + 1, b - a - 1), to) ||
      !Number(text.substr(b + 1), count) || count != std::floor(count) || count < 2 ||
      count > 1000)
    return false;
  for (int i = 0; i < count; ++i) levels.push_back(from + (to - from) * i / (count - 1));
  return true;
}

// Keeps each sample's time and the clamp current handed just before it.
struct ClampTrace : RunSink, DriveSink {
  void Drive(double, double current) override { pending = current; }
  void Sample(const RunSample& s) override {
    times.push_back(s[slot::Time]);
    currents.push_back(pending);
  }
  double pending = 0;
  std::vector<double> times, currents;
};

std::string Shortest(double v) { return FormatShortest(static_cast<float>(v)); }

int Iv(const std::vector<std::string>& args) {
  std::string hold, steps, prepulse, test, out, png;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool taken = false;
    for (auto [name, field] : {std::pair{"--hold", &hold}, std::pair{"--steps", &steps},
                               std::pair{"--prepulse", &prepulse}, std::pair{"--test", &test},
                               std::pair{"--out", &out}, std::pair{"--png", &png}}) {
      if (!IsOption(args[i], name)) continue;
      std::string value;
      if (!TakeOptionValue(args, i, name, value) || value.empty())
        return UsageError("iv", std::string(name) + " needs a value");
      if (!field->empty()) return UsageError("iv", std::string(name) + " is given twice");
      *field = value;
      taken = true;
    }
    if (!taken) rest.push_back(args[i]);
  }
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return UsageError("iv", error);
  if (!options.csvFile.empty() || !options.recordFile.empty() || !options.svgFile.empty() ||
      !options.pdfFile.empty() || !options.cgmFile.empty() || !options.pltFile.empty() ||
      !options.phaseFile.empty() || !options.overlayFiles.empty() || !options.stimulusFile.empty())
    return UsageError("iv", "iv writes --out and --png; the other outputs belong to run");
  double holding = 0, testLevel = 0, prepulseMs = 0;
  std::vector<double> levels;
  if (!Number(hold, holding)) return UsageError("iv", "--hold needs a potential in mV");
  if (!Levels(steps, levels))
    return UsageError("iv", "--steps needs FROM:TO:COUNT (mV, COUNT from 2 to 1000): " + steps);
  const bool inactivation = !prepulse.empty() || !test.empty();
  if (inactivation && (!Number(prepulse, prepulseMs) || !(prepulseMs > 0) || !Number(test, testLevel)))
    return UsageError("iv", "--prepulse MS (more than 0) and --test MV go together");
  if (out.empty() && png.empty()) return UsageError("iv", "--out or --png is needed");
  if (!png.empty() && (!CanDraw() || !IsChartFile(png)))
    return UsageError("iv", "--png needs a .png or .svg file and a vantor-cli built with Qt");

  options.noStimulus = true;
  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  ParameterSet& params = inputs.params;
  const double onset = params.Value(param::StepOnset), offset = params.Value(param::StepOffset);
  if (!(offset > onset) || (inactivation && onset - prepulseMs < 0))
    return UsageError("iv", "the step (onset " + Shortest(onset) + " ms, offset " +
                                Shortest(offset) + " ms) leaves no room for the family");
  if (params.Value(param::MaxDtForPlot) > 0.01f) params.SetValue(param::MaxDtForPlot, 0.01f);
  if (!png.empty() && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  OutputSet outputs;
  if (!out.empty()) outputs.Add("--out", out);
  if (!png.empty()) outputs.Add("--png", png);
  if (!outputs.Open(inputs.files)) return kExitRefused;

  RunFlags flags;
  StopOnInterrupt stopOnSignal(flags);
  std::vector<double> peaks, steadies;
  std::string table =
      "\"level (mV)\",\"peak (nA)\",\"peak time (ms)\",\"steady-state (nA)\",\"decay tau (ms)\","
      "\"decay residual (nA)\"\n";
  for (const double level : levels) {
    Stimulus stimulus;
    stimulus.mode = ClampMode::Voltage;
    stimulus.holding = holding;
    Segment step;
    step.onset = onset;
    step.offset = offset;
    step.level = (inactivation ? testLevel : level) - holding;
    stimulus.segments.push_back(step);
    if (inactivation) {
      Segment pre = step;
      pre.onset = onset - prepulseMs;
      pre.offset = onset;
      pre.level = level - holding;
      stimulus.segments.push_back(pre);
    }
    ClampTrace trace;
    RunTuning tuning;
    tuning.stimulus = &stimulus;
    tuning.drive = &trace;
    const RunResult result = RunTrial(params, inputs.gates, trace, flags, {}, tuning);
    if (Interrupted()) return kExitRefused;
    if (result.outcome != RunOutcome::Completed) {
      PrintError("The run at " + Shortest(level) + " mV did not complete: " + result.message);
      return kExitRefused;
    }
    StepCurrents c;
    MeasureStep(trace.times, trace.currents, onset, offset, c);
    peaks.push_back(c.peak);
    steadies.push_back(c.steady);
    // The decay from the peak to the step's end (inactivation), when there is one.
    const ExponentialFit decay = FitExponential(trace.times, trace.currents, c.peakTime, offset);
    table += FormatShortest(static_cast<float>(level)) + "," + Shortest(c.peak) + "," +
             Shortest(c.peakTime) + "," + Shortest(c.steady) + "," +
             (decay.ok ? Shortest(decay.tau) + "," + Shortest(decay.residual) : std::string(",")) +
             "\n";
  }

  const BoltzmannFit fit = inactivation ? FitInactivation(levels, peaks) : FitActivation(levels, peaks);
  std::string said;
  if (!fit.ok) {
    said = "no fit: " + fit.error + "\n";
  } else if (inactivation) {
    said = "inactivation fit of the peak test current: V1/2 " + Shortest(fit.vHalf) +
           " mV, slope factor " + Shortest(fit.slope) + " mV, Imax " + Shortest(fit.scale) +
           " nA, residual " + Shortest(fit.residual) + " nA (RMS)\n";
  } else {
    said = "activation fit of the peak current: V1/2 " + Shortest(fit.vHalf) +
           " mV, slope factor " + Shortest(fit.slope) + " mV, gmax " + Shortest(fit.scale) +
           " uS, reversal " + Shortest(fit.reversal) + " mV, residual " + Shortest(fit.residual) +
           " nA (RMS)\n";
  }
  if (OutputFile* file = outputs.File("--out")) file->Write(table);
  if (OutputFile* file = outputs.File("--png")) {
    // The window's curves: the currents with the fit, and the normalised curve.
    const IvChart chart{levels, peaks, inactivation ? std::vector<double>{} : steadies, inactivation, fit};
    const auto bytes = EncodeChart(png, 1100, 560, [&](Device& d) { DrawIvChart(d, chart); });
    if (!bytes) {
      PrintError("The picture " + png + " could not be encoded.");
      return kExitRefused;
    }
    file->Write(*bytes);
  }
  if (!outputs.Commit()) return kExitRefused;
  std::fputs(said.c_str(), out == "-" || !fit.ok ? stderr : stdout);
  return 0;
}

}  // namespace
}  // namespace vantor::cli
