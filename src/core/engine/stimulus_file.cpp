#include "vantor/engine/stimulus_file.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/bounded_read.h"
#include "engine/stimulus_fields.h"
#include "vantor/engine/waveform_file.h"
#include "vantor/files/output_file.h"

namespace vantor {
namespace {

using namespace stimulus_fields;

constexpr std::size_t kMaxLine = 4096;
constexpr int kMaxSegments = 1000;
constexpr int kMaxFamily = 1000;
constexpr int kMaxPulses = 1'000'000;
constexpr double kMaxNoisePoints = 2e7;
constexpr char kMagic[] = "vantor-stimulus";

std::string Shortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

bool ParseNumber(std::string_view text, double& out) {
  if (text.empty() || text.size() > 64) return false;
  const std::string copy(text);
  char* end = nullptr;
  out = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && std::isfinite(out);
}

bool ParseWhole(std::string_view text, long long lo, long long hi, long long& out) {
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && p == text.data() + text.size() && out >= lo && out <= hi;
}

// A line cut into words; a word may hold key="value with blanks".
bool Words(std::string_view line, std::vector<std::string>& words) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i == line.size() || line[i] == '#') break;
    std::string word;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      if (line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        word.append(line.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        word += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& name, const std::string& directory)
      : name_(name), directory_(directory) {}

  StimulusRead Parse(std::string_view text) {
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
      std::size_t stop = text.find('\n', start);
      if (stop == std::string_view::npos) stop = text.size();
      const std::string_view line = text.substr(start, stop - start);
      start = stop + 1;
      ++line_;
      if (line.size() > kMaxLine) return Fail("", "the line is longer than 4096 bytes");
      if (line.find('\0') != std::string_view::npos)
        return Fail("", "a NUL byte (not a text file)");
      if (!Words(line, words_)) return Fail("", "a quote is not closed");
      if (first) {
        if (words_.size() != 2 || words_[0] != kMagic)
          return Fail("", "not a stimulus file (the first line must be \"vantor-stimulus 1\")");
        long long version = 0;
        if (!ParseWhole(words_[1], 1, 1000000, version) || version > kStimulusVersion)
          return Fail("version", "version " + words_[1] + " is not one this program reads (1)");
        first = false;
        continue;
      }
      if (words_.empty()) continue;
      if (!Line()) return Failed();
    }
    if (first) return Fail("", "the file is empty (the first line must be \"vantor-stimulus 1\")");
    if (!Check()) return Failed();
    stimulus_.name = name_;
    return {std::move(stimulus_), {}};
  }

 private:
  StimulusRead Fail(const std::string& field, const std::string& why) {
    Note(field, why);
    return Failed();
  }
  StimulusRead Failed() { return {std::nullopt, error_}; }
  bool Note(const std::string& field, const std::string& why, int line = -1) {
    error_ = name_ + ", line " + std::to_string(line < 0 ? line_ : line) +
             (field.empty() ? std::string() : ", field " + field) + ": " + why;
    return false;
  }

  bool Setting(double& out, const char* field) {
    if (words_.size() != 2) return Note(field, std::string("needs one value: ") + field + " VALUE");
    if (!ParseNumber(words_[1], out)) return Note(field, "not a number: " + words_[1]);
    return true;
  }

  bool Line() {
    const std::string& head = words_[0];
    if (head == "clamp") {
      if (words_.size() != 2 || (words_[1] != "current" && words_[1] != "voltage"))
        return Note("clamp", "must be current or voltage");
      stimulus_.mode = words_[1] == "voltage" ? ClampMode::Voltage : ClampMode::Current;
      return true;
    }
    if (head == "holding") return Setting(stimulus_.holding, "holding");
    if (head == "series-resistance") {
      if (!Setting(stimulus_.seriesResistance, "series-resistance")) return false;
      if (stimulus_.seriesResistance < 0)
        return Note("series-resistance", "must be 0 (an ideal clamp) or more MOhm");
      return true;
    }
    if (head == "family") return FamilyLine();
    const Kind* kind = KindNamed(head);
    if (!kind)
      return Note("", "unknown line \"" + head.substr(0, 40) +
                          "\" (clamp, holding, series-resistance, step, ramp, train, sine, "
                          "chirp, noise, waveform or family)");
    if (stimulus_.segments.size() >= kMaxSegments) return Note("", "more than 1000 segments");
    return SegmentLine(*kind);
  }

  // key=value pairs after the first word, each key once and known.
  bool Pairs(const Field* fields, int count, std::vector<std::string>& values) {
    values.assign(count, std::string());
    std::vector<bool> seen(count, false);
    for (std::size_t w = 1; w < words_.size(); ++w) {
      const std::string& word = words_[w];
      const std::size_t eq = word.find('=');
      const std::string key = word.substr(0, std::min(eq, std::size_t{40}));
      if (eq == std::string::npos) return Note(key, "needs key=value");
      int f = 0;
      while (f < count && key != fields[f].name) ++f;
      if (f == count) return Note(key, "is not a field of " + words_[0]);
      if (seen[f]) return Note(key, "is given twice");
      seen[f] = true;
      values[f] = word.substr(eq + 1);
      if (values[f].empty()) return Note(key, "has no value");
    }
    for (int f = 0; f < count; ++f)
      if (fields[f].required && !seen[f]) return Note(fields[f].name, "is missing");
    return true;
  }

