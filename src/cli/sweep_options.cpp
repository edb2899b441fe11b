#include "cli/sweep_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

#include "cli/measure_options.h"
#include "vantor/params/parameter_names.h"
#include "vantor/text/text_helpers.h"

namespace vantor::cli {
namespace {

// As for a run, and an empty value counts as missing.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
  return TakeOptionValue(args, i, name, value) && !value.empty();
}

bool WholeNumber(const std::string& text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && errno != ERANGE && value >= low && value <= high;
}

bool Number(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(value);
}

}  // namespace

bool ParseSweepOptions(const std::vector<std::string>& args, bool fi, SweepOptions& options,
                       std::string& error) {
  std::vector<std::string> rest;  // what the run options take
  std::set<std::string> given;    // the options that take one value
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--") {  // the parameter file follows, whatever its name
      rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
      break;
    }
    std::string value;
    long long n = 0;
    double x = 0;
    auto need = [&](const char* name) {
      if (!TakeValue(args, i, name, value)) {
        error = std::string(name) + " needs a value";
        return false;
      }
      // Only --vary adds; a second of any other would silently win.
      if (std::string(name) != "--vary" && !given.insert(name).second) {
        error = std::string(name) + " is given twice";
        return false;
      }
      return true;
    };
    if (!fi && IsOption(word, "--vary")) {
      if (!need("--vary")) return false;
      if (value.find('=') == std::string::npos) {
        error = "--vary " + value + ": expected KEY=FROM:TO:COUNT or KEY=V1,V2,...";
        return false;
      }
      options.vary.push_back(value);
    } else if (!fi && IsOption(word, "--samples")) {
      if (!need("--samples")) return false;
      if (!WholeNumber(value, 1, 1000000000, n)) {
        error = "--samples needs a whole number of at least 1: " + value;
        return false;
      }
      options.samples = static_cast<long>(n);
    } else if (!fi && IsOption(word, "--seed")) {
      if (!need("--seed")) return false;
      if (!WholeNumber(value, 0, 9007199254740992LL, n)) {
        error = "--seed needs a whole number of at least 0: " + value;
        return false;
      }
      options.seed = static_cast<std::uint64_t>(n);
    } else if (IsOption(word, "--out")) {
      if (!need("--out")) return false;
      options.out = value;
    } else if (IsOption(word, "--jobs")) {
      if (!need("--jobs")) return false;
      if (!WholeNumber(value, 1, 4096, n)) {
        error = "--jobs needs a whole number from 1 to 4096: " + value;
        return false;
      }
      options.jobs = static_cast<int>(n);
    } else if (!fi && IsOption(word, "--shard")) {
      if (!need("--shard")) return false;
      const std::size_t slash = value.find('/');
      long long k = 0, count = 0;
      if (slash == std::string::npos || !WholeNumber(value.substr(slash + 1), 1, 100000, count) ||
          !WholeNumber(value.substr(0, slash), 1, count, k)) {
        error = "--shard needs K/N with 1 <= K <= N: " + value;
        return false;
      }
      options.shardIndex = static_cast<int>(k);
      options.shardCount = static_cast<int>(count);
    } else if (word == "--resume") {
      options.resume = true;
    } else if (word == "--force") {
      options.force = true;
      options.inputs.force = true;
    } else if (!fi && word == "--mpi") {
      options.mpi = true;
    } else if (IsOption(word, "--png")) {
      if (!need("--png")) return false;
      options.png = value;
    } else if (IsOption(word, "--svg")) {
      if (!need("--svg")) return false;
      options.svg = value;
    } else if (IsOption(word, "--size")) {
      if (!need("--size")) return false;
      options.size = value;
    } else if (IsOption(word, "--plot")) {
      if (!need("--plot")) return false;
      if (!FindMeasure(value, options.plot)) {
        error = "--plot names no measure: " + value + " (rate_hz, spikes, latency_ms, ...)";
        return false;
      }
      if (options.plot == MeasureId::Class) {
        error = "--plot needs a measure with a number; the class is a name";
        return false;
      }
    } else if (const Taken taken = TakeMeasureOption(args, i, options.measures, error);
               taken != Taken::No) {
      if (taken == Taken::Error) return false;
    } else if (fi && IsOption(word, "--max")) {
      if (!need("--max")) return false;
      if (!Number(value, x)) {
        error = "--max needs a current in nA: " + value;
        return false;
      }
      options.fiMax = static_cast<float>(x);
    } else if (fi && IsOption(word, "--points")) {
      if (!need("--points")) return false;
      if (!WholeNumber(value, 2, 100000, n)) {
        error = "--points needs a whole number from 2 to 100000: " + value;
        return false;
      }
      options.fiPoints = static_cast<long>(n);
    } else {
      rest.push_back(word);
      // The value of a run option travels with it.
      for (const char* withValue : {"--set", "--method", "--gates", "--limits"})
        if (word == withValue && i + 1 < args.size()) rest.push_back(args[++i]);
    }
  }
  // The run options that make sense here; the run's output files do not.
  for (const std::string& word : rest) {
    if (word == "--") break;
    if (word.size() > 1 && word[0] == '-') {
      bool allowed = word == "-q" || word == "--quiet";
      for (const char* name : {"--set", "--method", "--gates", "--limits"})
        allowed = allowed || IsOption(word, name);
      if (!allowed) {
        error = "unknown option " + word;
        return false;
      }
    }
  }
  if (given.count("--seed") != 0 && given.count("--samples") == 0) {
    error = "--seed applies to --samples N, which is missing";
    return false;
  }
  const bool force = options.inputs.force;
  if (!ParseRunOptions(rest, options.inputs, error)) return false;
  options.inputs.force = force;
  if (fi) {
    char fiAxis[64];
    std::snprintf(fiAxis, sizeof fiAxis, "%d=0:%.9g:%ld", static_cast<int>(param::InjectedCurrent),
                  static_cast<double>(options.fiMax), options.fiPoints);
    options.vary = {fiAxis};
    return true;
  }
  if (options.vary.empty()) {
    error = "a sweep needs at least one --vary KEY=FROM:TO:COUNT";
    return false;
  }
  if (options.out.empty()) {
    error = "a sweep needs --out FILE";
    return false;
  }
  return true;
}

int MakePlan(const SweepOptions& options, const ParameterSet& params, SweepPlan& plan,
             Messages& messages, std::string& error) {
  SweepRequest request;
  request.samples = options.samples;
  request.seed = options.seed;
  request.force = options.force;
  for (const std::string& vary : options.vary) {
    // Prompts may hold "=" ("Model (1=Step.F,2=Euler.F,3=RK)"), values never do.
    const std::size_t eq = vary.rfind('=');
    AxisRequest axis;
    axis.key = vary.substr(0, eq);
    axis.text = vary.substr(eq + 1);
    request.axes.push_back(std::move(axis));
  }
  const PlanRefusal refusal = MakeSweepPlan(request, params, {"--vary", "--force"}, plan);
  switch (refusal.fault) {
    case PlanFault::None: return 0;
    case PlanFault::BadAxis: error = refusal.text; return 2;
    case PlanFault::NoSuchParameter: messages.Warn(refusal.caption, refusal.text + kListsThemAll); return 1;
    default: messages.Warn(refusal.caption, refusal.text); return 1;
  }
}

}  // namespace vantor::cli
