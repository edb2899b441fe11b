#include "cli/run_meta.h"

#include "cli/json_text.h"
#include "vantor/nwb/run_provenance.h"
#include "vantor/params/parameter_names.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

std::string Tolerance(double tolerance) {
  if (tolerance == 0) return "its own tolerance";
  char text[32];
  std::snprintf(text, sizeof text, "tolerance %.17g", tolerance);
  return text;
}

}  // namespace

std::string MetaLine(const RunInputs& inputs, double tolerance, const std::string& source) {
  const ParameterSet& p = inputs.params;
  const ParameterSet builtIn;
  const bool continuous = p.Value(param::Model) == 4;
  std::string line = "Vantor " VANTOR_VERSION ", method " + FormatShortest(p.Value(param::Model)) +
                     (continuous ? " (" + Tolerance(tolerance) + ")" : std::string()) +
                     ", inputs " + nwb::FingerprintText(p, inputs.gates) + ", from " + source;
  std::string changed;
  for (int k = 0; k < kParameterCount; ++k)
    if (p.Value(k) != builtIn.Value(k))
      changed += (changed.empty() ? "" : ", ") + CommandLineName(k) + "=" + FormatShortest(p.Value(k));
  line += changed.empty() ? "; the built-in values" : "; differs from the built-in set in " + changed;
  return line;
}

std::string MetaJson(const RunInputs& inputs, double tolerance, const std::string& source,
                     const std::vector<std::string>& outputs) {
  const ParameterSet& p = inputs.params;
  std::string json = "{\n  \"program\": \"vantor-cli\",\n  \"version\": \"" VANTOR_VERSION "\",\n";
  json += "  \"source\": " + JsonString(source) + ",\n";
  json += "  \"method\": " + JsonNumber(p.Value(param::Model)) + ",\n";
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", tolerance);
  json += "  \"tolerance\": " + (tolerance == 0 ? std::string("null") : std::string(text)) + ",\n";
  json += "  \"fingerprint\": \"" + nwb::FingerprintText(p, inputs.gates) + "\",\n";
  json += "  \"gate_table\": " + JsonString(inputs.gatesPath) + ",\n";
  json += "  \"outputs\": [";
  for (std::size_t i = 0; i < outputs.size(); ++i)
    json += (i ? ", " : "") + JsonString(outputs[i]);
  json += "],\n  \"parameters\": [\n";
  for (int k = 0; k < kParameterCount; ++k) {
    json += "    {\"name\": " + JsonString(CommandLineName(k)) + ", \"value\": " +
            JsonNumber(p.Value(k)) + ", \"unit\": " + JsonString(ParameterUnit(k)) +
            ", \"minimum\": " + JsonNumber(p.Minimum(k)) + ", \"maximum\": " +
            JsonNumber(p.Maximum(k)) + "}" + (k + 1 < kParameterCount ? ",\n" : "\n");
  }
  return json + "  ]\n}\n";
}

}  // namespace vantor::cli