  bool SegmentLine(const Kind& kind) {
    Segment s;
    s.kind = kind.kind;
    s.line = line_;
    std::vector<std::string> values;
    if (!Pairs(kind.fields, kind.fieldCount, values)) return false;
    for (int f = 0; f < kind.fieldCount; ++f) {
      const Field& field = kind.fields[f];
      const std::string& v = values[f];
      if (v.empty()) continue;
      long long whole = 0;
      switch (field.type) {
        case Type::Number:
          if (!ParseNumber(v, s.*field.number)) return Note(field.name, "not a number: " + v);
          break;
        case Type::Count:
          if (!ParseWhole(v, 1, kMaxPulses, whole))
            return Note(field.name, "needs a whole number from 1 to 1000000: " + v);
          s.count = static_cast<int>(whole);
          break;
        case Type::Seed: {
          unsigned long long seed = 0;
          const auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), seed);
          if (ec != std::errc() || p != v.data() + v.size())
            return Note(field.name, "needs a whole number 0 or more: " + v);
          s.seed = seed;
          break;
        }
        case Type::Sweep:
          if (v != "linear" && v != "log") return Note(field.name, "must be linear or log");
          s.logSweep = v == "log";
          break;
        case Type::Path: s.file = v; break;
      }
    }
    if (!CheckSegment(s)) return false;
    if (s.kind == SegmentKind::Waveform) {
      std::string why;
      const std::string path =
          s.file.front() == '/' || directory_.empty() ? s.file : directory_ + "/" + s.file;
      if (!ReadWaveformFile(path, s.times, s.values, why)) return Note("file", why);
    }
    stimulus_.segments.push_back(std::move(s));
    return true;
  }

  bool CheckSegment(const Segment& s) {
    const bool timed = s.kind != SegmentKind::Train && s.kind != SegmentKind::Waveform;
    if (timed && s.offset < s.onset) return Note("offset", "comes before the onset");
    switch (s.kind) {
      case SegmentKind::Train:
        if (!(s.width > 0)) return Note("width", "must be more than 0 ms");
        if (s.interval < s.width)
          return Note("interval", "must be at least the width (the pulses would overlap)");
        break;
      case SegmentKind::Sine:
        if (s.frequency < 0) return Note("frequency", "must be 0 Hz or more");
        break;
      case SegmentKind::Chirp:
        if (s.f0 < 0 || s.f1 < 0) return Note(s.f0 < 0 ? "f0" : "f1", "must be 0 Hz or more");
        if (s.logSweep && !(s.f0 > 0 && s.f1 > 0))
          return Note(s.f0 > 0 ? "f1" : "f0", "a logarithmic sweep needs frequencies above 0 Hz");
        break;
      case SegmentKind::Noise:
        if (s.sd < 0) return Note("sd", "must be 0 or more");
        if (!(s.tau > 0)) return Note("tau", "must be more than 0 ms");
        if (!(s.dt >= 1e-4)) return Note("dt", "must be at least 0.0001 ms");
        if ((s.offset - s.onset) / s.dt > kMaxNoisePoints)
          return Note("dt", "makes more than 20 million noise points");
        break;
      default: break;
    }
    return true;
  }

  bool FamilyLine() {
    if (stimulus_.family) return Note("", "a second family (one is allowed)");
    static constexpr Field kFields[] = {{"target", Type::Path, nullptr, true},
                                        {"values", Type::Path, nullptr, true}};
    std::vector<std::string> values;
    if (!Pairs(kFields, 2, values)) return false;
    Family family;
    family.line = line_;
    const std::string& target = values[0];
    long long index = 0;
    if (target == "holding") {
      family.target = Family::kHolding;
    } else if (target == "step") {
      family.target = Family::kParameterStep;
    } else if (ParseWhole(target, 1, kMaxSegments, index)) {
      family.target = static_cast<int>(index);
    } else {
      return Note("target", "must be holding, step or a segment number: " + target);
    }
    const std::string& list = values[1];
    if (list.find(':') != std::string::npos) {
      const std::size_t a = list.find(':'), b = list.find(':', a + 1);
      Family::Range r;
      long long count = 0;
      if (b == std::string::npos || !ParseNumber(std::string_view(list).substr(0, a), r.from) ||
          !ParseNumber(std::string_view(list).substr(a + 1, b - a - 1), r.to) ||
          !ParseWhole(std::string_view(list).substr(b + 1), 1, kMaxFamily, count))
        return Note("values", "FROM:TO:COUNT with COUNT from 1 to 1000: " + list);
      r.count = static_cast<int>(count);
      for (int i = 0; i < r.count; ++i)
        family.values.push_back(r.count == 1 ? r.from
                                             : r.from + (r.to - r.from) * i / (r.count - 1));
      family.range = r;
    } else {
      std::size_t from = 0;
      while (true) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        double v = 0;
        if (!ParseNumber(std::string_view(list).substr(from, comma - from), v))
          return Note("values", "a list of numbers separated by commas, or FROM:TO:COUNT");
        if (family.values.size() >= kMaxFamily) return Note("values", "more than 1000 values");
        family.values.push_back(v);
        if (comma == list.size()) break;
        from = comma + 1;
      }
    }
    stimulus_.family = std::move(family);
    return true;
  }

  // What only the whole file can tell.
  bool Check() {
    if (!stimulus_.family) return true;
    const Family& f = *stimulus_.family;
    if (f.target > static_cast<int>(stimulus_.segments.size()))
      return Note("target", "there is no segment " + std::to_string(f.target), f.line);
    if (f.target == Family::kParameterStep && stimulus_.mode == ClampMode::Voltage)
      return Note("target", "step (the parameters' current step) applies to current clamp",
                  f.line);
    return true;
  }

  std::string name_, directory_;
  int line_ = 0;
  std::vector<std::string> words_;
  Stimulus stimulus_;
  std::string error_;
};

