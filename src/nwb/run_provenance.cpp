#include "vantor/nwb/run_provenance.h"

#include <cstdio>
#include <ctime>
#include <random>

#include "vantor/params/parameter_names.h"
#include "vantor/sweep/sweep_plan.h"

namespace vantor::nwb {

std::string StartTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string iso = text;  // +hhmm -> +hh:mm
  if (iso.size() > 2) iso.insert(iso.size() - 2, ":");
  return iso;
}

std::string NewIdentifier() {
  std::random_device random;
  char text[40];
  std::snprintf(text, sizeof text, "vantor-%08x%08x", random(), random());
  return text;
}

std::string FingerprintText(const ParameterSet& params, const GateTable& gates) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx",
                static_cast<unsigned long long>(InputsFingerprint(params, gates)));
  return text;
}

Provenance RunProvenance(const ParameterSet& params, const GateTable& gates, double tolerance,
                         const std::string& programVersion) {
  Provenance p;
  p.programVersion = programVersion;
  p.fingerprint = FingerprintText(params, gates);
  p.method = static_cast<int>(params.Value(param::Model));
  p.tolerance = tolerance;
  for (int k = 0; k < kParameterCount; ++k) {
    p.parameterNames.push_back(CommandLineName(k));
    p.parameterValues.push_back(params.Value(k));
    p.parameterUnits.push_back(ParameterUnit(k));
    p.limitsMinimum.push_back(params.Minimum(k));
    p.limitsMaximum.push_back(params.Maximum(k));
  }
  return p;
}

std::string ApplyProvenance(const Provenance& p, ParameterSet& params) {
  const std::size_t n = kParameterCount;
  if (p.parameterNames.size() != n || p.parameterValues.size() != n ||
      p.limitsMinimum.size() != n || p.limitsMaximum.size() != n)
    return "it holds " + std::to_string(p.parameterNames.size()) + " parameters, not " +
           std::to_string(n);
  for (int k = 0; k < kParameterCount; ++k)
    if (p.parameterNames[k] != CommandLineName(k))
      return "parameter " + std::to_string(k) + " is " + p.parameterNames[k] + ", not " +
             CommandLineName(k);
  ParameterSet changed = params;
  for (int k = 0; k < kParameterCount; ++k) {
    changed.SetValue(k, static_cast<float>(p.parameterValues[k]));
    changed.SetLimits(k, static_cast<float>(p.limitsMinimum[k]),
                      static_cast<float>(p.limitsMaximum[k]));
  }
  params = changed;
  return "";
}

}  // namespace vantor::nwb
