// vantor-cli impedance: a chirp current from the parameters' base current,
// the impedance profile |Z(f)| over its band and the resonance frequency.
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
#include "vantor/analysis/ramp_chirp.h"
#include "vantor/render/sweep_chart.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The chirp (a sine of AMP nA whose frequency goes from F0 to F1 Hz over DURATION\n"
    "ms) is added to the parameters' base current; the parameters' own step is\n"
    "switched off and the trial ends with the chirp. |Z(f)| = |FFT(V)| / |FFT(I)|\n"
    "over the chirp (both resampled onto equal steps, their means removed), kept\n"
    "between F0 and F1, in MOhm; steps of 1000 / DURATION Hz. The peak is the\n"
    "resonance frequency (on the running mean over five steps; at the band's lower\n"
    "end, the cell does not resonate). The cell should be at rest when the chirp\n"
    "starts: a cell still settling adds its drift to the lowest frequencies.\n"
    "options:\n"
    "  --chirp F0:F1:DURATION:AMP  Hz, Hz, ms, nA\n"
    "  --log                 a logarithmic sweep instead of a linear one\n"
    "  --onset MS            where the chirp starts (default: the step's onset)\n"
    "  --out FILE            the profile as CSV ('-': standard output)\n"
    "  --png FILE            |Z| against the frequency (.png or .svg)\n"
    "  --set KEY=VALUE, --method N, --tolerance RTOL, --gates FILE, --limits FILE,\n"
    "  --force, -q: as for run\n";

int ImpedanceCommand(const std::vector<std::string>& args);

const CommandRegistration kImpedance(
    {"impedance", "[PARAMFILE] --chirp F0:F1:DURATION:AMP [--out FILE] [--png FILE]",
     "the impedance profile and resonance frequency from a chirp", kDetails, 17,
     ImpedanceCommand});

bool Number(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(out);
}

std::string Shortest(double v) { return FormatShortest(static_cast<float>(v)); }

bool ParseChirp(const std::string& text, Chirp& c) {
  double* fields[] = {&c.f0, &c.f1, &c.duration, &c.amplitude};
  std::size_t from = 0;
  for (int k = 0; k < 4; ++k) {
    const std::size_t colon = text.find(':', from);
    if ((colon == std::string::npos) != (k == 3)) return false;
    if (!Number(text.substr(from, colon == std::string::npos ? colon : colon - from), *fields[k]))
      return false;
    from = colon + 1;
  }
  return c.f0 > 0 && c.f1 > 0 && c.f0 != c.f1 && c.duration > 0 && c.amplitude != 0;
}

int ImpedanceCommand(const std::vector<std::string>& args) {
  std::string chirpText, onsetText, out, png;
  bool logSweep = false;
  std::vector<std::string> rest;
  if (std::string error;
      !TakeCommandOptions(args,
                          {{"--chirp", &chirpText}, {"--onset", &onsetText}, {"--out", &out},
                           {"--png", &png}},
                          {{"--log", &logSweep}}, rest, error))
    return UsageError("impedance", error);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return UsageError("impedance", error);
  if (NamesRunOnlyOptions(options))
    return UsageError("impedance", "impedance writes --out and --png; the other outputs belong to run");
  Chirp chirp;
  chirp.logSweep = logSweep;
  if (!ParseChirp(chirpText, chirp))
    return UsageError("impedance",
                      "--chirp needs F0:F1:DURATION:AMP (two different frequencies above 0 Hz, "
                      "ms above 0, nA not 0): " + chirpText);
  if (!onsetText.empty() && (!Number(onsetText, chirp.onset) || chirp.onset < 0))
    return UsageError("impedance", "--onset needs a time of 0 ms or more");
  if (!png.empty() && (!CanDraw() || !IsChartFile(png)))
    return UsageError("impedance", "--png needs a .png or .svg file and a vantor-cli built with Qt");

  options.noStimulus = true;
  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  if (onsetText.empty()) chirp.onset = inputs.params.Value(param::StepOnset);
  if (const float highest = inputs.params.Maximum(param::InjectedCurrent);
      !options.force && std::fabs(chirp.amplitude) > highest)
    return UsageError("impedance", "the chirp's amplitude lies beyond the injected current's "
                                   "limit (" + Shortest(highest) + " nA; --force runs it anyway)");
  if (const double end = chirp.onset + chirp.duration;
      !options.force && !(end <= inputs.params.Maximum(param::TrialDuration)))
    return UsageError("impedance", "the chirp ends at " + Shortest(end) +
                                   " ms, beyond the longest trial of the limits (" +
                                   Shortest(inputs.params.Maximum(param::TrialDuration)) +
                                   " ms; --force runs it anyway)");
  if (!png.empty() && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  OutputSet outputs;
  if (!out.empty()) outputs.Add("--out", out);
  if (!png.empty()) outputs.Add("--png", png);
  if (!outputs.Open(inputs.files)) return kExitRefused;
  RunFlags flags;
  if (const int status = ApplyTolerance("impedance", options, inputs.params, flags); status != 0)
    return status;
  StopOnInterrupt stopOnSignal(flags);
  const ImpedanceProfile z = RunChirpImpedance(inputs.params, inputs.gates, chirp, flags);
  if (Interrupted()) return kExitRefused;
  if (!z.ok) {
    PrintError("The chirp gives no profile: " + z.error + ".");
    return kExitRefused;
  }
  if (OutputFile* file = outputs.File("--out")) {
    std::string table = "\"frequency (Hz)\",\"|Z| (MOhm)\"\n";
    for (std::size_t k = 0; k < z.frequency.size(); ++k)
      table += Shortest(z.frequency[k]) + "," + Shortest(z.magnitude[k]) + "\n";
    file->Write(table);
  }
  if (OutputFile* file = outputs.File("--png")) {
    SweepChart chart;
    chart.axisNames = {"frequency (Hz)"};
    chart.measureName = "|Z| (MOhm)";
    for (std::size_t k = 0; k < z.frequency.size(); ++k)
      chart.points.push_back({{z.frequency[k]}, z.magnitude[k]});
    const auto bytes = EncodeChart(png, 800, 600, [&](Device& d) { DrawSweepChart(d, chart); });
    if (!bytes) {
      PrintError("The picture " + png + " could not be encoded.");
      return kExitRefused;
    }
    file->Write(*bytes);
  }
  if (!outputs.Commit()) return kExitRefused;
  std::string said = "resonance at " + Shortest(z.peakFrequency) + " Hz, |Z| " +
                     Shortest(z.peakMagnitude) + " MOhm (" + Shortest(z.frequency.front()) +
                     " to " + Shortest(z.frequency.back()) + " Hz)\n";
  if (z.spikes > 0)
    PrintWarning("the cell fired " + std::to_string(z.spikes) +
                 (z.spikes == 1 ? " spike" : " spikes") +
                 " during the chirp; a smaller amplitude gives a profile of the membrane");
  std::fputs(said.c_str(), out == "-" ? stderr : stdout);
  return 0;
}

}  // namespace
}  // namespace vantor::cli
