// vantor-cli measure: one run and its measures, as a table or as JSON.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/run_inputs.h"
#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The measures, from the recorded V-m: spikes (upward crossings of the threshold), the\n"
    "firing rate over the step while it is on (else the whole trial), first-spike latency,\n"
    "interval mean and CV, adaptation index, peak, trough, end potential and activity class\n"
    "(the manual page defines each).\n"
    "options:\n"
    "  --json            the measures as a JSON object\n"
    "  --threshold MV    spike threshold (default 0 mV)\n"
    "  --set KEY=VALUE, --method N, --gates FILE, --limits FILE, --force: as for 'run'\n";

int Measure(const std::vector<std::string>& args);

const CommandRegistration kMeasure({"measure", "[PARAMFILE] [--set KEY=VALUE ...] [--json]",
                                    "run the cell once and print the measures of the run",
                                    kDetails, 45, Measure});

int Usage(const std::string& error) { return UsageError("measure", error); }

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  return FormatNine(v);
}

void PrintJson(const Measures& m, const MeasureWindow& w) {
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
  out += "\n  \"window_ms\": [" + JsonNumber(w.from) + ", " + JsonNumber(w.to) + "]\n}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintTable(const Measures& m, const MeasureWindow& w) {
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
}

int Measure(const std::vector<std::string>& args) {
  bool json = false;
  double threshold = 0;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--threshold" || args[i].rfind("--threshold=", 0) == 0) {
      std::string value = args[i].size() > 11 ? args[i].substr(12) : "";
      if (args[i] == "--threshold") {
        if (i + 1 >= args.size()) return Usage("--threshold needs a potential in mV");
        value = args[++i];
      }
      char* end = nullptr;
      threshold = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !std::isfinite(threshold))
        return Usage("--threshold needs a potential in mV: " + value);
    } else {
      rest.push_back(args[i]);
    }
  }
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return Usage(error);
  if (!options.csvFile.empty() || !options.recordFile.empty() || !options.pngFile.empty() ||
      !options.svgFile.empty() || !options.pdfFile.empty() || !options.cgmFile.empty() ||
      !options.pltFile.empty() || !options.overlayFiles.empty() || !options.pictureSize.empty())
    return Usage("measure writes no files; use \"vantor-cli run\" for them");

  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  const ParameterSet& params = inputs.params;
  const MeasuredRun run = MeasureTrial(params, inputs.gates, threshold);
  if (run.outcome != RunOutcome::Completed) {
    PrintError(run.message);
    return kExitRefused;
  }
  const MeasureWindow window = DefaultWindow(params);
  if (json) PrintJson(run.measures, window);
  else PrintTable(run.measures, window);
  return 0;
}

}  // namespace
}  // namespace vantor::cli
