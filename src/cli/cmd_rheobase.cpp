// vantor-cli rheobase: a current ramp from the parameters' base current, and
// the ramp's current at the first spike.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "cli/run_tolerance.h"
#include "vantor/analysis/ramp_chirp.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The ramp adds FROM nA at its onset rising linearly to TO nA at its end to the\n"
    "parameters' base current; the parameters' own step is switched off and the\n"
    "trial ends with the ramp. The rheobase is the ramp's current where the first\n"
    "spike (the rule of measure) crosses the threshold; it is given with the ramp's\n"
    "rate, since a faster ramp finds a higher one.\n"
    "options:\n"
    "  --ramp FROM:TO:DURATION  nA, nA (TO above FROM), ms; within the injected\n"
    "                           current's limits unless --force\n"
    "  --onset MS               where the ramp starts (default: the step's onset)\n"
    "  --threshold MV, --dvdt MV/MS  the spike rule (default -20 mV, 20 mV/ms)\n"
    "  --set KEY=VALUE, --method N, --tolerance RTOL, --gates FILE, --limits FILE,\n"
    "  --force, -q: as for run\n";

int RheobaseCommand(const std::vector<std::string>& args);

const CommandRegistration kRheobase({"rheobase", "[PARAMFILE] --ramp FROM:TO:DURATION [options]",
                                     "the current at the first spike of a current ramp",
                                     kDetails, 16, RheobaseCommand});

bool Number(const std::string& text, double& out) {
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(out);
}

std::string Shortest(double v) { return FormatShortest(static_cast<float>(v)); }

int RheobaseCommand(const std::vector<std::string>& args) {
  std::string rampText, onsetText, thresholdText, dvdtText;
  std::vector<std::string> rest;
  if (std::string error;
      !TakeCommandOptions(args,
                          {{"--ramp", &rampText}, {"--onset", &onsetText},
                           {"--threshold", &thresholdText}, {"--dvdt", &dvdtText}},
                          {}, rest, error))
    return UsageError("rheobase", error);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return UsageError("rheobase", error);
  if (NamesRunOnlyOptions(options))
    return UsageError("rheobase", "rheobase writes no files; run --stimulus draws a ramp");
  Ramp ramp;
  const std::size_t a = rampText.find(':');
  const std::size_t b = a == std::string::npos ? a : rampText.find(':', a + 1);
  if (b == std::string::npos || !Number(rampText.substr(0, a), ramp.from) ||
      !Number(rampText.substr(a + 1, b - a - 1), ramp.to) ||
      !Number(rampText.substr(b + 1), ramp.duration) || !(ramp.duration > 0) ||
      !(ramp.to > ramp.from))
    return UsageError("rheobase",
                      "--ramp needs FROM:TO:DURATION (nA, nA, ms; rising to TO, a duration above "
                      "0): " + rampText);
  SpikeRule rule;
  if (!thresholdText.empty() && !Number(thresholdText, rule.threshold))
    return UsageError("rheobase", "--threshold needs a potential in mV");
  if (!dvdtText.empty() && (!Number(dvdtText, rule.dvdt) || !(rule.dvdt > 0)))
    return UsageError("rheobase", "--dvdt needs a rate above 0 mV/ms");
  if (!onsetText.empty() && (!Number(onsetText, ramp.onset) || ramp.onset < 0))
    return UsageError("rheobase", "--onset needs a time of 0 ms or more");

  options.noStimulus = true;
  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  if (onsetText.empty()) ramp.onset = inputs.params.Value(param::StepOnset);
  const float lowest = inputs.params.Minimum(param::InjectedCurrent);
  const float highest = inputs.params.Maximum(param::InjectedCurrent);
  if (!options.force && (ramp.from < lowest || ramp.to > highest))
    return UsageError("rheobase", "the ramp leaves the injected current's limits (" +
                                      Shortest(lowest) + " to " + Shortest(highest) +
                                      " nA; --force runs it anyway)");
  if (const double end = ramp.onset + ramp.duration;
      !options.force && !(end <= inputs.params.Maximum(param::TrialDuration)))
    return UsageError("rheobase", "the ramp ends at " + Shortest(end) +
                                   " ms, beyond the longest trial of the limits (" +
                                   Shortest(inputs.params.Maximum(param::TrialDuration)) +
                                   " ms; --force runs it anyway)");
  RunFlags flags;
  if (const int status = ApplyTolerance("rheobase", options, inputs.params, flags); status != 0)
    return status;
  StopOnInterrupt stopOnSignal(flags);
  const Rheobase r = RunRampRheobase(inputs.params, inputs.gates, ramp, rule, flags);
  if (Interrupted()) return kExitRefused;
  const std::string rampSaid = "a ramp from " + Shortest(ramp.from) + " to " + Shortest(ramp.to) +
                               " nA over " + Shortest(ramp.duration) + " ms from " +
                               Shortest(ramp.onset) + " ms, " + Shortest(r.rate) + " nA/ms";
  if (!r.ok) {
    PrintError(r.error.rfind("no spike", 0) == 0 ? "No spike during " + rampSaid + "."
                                                 : "The ramp " + r.error);
    return kExitRefused;
  }
  std::printf("rheobase %s nA at %s ms (first spike of %s)\n", Shortest(r.current).c_str(),
              Shortest(r.spikeTime).c_str(), rampSaid.c_str());
  return 0;
}

}  // namespace
}  // namespace vantor::cli
