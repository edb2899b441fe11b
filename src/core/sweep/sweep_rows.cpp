#include "vantor/sweep/sweep_rows.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vantor {
namespace {

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"") == std::string::npos) return field;
  std::string q = "\"";
  for (char c : field) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string Number(double v, int digits) {
  if (std::isnan(v)) return "";
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, v);
  return text;
}

// The shortest text that reads back as the same float: 0.3, not 0.300000012.
std::string FloatText(float v) {
  char text[40];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(v));
    if (std::strtof(text, nullptr) == v) break;
  }
  return text;
}

}  // namespace

std::string SweepHeader(const SweepPlan& plan) {
  std::string line = "run";
  for (const SweepAxis& axis : plan.axes) {
    line += ',';
    line += Quoted(axis.name);
  }
  for (const MeasureInfo& info : MeasureTable()) line += std::string(",") + info.key;
  return line + ",window_from_ms,window_to_ms,error\n";
}

std::string SweepRow(long run, const std::vector<float>& point, const MeasuredRun& result) {
  std::string line = std::to_string(run);
  for (float v : point) {
    line += ',';
    line += FloatText(v);
  }
  const bool done = result.outcome == RunOutcome::Completed;
  for (const MeasureInfo& info : MeasureTable()) {
    line += ",";
    if (!done) continue;
    if (info.id == MeasureId::Class)
      line += Quoted(ActivityClassName(result.measures.activity));
    else
      line += Number(MeasureValue(result.measures, info.id), 7);
  }
  for (const double edge : {result.measures.window.from, result.measures.window.to}) {
    line += ",";
    if (done) line += Number(edge, 9);
  }
  std::string message = result.message;
  for (char& c : message)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  line += ',';
  line += Quoted(message);
  line += '\n';
  return line;
}

std::string PointText(float v) { return FloatText(v); }
std::string MeasureText(double v) { return Number(v, 7); }
double WrittenValue(float v) { return std::strtod(FloatText(v).c_str(), nullptr); }

std::string SweepRow(const SweepResult& result) {
  return SweepRow(result.run, result.point, result.measured);
}

bool ParseSweepRow(const std::string& line, std::size_t axes, SweepResult& result) {
  const std::vector<std::string> fields = SplitCsv(line);
  if (fields.size() != 4 + axes + static_cast<std::size_t>(kMeasureCount)) return false;
  char* end = nullptr;
  result = SweepResult{};
  result.run = std::strtol(fields[0].c_str(), &end, 10);
  if (fields[0].empty() || *end != '\0') return false;
  for (std::size_t a = 0; a < axes; ++a) result.point.push_back(std::strtof(fields[1 + a].c_str(), nullptr));
  MeasuredRun& run = result.measured;
  run.message = fields.back();
  const std::size_t first = 1 + axes;
  const std::string& name = fields[first + static_cast<std::size_t>(MeasureId::Class)];
  if (name.empty()) {
    run.outcome = RunOutcome::Failed;
    return true;
  }
  run.outcome = RunOutcome::Completed;
  for (int c = 0; c <= static_cast<int>(ActivityClass::DepolarisationBlock); ++c)
    if (name == ActivityClassName(static_cast<ActivityClass>(c))) run.measures.activity = static_cast<ActivityClass>(c);
  const auto value = [&](MeasureId id) {
    const std::string& text = fields[first + static_cast<std::size_t>(id)];
    return text.empty() ? kNoValue : std::strtod(text.c_str(), nullptr);
  };
  Measures& m = run.measures;
  // A completed run has a count: a row without one, or with one beyond an
  // int, is not a row (converting it would be undefined).
  const double spikes = value(MeasureId::Spikes);
  if (!(spikes > INT_MIN - 1.0 && spikes < INT_MAX + 1.0)) return false;
  m.spikes = static_cast<int>(spikes);
  m.rateHz = value(MeasureId::Rate);
  m.latencyMs = value(MeasureId::Latency);
  m.isiMeanMs = value(MeasureId::IsiMean);
  m.isiCv = value(MeasureId::IsiCv);
  m.adaptation = value(MeasureId::Adaptation);
  m.peakMv = value(MeasureId::Peak);
  m.troughMv = value(MeasureId::Trough);
  m.endMv = value(MeasureId::End);
  m.onsetMv = value(MeasureId::Onset);
  m.spikePeakMv = value(MeasureId::SpikePeak);
  m.amplitudeMv = value(MeasureId::Amplitude);
  m.halfWidthMs = value(MeasureId::HalfWidth);
  m.maxDvdt = value(MeasureId::MaxDvdt);
  m.ahpDepthMv = value(MeasureId::AhpDepth);
  m.ahpTimeMs = value(MeasureId::AhpTime);
  const std::size_t edges = first + static_cast<std::size_t>(kMeasureCount);
  m.window.from = std::strtod(fields[edges].c_str(), nullptr);
  m.window.to = std::strtod(fields[edges + 1].c_str(), nullptr);
  return true;
}

SweepResult AsWritten(const SweepResult& result) {
  SweepResult read;
  ParseSweepRow(SweepRow(result), result.point.size(), read);
  return read;
}

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += '"', ++i;
      else if (c == '"') quoted = false;
      else fields.back() += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\n' && c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

bool ReadSweepFile(const std::string& path, SweepFile& file, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  file = SweepFile{};
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    if (in.eof()) break;  // no line end: cut short
    ++lineNumber;
    const long long bytes = static_cast<long long>(line.size()) + 1;
    if (lineNumber == 1) {
      if (line.rfind("# vantor-cli sweep;", 0) != 0) {
        error = path + ": not a sweep file (its first line is not a sweep signature)";
        return false;
      }
      file.signature = line;
    } else if (lineNumber == 2) {
      if (line.rfind("run,", 0) != 0) {
        error = path + ": not a sweep file (line 2 is not the column header)";
        return false;
      }
      file.header = line + "\n";
    } else {
      char* end = nullptr;
      const long run = std::strtol(line.c_str(), &end, 10);
      if (end == line.c_str() || *end != ',' || run < 0) {
        error = path + ": line " + std::to_string(lineNumber) + " has no run number";
        return false;
      }
      file.rows.push_back({run, line + "\n"});
    }
    file.completeBytes += bytes;
  }
  if (lineNumber < 2) {
    error = path + ": not a sweep file (no signature and header)";
    return false;
  }
  return true;
}

}  // namespace vantor
