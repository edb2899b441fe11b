#include "cli/csv_sink.h"

#include "encode/text_helpers.h"

namespace vantor::cli {
namespace {

// What a g-k column holds: the gate named by its number, V for 0, a calcium
// shell for 14 and 15; only exact whole numbers select anything.
std::string ChosenStateName(float chosen) {
  for (int k = 0; k <= 15; ++k) {
    if (chosen != static_cast<float>(k)) continue;
    if (k == 0) return "V-m, mV";
    if (k == 14) return "Ca L-shell, M";
    if (k == 15) return "Ca T-shell, M";
    return GateTable::GateName(k);
  }
  return "none";
}

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\n") == std::string::npos) return field;
  std::string q(1, '"');
  for (char c : field) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

}  // namespace

std::vector<std::string> CsvColumnNames(const ParameterSet& params) {
  std::vector<std::string> names{"time (ms)"};
  for (int s = 1; s < kSampleSlots; ++s) {
    const int row = s == 1 ? 0 : s;  // slot 1 holds V-m, trace row 0
    const TraceRow& trace = params.Trace(row);
    // A current shown as its conductance is "g-..." in µS; the three chosen
    // state values name what they hold.
    const bool conductance = row >= 4 && row <= 17 && trace.cond != 0;
    const std::string prefix = conductance ? std::string("g") : trace.prefix;
    const std::string unit =
        row >= 18 ? ChosenStateName(params.Value(param::Gate1 + (row - 18)))
                  : (conductance ? std::string("\xE6S") : trace.unit);
    std::string name = prefix;
    name.append("-").append(trace.suffix).append(" (").append(unit).append(")");
    names.push_back(Cp437ToUtf8(name));
  }
  return names;
}

CsvSink::CsvSink(std::FILE* stream, const ParameterSet& params) : stream_(stream) {
  std::string line;
  for (const std::string& name : CsvColumnNames(params)) {
    if (!line.empty()) line += ',';
    line += Quoted(name);
  }
  line += '\n';
  if (std::fputs(line.c_str(), stream_) < 0) failed_ = true;
}

void CsvSink::Sample(const RunSample& sample) {
  // Nine significant digits give every float back exactly.
  for (int s = 0; s < kSampleSlots; ++s)
    if (std::fprintf(stream_, s == 0 ? "%.9g" : ",%.9g", static_cast<double>(sample[s])) < 0)
      failed_ = true;
  if (std::fputc('\n', stream_) == EOF) failed_ = true;
}

}  // namespace vantor::cli
