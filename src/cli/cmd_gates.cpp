// vantor-cli gates: the steady state and time constant of the gates against
// V-m (mC and mAHP against [Ca]i) at the run's temperature, as a chart or CSV.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/output_set.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/engine/gate_curves.h"
#include "vantor/render/gate_chart.h"
#include "vantor/text/csv_number.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "The curves come from the gate table's coefficients through the kinetics a run uses,\n"
    "with the temperature factors of the run's temperature and its H shift. mC and mAHP\n"
    "open with calcium and are drawn against [Ca]i at a fixed potential.\n"
    "options:\n"
    "  --only LIST       the gates, by name or number, comma-separated (default all 13:\n"
    "                    mNa hNa mK mA hA mT hT mC mL mH mM mNap mAHP)\n"
    "  --range FROM:TO   the potential range in mV (default -100:50)\n"
    "  --ca-range FROM:TO  the [Ca]i range in uM of mC and mAHP (default 0:5)\n"
    "  --vm MV           the potential at which mC and mAHP are computed (default 0)\n"
    "  --points N        points per curve, 2 .. 100000 (default 301)\n"
    "  --temperature C   same as --set temperature=C (default: the parameters', 35)\n"
    "  --png/--svg FILE  the chart (1200x900 unless --size WxH)\n"
    "  --csv FILE        the curves as CSV: gate,x,x_unit,inf,tau_ms ('-' standard output)\n"
    "  PARAMFILE, --set KEY=VALUE, --gates FILE, --limits FILE: as for 'run'\n";

int Gates(const std::vector<std::string>& args);

const CommandRegistration kGates({"gates", "[PARAMFILE] [options] --png FILE | --svg FILE | --csv FILE",
                                  "draw or list each gate's steady state and time constant",
                                  kDetails, 47, Gates});

int Usage(const std::string& error) { return UsageError("gates", error); }

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool ParseRange(const std::string& text, double& from, double& to) {
  const std::size_t colon = text.find(':', 1);
  return colon != std::string::npos && ParseNumber(text.substr(0, colon), from) &&
         ParseNumber(text.substr(colon + 1), to);
}

std::string Csv(const std::vector<GateCurve>& curves) {
  std::string out = "gate,x,x_unit,inf,tau_ms\n";
  char number[40];
  for (const GateCurve& c : curves) {
    const char* unit = c.axis == GateAxis::Calcium ? ",uM," : ",mV,";
    for (std::size_t i = 0; i < c.x.size(); ++i) {
      out += c.name + ",";
      out.append(number, FormatNine(number, c.x[i]));
      out += unit;
      out.append(number, FormatNine(number, c.inf[i]));
      out += ",";
      out.append(number, FormatNine(number, c.tau[i]));
      out += "\n";
    }
  }
  return out;
}

