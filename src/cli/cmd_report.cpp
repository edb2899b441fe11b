// vantor-cli report: a lab report of runs, one per parameter file: the
// parameters that differ between them, each run's picture, comment and
// measures, the program's version and the date, as an HTML page and a PDF.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "cli/picture_output.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/analysis/measured_run.h"
#include "vantor/params/parameter_names.h"
#include "vantor/render/live.h"
#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"

namespace vantor::cli {
namespace {

constexpr char kDetails[] =
    "For each parameter file, one run: its picture (as 'run --png' draws it), its comment\n"
    "and its measures (as 'measure' prints them); before them the parameters whose values\n"
    "differ between the files, with their units; the program's version and the date.\n"
    "options:\n"
    "  --pdf FILE        the report as a PDF\n"
    "  --html FILE       the report as one HTML page, the pictures inside it\n"
    "  --gates FILE, --limits FILE: as for 'run' (the same for every file)\n"
    "At most 50 files; '-' writes to standard output.\n";

constexpr std::size_t kMostFiles = 50;
constexpr int kPictureWidth = 1000, kPictureHeight = 640;

int Report(const std::vector<std::string>& args);

const CommandRegistration kReport({"report", "PARAMFILE... [--pdf FILE] [--html FILE]",
                                   "write a lab report of one run per parameter file", kDetails, 48,
                                   Report});

int Usage(const std::string& error) { return UsageError("report", error); }

std::string Escape(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

struct ReportRun {
  std::string file;
  ParameterSet params;
  QByteArray png;
  MeasuredRun measured;
};

std::string MeasureText(const Measures& m, const MeasureInfo& info) {
  if (info.id == MeasureId::Class) return ActivityClassName(m.activity);
  const double v = MeasureValue(m, info.id);
  if (!std::isfinite(v)) return "none";
  std::string text = FormatShort(static_cast<float>(v), 6);
  if (*info.unit) text += std::string(" ") + info.unit;
  return text;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

// `image(i)` is the source of run i's picture: a file name for the PDF's
// resources, a data URL for the page.
template <class Image>
std::string Html(const std::vector<ReportRun>& runs, Image image) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Vantor report</title>\n<style>body { font-family: sans-serif; } "
      "td, th { border: 1px solid #999; padding: 2px 6px; } table { border-collapse: collapse; }"
      "</style>\n</head>\n<body>\n<h1>Vantor report</h1>\n";
  html += "<p>Vantor " + Escape(VANTOR_VERSION) + ", " + Today() + ", " +
          std::to_string(runs.size()) + (runs.size() == 1 ? " run" : " runs") + ".</p>\n";
  // The parameters that differ between the files.
  std::string differing;
  for (int k = 0; k < kParameterCount; ++k) {
    bool same = true;
    for (const ReportRun& r : runs) same = same && r.params.Value(k) == runs[0].params.Value(k);
    if (same) continue;
    differing += "<tr><td>" + Escape(CommandLineName(k)) + "</td><td>" + Escape(ParameterUnit(k)) + "</td>";
    for (const ReportRun& r : runs) differing += "<td>" + FormatShortest(r.params.Value(k)) + "</td>";
    differing += "</tr>\n";
  }
  if (runs.size() > 1) {
    html += "<h2>Parameters that differ</h2>\n";
    if (differing.empty()) {
      html += "<p>None: the files hold the same values.</p>\n";
    } else {
      html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th>parameter</th><th>unit</th>";
      for (std::size_t i = 0; i < runs.size(); ++i) html += "<th>run " + std::to_string(i + 1) + "</th>";
      html += "</tr>\n" + differing + "</table>\n";
    }
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const ReportRun& r = runs[i];
    // Each run on a page of its own in the PDF, after the page of the differences.
    const bool newPage = i > 0 || runs.size() > 1;
    html += std::string(newPage ? "<h2 style=\"page-break-before: always\">" : "<h2>") + "Run " +
            std::to_string(i + 1) + ": " + Escape(r.file) + "</h2>\n";
    html += "<p>" + Escape(Cp437ToUtf8(r.params.Comment())) + "</p>\n";
    html += "<p><img src=\"" + image(i) + "\" width=\"" + std::to_string(kPictureWidth * 3 / 5) +
            "\" alt=\"the picture of run " + std::to_string(i + 1) + "\"></p>\n";
    html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th>measure</th><th>value</th></tr>\n";
    for (const MeasureInfo& info : MeasureTable())
      html += "<tr><td>" + Escape(info.label) + "</td><td>" +
              Escape(MeasureText(r.measured.measures, info)) + "</td></tr>\n";
    html += "</table>\n";
  }
  return html + "</body>\n</html>\n";
}

QByteArray Pdf(const std::vector<ReportRun>& runs) {
  QTextDocument document;
  for (std::size_t i = 0; i < runs.size(); ++i)
    document.addResource(QTextDocument::ImageResource, QUrl(QString("run%1.png").arg(i + 1)),
                         QImage::fromData(runs[i].png, "PNG"));
  const std::string html = Html(runs, [](std::size_t i) { return "run" + std::to_string(i + 1) + ".png"; });
  document.setHtml(QString::fromStdString(html));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(96);
    writer.setTitle("Vantor report");
    writer.setCreator("vantor-cli report");
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    document.print(&writer);
  }
  return bytes;
}

// The run's picture as 'run --png' writes it, read back from a private folder.
bool Picture(const RunInputs& inputs, const std::string& folder, ReportRun& run) {
  RunOptions options;
  options.pngFile = folder + "/picture.png";
  options.pictureSize = std::to_string(kPictureWidth) + "x" + std::to_string(kPictureHeight);
  options.quiet = true;
  StderrMessages messages;
  PictureJob job(options, messages);
  std::string error;
  if (!job.Check(error)) return false;
  OutputSet outputs;
  outputs.Add("--png", options.pngFile);
  if (!outputs.Open(inputs.files)) return false;
  ParameterSet params = inputs.params;
  SinkFanOut none;
  RunFlags flags;
  const RunResult result = job.RunFirst(params, inputs.gates, none, flags, [] { ReachedPhase("run"); });
  if (result.outcome != RunOutcome::Completed) {
    PrintError(run.file + ": " + (result.message.empty() ? "the run did not complete." : result.message));
    outputs.Abandon();
    return false;
  }
  if (job.WriteFiles(params, outputs, "vantor-cli report " + run.file) != 0 || !outputs.Commit())
    return false;
  std::ifstream in(options.pngFile, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  run.png = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return !run.png.isEmpty();
}

int Report(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  std::string pdf, html, gates, limits;
  bool positional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    std::string value;
    if (positional || word == "-" || word.empty() || word[0] != '-') {
      files.push_back(word);
      continue;
    }
    if (word == "--") {
      positional = true;
      continue;
    }
    bool taken = false;
    for (auto [name, field] : {std::pair<const char*, std::string*>{"--pdf", &pdf},
                               {"--html", &html}, {"--gates", &gates}, {"--limits", &limits}}) {
      if (!IsOption(word, name)) continue;
      if (!TakeOptionValue(args, i, name, value) || value.empty())
        return Usage(std::string(name) + " needs a value");
      if (!field->empty()) return Usage(std::string(name) + " is given twice");
      *field = value;
      taken = true;
    }
    if (!taken) return Usage("unknown option " + word);
  }
  if (files.empty()) return Usage("name at least one parameter file");
  if (files.size() > kMostFiles) return Usage("a report holds at most 50 runs");
  if (pdf.empty() && html.empty()) return Usage("give --pdf FILE, --html FILE or both");
  if (pdf == "-" && html == "-") return Usage("only one of --pdf and --html can go to standard output");

  if (!EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return kExitRefused;
  }
  std::vector<ReportRun> runs;
  std::vector<std::string> inputsRead;
  std::string folder = "/tmp/vantor-report-XXXXXX";
  if (!MakeTemporaryFolder(folder)) {
    PrintError("No temporary folder could be made for the pictures.");
    return kExitRefused;
  }
  struct Cleanup {
    std::string folder;
    ~Cleanup() { RemoveTemporaryFolder(folder); }
  } cleanup{folder};
  // Every input read and every output opened before the first run.
  std::vector<RunInputs> inputs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    RunOptions options;
    options.parameterFile = files[i];
    options.gatesFile = gates;
    options.limitsFile = limits;
    options.quiet = true;
    if (const int status = LoadRunInputs(options, inputs[i]); status != 0) return status;
    inputsRead.insert(inputsRead.end(), inputs[i].files.begin(), inputs[i].files.end());
  }
  OutputSet outputs;
  if (!pdf.empty()) outputs.Add("--pdf", pdf);
  if (!html.empty()) outputs.Add("--html", html);
  if (!outputs.Open(inputsRead)) return kExitRefused;
  for (std::size_t i = 0; i < files.size(); ++i) {
    ReportRun run;
    run.file = files[i];
    run.params = inputs[i].params;
    if (!Picture(inputs[i], folder, run)) return kExitRefused;
    run.measured = MeasureTrial(inputs[i].params, inputs[i].gates);
    if (run.measured.outcome != RunOutcome::Completed) {
      PrintError(files[i] + ": " + run.measured.message);
      return kExitRefused;
    }
    if (Interrupted()) return kExitRefused;
    runs.push_back(std::move(run));
  }
  if (OutputFile* file = outputs.File("--html")) {
    file->Write(Html(runs, [&](std::size_t i) {
      return "data:image/png;base64," + runs[i].png.toBase64().toStdString();
    }));
  }
  if (OutputFile* file = outputs.File("--pdf")) {
    const QByteArray bytes = Pdf(runs);
    if (bytes.isEmpty()) {
      PrintError("The report " + pdf + " could not be made.");
      outputs.Abandon();
      return kExitRefused;
    }
    file->Write(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  return outputs.Commit() ? 0 : kExitRefused;
}

}  // namespace
}  // namespace vantor::cli
