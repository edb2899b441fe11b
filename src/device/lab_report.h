// The lab report of a set of runs: the parameters that differ between them
// with their units, each run's picture, comment and measures, the program's
// version and the date, as one HTML page (pictures inside it) or a PDF laid
// out by QTextDocument on A4 pages, a page per run. The command line's
// report and the window's File > Report both write it.
#pragma once

#include <QByteArray>

#include <functional>
#include <string>
#include <vector>

#include "vantor/analysis/measures.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct ReportRun {
  std::string name;     // UTF-8: the parameter file, or the run's name
  ParameterSet params;  // the values of the run; its comment is shown
  QByteArray png;       // the run's picture
  Measures measures;
};

// A measure as the report and `measure` print it: "12.5 ms", "none", the class name.
std::string ReportMeasureText(const Measures& m, const MeasureInfo& info);

// The report as HTML; `image(i)` is the source of run i's picture.
std::string ReportHtml(const std::vector<ReportRun>& runs, const std::string& version,
                       const std::function<std::string(std::size_t)>& image);
// The page to write as a file: the pictures as data URLs.
std::string ReportHtmlPage(const std::vector<ReportRun>& runs, const std::string& version);
// The PDF; empty when it could not be made. `creator` names the program.
QByteArray ReportPdf(const std::vector<ReportRun>& runs, const std::string& version, const std::string& creator);

}  // namespace vantor
