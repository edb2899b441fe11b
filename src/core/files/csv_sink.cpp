#include "vantor/files/csv_sink.h"

#include <cerrno>
#include <charconv>

#include "vantor/text/csv_number.h"
#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

// Rows are collected and written in blocks of about this size.
constexpr std::size_t kBlock = 1 << 16;

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

std::string ColumnName(const ParameterSet& params, int row) {
  const TraceRow& trace = params.Trace(row);
  // A current shown as its conductance is "g-..." in µS; the three chosen
  // state values name what they hold.
  const bool conductance = row >= 4 && row <= 17 && trace.cond != 0;
  const std::string prefix = conductance ? std::string("g") : trace.prefix;
  const std::string unit = row >= 18 ? ChosenStateName(params.Value(param::Gate1 + (row - 18)))
                                     : (conductance ? std::string("\xE6S") : trace.unit);
  std::string name = prefix;
  name.append("-").append(trace.suffix).append(" (").append(unit).append(")");
  return Cp437ToUtf8(name);
}

}  // namespace

std::vector<std::string> CsvColumnNames(const ParameterSet& params) {
  std::vector<std::string> names{"time (ms)"};
  for (int row = 0; row < kTraceCount; ++row) names.push_back(ColumnName(params, row));
  return names;
}

CsvSink::CsvSink(std::FILE* stream, const ParameterSet& params, std::optional<double> gridStep,
                 const Stimulus* stimulus, bool family)
    : stream_(stream),
      protocol_(Protocol::Of(params)),
      driven_(stimulus != nullptr),
      clamp_(stimulus && stimulus->mode == ClampMode::Voltage),
      family_(family) {
  if (gridStep) grid_.emplace(*gridStep);
  buffer_.reserve(kBlock + 1024);
  std::vector<std::string> names = CsvColumnNames(params);
  if (clamp_) {
    names.push_back("V-cmd (mV)");
    names.push_back("I-clamp (nA)");
  }
  if (family_) names.push_back("run");
  for (const std::string& name : names) {
    if (!buffer_.empty()) buffer_ += ',';
    buffer_ += Quoted(name);
  }
  buffer_ += '\n';
}

void CsvSink::Drive(double command, double current) {
  drive_[0] = command;
  drive_[1] = current;
}

void CsvSink::NextRun() {
  ++run_;
  if (grid_) grid_->Restart();
}

void CsvSink::Number(double value) {
  char text[32];
  if (!precise_) {
    buffer_.append(text, FormatNine(text, value));
    return;
  }
  buffer_.append(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general).ptr);
}

void CsvSink::Row(double t, const double* slots, const double* drive, bool grid) {
  // Slot 1 is V-m; the injected current, which has no slot, follows it as
  // in the trace table (column 2).
  const double current = driven_   ? drive[1]
                         : precise_ ? protocol_.InjectedCurrentExact(t)
                                    : protocol_.InjectedCurrent(t);
  if (precise_ && grid) {
    // A grid time is k times the step: its nominal value, without the
    // rounding of the product.
    char text[32];
    buffer_.append(text, std::to_chars(text, text + sizeof text, t, std::chars_format::general,
                                       15).ptr);
  } else {
    Number(t);
  }
  buffer_ += ',';
  Number(slots[1]);
  buffer_ += ',';
  Number(current);
  for (int s = 2; s < kSampleSlots; ++s) {
    buffer_ += ',';
    Number(slots[s]);
  }
  if (clamp_) {
    buffer_ += ',';
    Number(drive[0]);
    buffer_ += ',';
    Number(drive[1]);
  }
  if (family_) buffer_ += "," + std::to_string(run_);
  buffer_ += '\n';
  if (buffer_.size() >= kBlock) Flush();
}

void CsvSink::Sample(const RunSample& sample) {
  PreciseSample now;
  for (int s = 0; s < kSampleSlots; ++s) now[s] = sample[s];
  precise_ = false;
  Take(now);
}

void CsvSink::Precise(const RunSample&, const PreciseSample& precise) {
  precise_ = true;
  Take(precise);
}

void CsvSink::Take(const PreciseSample& now) {
  if (!grid_) {
    Row(now[0], now.data(), drive_, false);
    return;
  }
  grid_->Take(now, drive_, [&](double t, const double* slots, const double* drive) {
    Row(t, slots, drive, true);
  });
}

void CsvSink::Flush() {
  if (buffer_.empty()) return;
  errno = 0;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
    if (!failed_) error_ = errno;
    failed_ = true;
  }
  buffer_.clear();
}

void CsvSink::Finish() { Flush(); }

}  // namespace vantor
