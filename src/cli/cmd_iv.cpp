// vantor-cli iv: a voltage-clamp family of steps (or of prepulses before one
// test step), its table of peak and steady-state currents, the Boltzmann fit
// and the curve as a picture.
#include <cctype>
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
#include "cli/run_tolerance.h"
#include "vantor/analysis/clamp_curves.h"
#include "vantor/analysis/clamp_family.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "vantor/render/iv_chart.h"
#include "vantor/render/sweep_chart.h"
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
    "  --png FILE            the currents against the level with the fit (the tail\n"
    "                        currents with --tail) (.png or .svg)\n"
    "  --current NAME        one channel's current instead of the clamp current\n"
    "                        (INa, IK, IH, IT, IA, IM, IAHP, INap, IC, IL ...)\n"
    "  --tail MV[:MS]        after each step the potential goes to MV (for MS ms, else\n"
    "                        to the trial's end): the tail's first current (set by the\n"
    "                        gates the step left), its peak and last current, the\n"
    "                        amplitude of the first above the last and the fit of its\n"
    "                        relaxation; the first currents are fitted with\n"
    "                        C + Imax / (1 + exp((V1/2 - V) / k)) (C: the channel\n"
    "                        closed; k < 0: it opens on hyperpolarisation) and drawn\n"
    "                        by --png\n"
    "  --time-constants      the exponential fits of the rise (onset to peak:\n"
    "                        activation) and of the decay (peak to offset:\n"
    "                        inactivation) with all their parameters\n"
    "  --set KEY=VALUE, --method N, --tolerance RTOL, --gates FILE, --limits FILE,\n"
    "  --force, -q: as for run\n"
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

std::string Shortest(double v) { return FormatShortest(static_cast<float>(v)); }

std::string FitColumns(const ExponentialFit& f, bool full) {
  if (!full) return f.ok ? Shortest(f.tau) + "," + Shortest(f.residual) : std::string(",");
  return f.ok ? Shortest(f.amplitude) + "," + Shortest(f.tau) + "," + Shortest(f.offset) + "," +
                    Shortest(f.residual)
              : std::string(",,,");
}

