#include "vantor/sweep/sweep_plan.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vantor {
namespace {

bool ParseFloat(const std::string& text, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtof(text.c_str(), &end);
  return end != nullptr && *end == '\0' && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// splitmix64: a good spread from consecutive inputs, and the same numbers on
// every machine.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Uniform in [0, 1) from the top 53 bits.
double Unit(std::uint64_t x) { return static_cast<double>(x >> 11) * 0x1.0p-53; }

void HashBytes(std::uint64_t& h, const void* data, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 0x100000001B3ull;  // FNV-1a
}

}  // namespace

bool ParseAxisValues(const std::string& text, SweepAxis& axis, std::string& error) {
  axis.given = text;
  axis.values.clear();
  const std::vector<std::string> range = Split(text, ':');
  if (range.size() == 3) {
    float from = 0, to = 0;
    if (!ParseFloat(range[0], from) || !ParseFloat(range[1], to)) {
      error = "expected FROM:TO:COUNT with numbers: " + text;
      return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long count = std::strtoll(range[2].c_str(), &end, 10);
    if (range[2].empty() || *end != '\0' || errno == ERANGE || count < 1) {
      error = "COUNT must be a whole number of at least 1: " + text;
      return false;
    }
    if (count > 10000000) {
      error = "COUNT is too large: " + text;
      return false;
    }
    for (long long i = 0; i < count; ++i) {
      const double share = count == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(count - 1);
      axis.values.push_back(static_cast<float>(from + (static_cast<double>(to) - from) * share));
    }
    axis.from = from;
    axis.to = to;
    axis.list = false;
    return true;
  }
  if (range.size() != 1) {
    error = "expected FROM:TO:COUNT or a list V1,V2,...: " + text;
    return false;
  }
  for (const std::string& part : Split(text, ',')) {
    float v = 0;
    if (!ParseFloat(part, v)) {
      error = "not a number in the list " + text + ": \"" + part + "\"";
      return false;
    }
    axis.values.push_back(v);
  }
  axis.from = axis.to = axis.values.front();
  for (float v : axis.values) axis.from = std::min(axis.from, v), axis.to = std::max(axis.to, v);
  axis.list = true;
  return true;
}

long SweepPlan::Runs() const {
  if (samples > 0) return samples;
  long runs = 1;
  for (const SweepAxis& axis : axes) {
    const long n = static_cast<long>(axis.values.size());
    if (n != 0 && runs > std::numeric_limits<long>::max() / n) return std::numeric_limits<long>::max();
    runs *= n;
  }
  return runs;
}

std::vector<float> SweepPlan::Point(long run) const {
  std::vector<float> point(axes.size());
  if (samples > 0) {
    for (std::size_t a = 0; a < axes.size(); ++a) {
      const SweepAxis& axis = axes[a];
      const double u = Unit(Mix(Mix(seed ^ static_cast<std::uint64_t>(run)) + a));
      if (axis.list) {
        std::size_t i = static_cast<std::size_t>(u * static_cast<double>(axis.values.size()));
        point[a] = axis.values[std::min(i, axis.values.size() - 1)];
      } else {
        point[a] = static_cast<float>(axis.from + (static_cast<double>(axis.to) - axis.from) * u);
      }
    }
    return point;
  }
  // The last axis varies fastest, as in nested loops over the axes in order.
  for (std::size_t a = axes.size(); a-- > 0;) {
    const long n = static_cast<long>(axes[a].values.size());
    point[a] = axes[a].values[static_cast<std::size_t>(run % n)];
    run /= n;
  }
  return point;
}

std::vector<long> ShardRuns(long total, int k, int n) {
  std::vector<long> runs;
  for (long run = k - 1; run < total; run += n) runs.push_back(run);
  return runs;
}

std::uint64_t InputsFingerprint(const ParameterSet& params, const GateTable& gates) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (int k = 0; k < kParameterCount; ++k) {
    const float values[3] = {params.Value(k), params.Minimum(k), params.Maximum(k)};
    HashBytes(h, values, sizeof values);
  }
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) {
      const float v = gates.Row(r)[c];
      HashBytes(h, &v, sizeof v);
    }
  return h;
}

std::string SweepSignature(const SweepPlan& plan, std::uint64_t fingerprint,
                           const MeasureSettings& settings, const std::string& shard) {
  std::string line = "# vantor-cli sweep; runs " + std::to_string(plan.Runs());
  for (const SweepAxis& axis : plan.axes)
    line += "; vary " + std::to_string(axis.index) + "=" + axis.given;
  if (plan.samples > 0)
    line += "; samples " + std::to_string(plan.samples) + " seed " + std::to_string(plan.seed);
  char text[160];
  std::snprintf(text, sizeof text, "; threshold %.9g; dvdt %.9g; ", settings.rule.threshold,
                settings.rule.dvdt);
  line += text;
  if (settings.windowGiven)
    std::snprintf(text, sizeof text, "window %.9g:%.9g", settings.from, settings.to);
  else
    std::snprintf(text, sizeof text, "window step");
  line += text;
  std::snprintf(text, sizeof text, "; inputs %016llx", static_cast<unsigned long long>(fingerprint));
  line += text;
  if (!shard.empty()) line += "; shard " + shard;
  return line;
}

}  // namespace vantor