int Gates(const std::vector<std::string>& args) {
  GateCurveRequest request;
  std::vector<std::string> rest;
  std::string error;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    const std::string& word = args[i];
    if (word == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
      break;
    }
    if (IsOption(word, "--only")) {
      if (!TakeOptionValue(args, i, "--only", value) || value.empty()) return Usage("--only needs a list of gates");
      std::size_t start = 0;
      while (start <= value.size()) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        const std::string name = value.substr(start, comma - start);
        const int row = GateRowByName(name);
        if (row == 0)
          return Usage("there is no gate \"" + name + "\" with curves; the gates are mNa hNa mK mA "
                       "hA mT hT mC mL mH mM mNap mAHP (or 1 .. 13)");
        request.rows.push_back(row);
        start = comma + 1;
      }
    } else if (IsOption(word, "--range")) {
      if (!TakeOptionValue(args, i, "--range", value) || !ParseRange(value, request.vFrom, request.vTo))
        return Usage("--range needs FROM:TO in mV (-100:50)");
    } else if (IsOption(word, "--ca-range")) {
      if (!TakeOptionValue(args, i, "--ca-range", value) ||
          !ParseRange(value, request.caFrom, request.caTo))
        return Usage("--ca-range needs FROM:TO in uM (0:5)");
    } else if (IsOption(word, "--vm")) {
      if (!TakeOptionValue(args, i, "--vm", value) || !ParseNumber(value, request.vForCalcium))
        return Usage("--vm needs a potential in mV");
    } else if (IsOption(word, "--points")) {
      double n = 0;
      if (!TakeOptionValue(args, i, "--points", value) || !ParseNumber(value, n) || n != std::floor(n) ||
          n < 2 || n > 100000)
        return Usage("--points needs a whole number 2 .. 100000");
      request.points = static_cast<int>(n);
    } else if (IsOption(word, "--temperature")) {
      if (!TakeOptionValue(args, i, "--temperature", value) || value.empty())
        return Usage("--temperature needs degrees C");
      rest.push_back("--set");
      rest.push_back("temperature=" + value);
    } else {
      rest.push_back(word);
    }
  }
  RunOptions options;
  if (!ParseRunOptions(rest, options, error)) return Usage(error);
  if (!options.recordFile.empty() || !options.pdfFile.empty() || !options.cgmFile.empty() ||
      !options.pltFile.empty() || !options.overlayFiles.empty() || !options.phaseFile.empty() ||
      !options.nwbFile.empty() || !options.fromFile.empty() || !options.csvStep.empty() ||
      !options.tolerance.empty() || options.meta || !options.drugs.empty())
    return Usage("gates writes --png, --svg and --csv only");
  if (options.pngFile.empty() && options.svgFile.empty() && options.csvFile.empty())
    return Usage("give --png FILE, --svg FILE or --csv FILE");
  int width = 1200, height = 900;
  if (!options.pictureSize.empty() && !ParsePictureSize(options.pictureSize, width, height))
    return Usage("--size needs WxH, each side 100 to 20000: " + options.pictureSize);
  const bool drawing = !options.pngFile.empty() || !options.svgFile.empty();
  if (drawing && !CanDraw())
    return Usage("this vantor-cli was built without Qt (VANTOR_WITH_QT=OFF): --png and --svg are "
                 "not available");
  // Each option writes its own format; "-" is standard output.
  for (const auto& [file, extension] : {std::pair{&options.pngFile, ".png"}, {&options.svgFile, ".svg"}}) {
    if (file->empty() || *file == "-") continue;
    std::string tail = file->size() >= 4 ? file->substr(file->size() - 4) : "";
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail != extension)
      return Usage(std::string("--") + (extension + 1) + " writes a file ending in " + extension + ": " + *file);
  }
  RunInputs inputs;
  options.quiet = true;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  request.celsius = inputs.params.Value(param::Temperature);
  request.hShift = inputs.params.Value(param::HShift);
  if (const std::string refusal = GateCurveRefusal(request); !refusal.empty()) return Usage(refusal);
  const std::vector<GateCurve> curves = ComputeGateCurves(inputs.gates, request);

  OutputSet outputs;
  if (!options.pngFile.empty()) outputs.Add("--png", options.pngFile);
  if (!options.svgFile.empty()) outputs.Add("--svg", options.svgFile);
  if (!options.csvFile.empty()) outputs.Add("--csv", options.csvFile);
  if (drawing && !EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  if (!outputs.Open(inputs.files)) return kExitRefused;
  const GateChart chart{curves, request.celsius, request.vForCalcium};
  for (const char* option : {"--png", "--svg"}) {
    OutputFile* file = outputs.File(option);
    if (file == nullptr) continue;
    // Standard output has no extension to say the format.
    std::string named = outputs.Path(option);
    if (named == "-") named = std::string("-.") + (option[2] == 'p' ? "png" : "svg");
    const std::optional<std::string> bytes =
        EncodeChart(named, width, height, [&](Device& d) { DrawGateChart(d, chart); });
    if (!bytes) {
      PrintError("The chart " + outputs.Path(option) + " could not be encoded.");
      outputs.Abandon();
      return kExitRefused;
    }
    file->Write(*bytes);
  }
  if (OutputFile* file = outputs.File("--csv")) file->Write(Csv(curves));
  return outputs.Commit() ? 0 : kExitRefused;
}

}  // namespace
}  // namespace vantor::cli
