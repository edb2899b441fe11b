#include "device/lab_report.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <ctime>

#include "vantor/params/parameter_names.h"
#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"
#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

// The width the page gives each picture, in CSS pixels.
constexpr int kShownPictureWidth = 600;

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

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

}  // namespace

std::string ReportMeasureText(const Measures& m, const MeasureInfo& info) {
  if (info.id == MeasureId::Class) return ActivityClassName(m.activity);
  const double v = MeasureValue(m, info.id);
  if (!std::isfinite(v)) return "none";
  std::string text = FormatShort(static_cast<float>(v), 6);
  if (*info.unit) text += std::string(" ") + info.unit;
  return text;
}

std::string ReportHtml(const std::vector<ReportRun>& runs, const std::string& version,
                       const std::function<std::string(std::size_t)>& image) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Vantor report</title>\n<style>body { font-family: sans-serif; } "
      "td, th { border: 1px solid #999; padding: 2px 6px; } table { border-collapse: collapse; }"
      "</style>\n</head>\n<body>\n<h1>Vantor report</h1>\n";
  html += "<p>Vantor " + Escape(version) + ", " + Today() + ", " + std::to_string(runs.size()) +
          (runs.size() == 1 ? " run" : " runs") + ".</p>\n";
  // The parameters that differ between the runs.
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
      html += "<p>None: the runs have the same values.</p>\n";
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
            std::to_string(i + 1) + (r.name.empty() ? "" : ": " + Escape(r.name)) + "</h2>\n";
    html += "<p>" + Escape(Cp437ToUtf8(r.params.Comment())) + "</p>\n";
    html += "<p><img src=\"" + image(i) + "\" width=\"" + std::to_string(kShownPictureWidth) +
            "\" alt=\"the picture of run " + std::to_string(i + 1) + "\"></p>\n";
    html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th>measure</th><th>value</th></tr>\n";
    for (const MeasureInfo& info : MeasureTable())
      html += "<tr><td>" + Escape(info.label) + "</td><td>" + Escape(ReportMeasureText(r.measures, info)) +
              "</td></tr>\n";
    html += "</table>\n";
  }
  return html + "</body>\n</html>\n";
}

std::string ReportHtmlPage(const std::vector<ReportRun>& runs, const std::string& version) {
  return ReportHtml(runs, version, [&](std::size_t i) {
    return "data:image/png;base64," + runs[i].png.toBase64().toStdString();
  });
}

QByteArray ReportPdf(const std::vector<ReportRun>& runs, const std::string& version, const std::string& creator) {
  QTextDocument document;
  for (std::size_t i = 0; i < runs.size(); ++i)
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("run%1.png").arg(i + 1)),
                         QImage::fromData(runs[i].png, "PNG"));
  const std::string html =
      ReportHtml(runs, version, [](std::size_t i) { return "run" + std::to_string(i + 1) + ".png"; });
  document.setHtml(QString::fromStdString(html));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(96);
    writer.setTitle(QStringLiteral("Vantor report"));
    writer.setCreator(QString::fromStdString(creator));
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    document.print(&writer);
  }
  return bytes;
}

}  // namespace vantor