int Iv(const std::vector<std::string>& args) {
  std::string hold, steps, prepulse, test, out, png, current, tail;
  bool timeConstants = false;
  std::vector<std::string> rest;
  if (std::string error;
      !TakeCommandOptions(args,
                          {{"--hold", &hold}, {"--steps", &steps}, {"--prepulse", &prepulse},
                           {"--test", &test}, {"--out", &out}, {"--png", &png},
                           {"--current", &current}, {"--tail", &tail}},
                          {{"--time-constants", &timeConstants}}, rest, error))
    return UsageError("iv", error);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return UsageError("iv", error);
  if (NamesRunOnlyOptions(options))
    return UsageError("iv", "iv writes --out and --png; the other outputs belong to run");
  ClampProtocol protocol;
  double prepulseMs = 0;
  if (!Number(hold, protocol.holding)) return UsageError("iv", "--hold needs a potential in mV");
  if (!Levels(steps, protocol.levels))
    return UsageError("iv", "--steps needs FROM:TO:COUNT (mV, COUNT from 2 to 1000): " + steps);
  const bool inactivation = !prepulse.empty() || !test.empty();
  if (inactivation && (!Number(prepulse, prepulseMs) || !(prepulseMs > 0) ||
                       !Number(test, protocol.test)))
    return UsageError("iv", "--prepulse MS (more than 0) and --test MV go together");
  if (inactivation) protocol.prepulse = prepulseMs;
  if (!current.empty() && (protocol.current = ChannelSlot(current)) < 0)
    return UsageError("iv", "--current needs a channel (INa, IK, IH, IT, IA, IM, ...): " + current);
  if (!tail.empty()) {
    const std::size_t colon = tail.find(':');
    double level = 0;
    if (!Number(tail.substr(0, colon), level) ||
        (colon != std::string::npos &&
         (!Number(tail.substr(colon + 1), protocol.tailLength) || !(protocol.tailLength > 0))))
      return UsageError("iv", "--tail needs MV or MV:MS (a length above 0 ms): " + tail);
    protocol.tail = level;
  }
  if (out.empty() && png.empty()) return UsageError("iv", "--out or --png is needed");
  if (!png.empty() && (!CanDraw() || !IsChartFile(png)))
    return UsageError("iv", "--png needs a .png or .svg file and a vantor-cli built with Qt");

  options.noStimulus = true;
  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  ParameterSet& params = inputs.params;
  protocol.onset = params.Value(param::StepOnset);
  protocol.offset = params.Value(param::StepOffset);
  const double duration = params.Value(param::TrialDuration);
  if (!(protocol.offset > protocol.onset) || (inactivation && protocol.onset - prepulseMs < 0))
    return UsageError("iv", "the step (onset " + Shortest(protocol.onset) + " ms, offset " +
                                Shortest(protocol.offset) + " ms) leaves no room for the family");
  if (protocol.tail && !(protocol.offset + protocol.tailLength <= duration &&
                         (protocol.tailLength > 0 || duration > protocol.offset)))
    return UsageError("iv", "the tail after the step's offset (" + Shortest(protocol.offset) +
                                " ms) does not fit in the trial (" + Shortest(duration) + " ms)");
  if (!png.empty() && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  OutputSet outputs;
  if (!out.empty()) outputs.Add("--out", out);
  if (!png.empty()) outputs.Add("--png", png);
  if (!outputs.Open(inputs.files)) return kExitRefused;

  RunFlags flags;
  if (const int status = ApplyTolerance("iv", options, inputs.params, flags); status != 0)
    return status;
  StopOnInterrupt stopOnSignal(flags);
  const ClampFamily family = RunClampFamily(params, inputs.gates, protocol, flags);
  if (Interrupted()) return kExitRefused;
  if (!family.ok) {
    std::string text = family.error;
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    PrintError(text);
    return kExitRefused;
  }
  std::string table =
      "\"level (mV)\",\"peak (nA)\",\"peak time (ms)\",\"steady-state (nA)\",\"decay tau (ms)\","
      "\"decay residual (nA)\"";
  if (timeConstants)
    table += ",\"rise amplitude (nA)\",\"rise tau (ms)\",\"rise offset (nA)\","
             "\"rise residual (nA)\",\"decay amplitude (nA)\",\"decay offset (nA)\"";
  if (protocol.tail)
    table += ",\"tail initial (nA)\",\"tail peak (nA)\",\"tail steady-state (nA)\","
             "\"tail amplitude (nA)\",\"tail tau (ms)\",\"tail residual (nA)\"";
  table += "\n";
  for (const ClampLevel& c : family.levels) {
    table += FormatShortest(static_cast<float>(c.level)) + "," + Shortest(c.step.peak) + "," +
             Shortest(c.step.peakTime) + "," + Shortest(c.step.steady) + "," +
             FitColumns(c.decay, false);
    if (timeConstants) {
      table += "," + FitColumns(c.rise, true) + ",";
      table += c.decay.ok ? Shortest(c.decay.amplitude) + "," + Shortest(c.decay.offset)
                          : std::string(",");
    }
    if (protocol.tail)
      table += "," + Shortest(c.tailStart) + "," + Shortest(c.tail.peak) + "," +
               Shortest(c.tail.steady) + "," +
               Shortest(c.tailAmplitude) + "," + FitColumns(c.tailDecay, false);
    table += "\n";
  }

  const BoltzmannFit& fit = family.fit;
  const std::string of = protocol.current < 0 ? "" : " " + ChannelName(protocol.current);
  std::string said;
  if (!fit.ok) {
    said = "no fit: " + fit.error + "\n";
  } else if (inactivation) {
    said = "inactivation fit of the peak test current" + of + ": V1/2 " + Shortest(fit.vHalf) +
           " mV, slope factor " + Shortest(fit.slope) + " mV, Imax " + Shortest(fit.scale) +
           " nA, residual " + Shortest(fit.residual) + " nA (RMS)\n";
  } else {
    said = "activation fit of the peak current" + of + ": V1/2 " + Shortest(fit.vHalf) +
           " mV, slope factor " + Shortest(fit.slope) + " mV, gmax " + Shortest(fit.scale) +
           " uS, reversal " + Shortest(fit.reversal) + " mV, residual " + Shortest(fit.residual) +
           " nA (RMS)\n";
  }
  bool fitted = fit.ok;
  if (protocol.tail) {
    const BoltzmannFit& t = family.tailFit;
    fitted = fitted && t.ok;
    said += t.ok ? "activation fit of the tail current" + of + " at " +
                       Shortest(*protocol.tail) + " mV: V1/2 " + Shortest(t.vHalf) +
                       " mV, slope factor " + Shortest(t.slope) + " mV, Imax " +
                       Shortest(t.scale) + " nA, closed " + Shortest(t.offset) +
                       " nA, residual " + Shortest(t.residual) + " nA (RMS)\n"
                 : "no tail fit: " + t.error + "\n";
  }
  if (OutputFile* file = outputs.File("--out")) file->Write(table);
  if (OutputFile* file = outputs.File("--png")) {
    // The tails as points; otherwise the window's curves: the currents with
    // the fit, and the normalised curve.
    const auto bytes = [&] {
      if (protocol.tail) {
        SweepChart chart;
        chart.axisNames = {inactivation ? "prepulse (mV)" : "level (mV)"};
        chart.measureName = "tail current" + of + " (nA)";
        for (const ClampLevel& c : family.levels) chart.points.push_back({{c.level}, c.tailStart});
        return EncodeChart(png, 800, 600, [&](Device& d) { DrawSweepChart(d, chart); });
      }
      IvChart chart;
      for (const ClampLevel& c : family.levels) {
        chart.levels.push_back(c.level);
        chart.peaks.push_back(c.step.peak);
        if (!inactivation) chart.steadies.push_back(c.step.steady);
      }
      chart.inactivation = inactivation;
      chart.fit = fit;
      return EncodeChart(png, 1100, 560, [&](Device& d) { DrawIvChart(d, chart); });
    }();
    if (!bytes) {
      PrintError("The picture " + png + " could not be encoded.");
      return kExitRefused;
    }
    file->Write(*bytes);
  }
  if (!outputs.Commit()) return kExitRefused;
  std::fputs(said.c_str(), out == "-" || !fitted ? stderr : stdout);
  return 0;
}

}  // namespace
}  // namespace vantor::cli