std::string Value(const std::string& text) {
  return text.find_first_of(" \t#") == std::string::npos ? text : "\"" + text + "\"";
}

}  // namespace

StimulusRead ParseStimulus(const std::string& text, const std::string& name,
                           const std::string& directory) {
  if (text.size() > kMaxStimulusBytes) return {std::nullopt, name + ": is larger than 1 MiB"};
  return Parser(name, directory).Parse(text);
}

StimulusRead ReadStimulusFile(const std::string& path) {
  std::string text, error;
  if (!ReadBounded(path, kMaxStimulusBytes, text, error)) return {std::nullopt, error};
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string()
                                : slash == 0               ? std::string("/")
                                                           : path.substr(0, slash);
  return ParseStimulus(text, path, directory);
}

std::string StimulusText(const Stimulus& stimulus) {
  std::string out = std::string(kMagic) + " " + std::to_string(kStimulusVersion) + "\n";
  out += stimulus.mode == ClampMode::Voltage ? "clamp voltage\n" : "clamp current\n";
  out += "holding " + Shortest(stimulus.holding) + "\n";
  if (stimulus.mode == ClampMode::Voltage || stimulus.seriesResistance != 0)
    out += "series-resistance " + Shortest(stimulus.seriesResistance) + "\n";
  for (const Segment& s : stimulus.segments) {
    const Kind& kind = KindOf(s.kind);
    out += kind.name;
    for (int f = 0; f < kind.fieldCount; ++f) {
      const Field& field = kind.fields[f];
      out += std::string(" ") + field.name + "=";
      switch (field.type) {
        case Type::Number: out += Shortest(s.*field.number); break;
        case Type::Count: out += std::to_string(s.count); break;
        case Type::Seed: out += std::to_string(s.seed); break;
        case Type::Sweep: out += s.logSweep ? "log" : "linear"; break;
        case Type::Path: out += Value(s.file); break;
      }
    }
    out += "\n";
  }
  if (const auto& f = stimulus.family) {
    out += "family target=";
    out += f->target == Family::kHolding         ? std::string("holding")
           : f->target == Family::kParameterStep ? std::string("step")
                                                 : std::to_string(f->target);
    out += " values=";
    if (f->range) {
      out += Shortest(f->range->from) + ":" + Shortest(f->range->to) + ":" +
             std::to_string(f->range->count);
    } else {
      for (std::size_t i = 0; i < f->values.size(); ++i)
        out += (i ? "," : "") + Shortest(f->values[i]);
    }
    out += "\n";
  }
  return out;
}

bool WriteStimulusFile(const std::string& path, const Stimulus& stimulus, std::string& error) {
  for (const Segment& s : stimulus.segments)
    if (s.file.find_first_of("\"\n\r") != std::string::npos) {
      error = path + ": the waveform file name " + s.file + " cannot be written (a quote or line end)";
      return false;
    }
  OutputFile file;
  if (!file.Open(path)) {
    error = path + ": cannot be written";
    return false;
  }
  file.Write(StimulusText(stimulus));
  if (!file.Commit()) {
    error = path + ": could not be written completely";
    return false;
  }
  return true;
}

std::string CompanionStimulusPath(const std::string& parameterFile) {
  const std::size_t slash = parameterFile.rfind('/');
  const std::size_t dot = parameterFile.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? parameterFile.substr(0, dot) : parameterFile) + ".vtp";
}

}  // namespace vantor
