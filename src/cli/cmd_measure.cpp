// vantor-cli measure: one run and its measures, as a table or as JSON.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/measured_run.h"
#include "cli/commands.h"
#include "cli/stderr_messages.h"
#include "cli/sweep_session.h"
#include "encode/number_format.h"

namespace vantor::cli {
namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "vantor-cli measure: %s\n(see vantor-cli --help)\n", error.c_str());
  return 2;
}

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
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

}  // namespace

int MeasureCommand(const std::vector<std::string>& args) {
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

  StderrMessages messages;
  ParameterSet params;
  GateTable gates;
  if (const int status = LoadSweepInputs(options, params, gates, messages); status != 0) return status;
  const MeasuredRun run = MeasureTrial(params, gates, threshold);
  if (run.outcome != RunOutcome::Completed) {
    messages.Warn(kShellCaption, run.message);
    return 1;
  }
  const MeasureWindow window = DefaultWindow(params);
  if (json) PrintJson(run.measures, window);
  else PrintTable(run.measures, window);
  return 0;
}

}  // namespace vantor::cli
