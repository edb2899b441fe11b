#include "vantor/engine/waveform_file.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "engine/bounded_read.h"

namespace vantor {
namespace {

constexpr std::size_t kMaxWaveformBytes = std::size_t{512} << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsSeparator(char c) { return IsBlank(c) || c == ',' || c == ';'; }

// A finite decimal number at p (blanks skipped before it); p moves past it.
bool Number(const char*& p, const char* end, double& out) {
  while (p < end && IsBlank(*p)) ++p;
  if (p == end) return false;
  char buffer[64];
  std::size_t n = 0;
  while (p + n < end && !IsSeparator(p[n]) && n < sizeof buffer - 1) buffer[n] = p[n], ++n;
  if (n == 0 || (p + n < end && !IsSeparator(p[n]))) return false;
  buffer[n] = '\0';
  char* stop = nullptr;
  out = std::strtod(buffer, &stop);
  if (stop != buffer + n || !std::isfinite(out)) return false;
  p += n;
  return true;
}

}  // namespace

bool ReadWaveformFile(const std::string& path, std::vector<double>& times,
                      std::vector<double>& values, std::string& error) {
  times.clear();
  values.clear();
  std::string text;
  if (!ReadBounded(path, kMaxWaveformBytes, text, error)) return false;
  const std::string_view all(text);
  std::size_t start = 0;
  long line = 0;
  bool header = true;  // a first line of words may name the columns
  auto fail = [&](const std::string& field, const std::string& why) {
    error = path + ", line " + std::to_string(line) + ", field " + field + ": " + why;
    times.clear();
    values.clear();
    return false;
  };
  while (start < all.size()) {
    std::size_t stop = all.find('\n', start);
    if (stop == std::string_view::npos) stop = all.size();
    const std::string_view row = all.substr(start, stop - start);
    start = stop + 1;
    ++line;
    if (row.find('\0') != std::string_view::npos)
      return fail("time", "a NUL byte (not a text file)");
    const char* p = row.data();
    const char* end = p + row.size();
    if (const std::size_t hash = row.find('#'); hash != std::string_view::npos) end = p + hash;
    while (p < end && IsBlank(*p)) ++p;
    if (p == end) continue;
    double t = 0, v = 0;
    const char* q = p;
    if (!Number(q, end, t)) {
      if (header && times.empty()) {
        header = false;
        continue;
      }
      return fail("time", "not a number");
    }
    header = false;
    while (q < end && IsSeparator(*q) && *q != ',' && *q != ';') ++q;
    if (q < end && (*q == ',' || *q == ';')) ++q;
    if (!Number(q, end, v)) return fail("value", "not a number (two columns: time, value)");
    while (q < end && IsSeparator(*q)) ++q;
    if (q != end) return fail("value", "more than two columns");
    if (!times.empty() && !(t > times.back()))
      return fail("time", "the times are not sorted (each must be later than the one before)");
    if (times.size() >= kMaxWaveformPoints) return fail("time", "more than 20 million points");
    times.push_back(t);
    values.push_back(v);
  }
  if (times.size() < 2) {
    error = path + ": a waveform needs at least two points";
    times.clear();
    values.clear();
    return false;
  }
  return true;
}

}  // namespace vantor
