#include "vantor/params/parameter_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "vantor/text/number_format.h"
#include "vantor/text/number_text.h"
#include "vantor/files/output_file.h"
#include "vantor/params/list_files.h"
#include "params/text_scanner.h"

namespace vantor {
namespace {

constexpr const char* kNotFound = "Parameter file not found!";
constexpr const char* kPromptsMissing = "prompts";
// The prompt of a value line keeps at most 30 characters, as it always has;
// files written with a longer prompt still read, with the prompt cut.
constexpr std::size_t kFilePromptLimit = 30;

std::string InvalidMessage(const std::string& path) { return " The file " + path + " is invalid."; }

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// A comment or prompt must stay one line in the file.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

bool IsToken(const std::string& text) {
  if (text.empty()) return false;
  return std::none_of(text.begin(), text.end(),
                      [](unsigned char c) { return c == '\0' || std::isspace(c) != 0; });
}

// Everything the reader must be able to read back.
bool Writable(const ParameterSet& params) {
  for (float v : params.Values())
    if (!std::isfinite(v)) return false;
  for (int i = 0; i < kTraceCount; ++i) {
    const TraceRow& row = params.Trace(i);
    if (!std::isfinite(row.maximum) || !std::isfinite(row.minimum) || !std::isfinite(row.plot))
      return false;
    if (!IsToken(row.unit) || !IsToken(row.prefix) || !IsToken(row.suffix)) return false;
  }
  return true;
}

// `compact` when it reads back as `value`, else the shortest text that does:
// a value the short forms would round is kept as it is.
std::string Faithful(std::string compact, float value) {
  TextScanner scanner;
  scanner.OpenText(compact);
  float back = 0;
  if (scanner.ReadFloat(back) && back == value) return compact;
  return FormatShortest(value);
}

std::string FileValue(float value) { return Faithful(FormatShort(value, 4), value); }

std::string TraceLine(const TraceRow& row) {
  return PadLeft(FileValue(row.maximum), 5) + " " + PadLeft(FileValue(row.minimum), 5) + " " +
         PadLeft(FileValue(row.plot), 5) + " " + std::to_string(row.cond) + " " + row.unit + " " +
         row.prefix + " " + row.suffix + "\n";
}

// One value line: the number, one blank, the prompt to the end of the line.
enum class LineResult { Ok, NoNumber, NoPrompt };

// A number with more glued to it ("80,5" read as 80): what the line starts
// with, for the warning.
std::string GluedValue(TextScanner& scanner) {
  constexpr std::size_t kShown = 24;
  std::string text;
  for (std::size_t i = 0; i < kShown; ++i) {
    const int c = scanner.Peek(i);
    if (c == EOF || c <= ' ' || c == 0x7f) break;  // blanks, line ends, control bytes
    text.push_back(static_cast<char>(c));
  }
  return text;
}

LineResult ReadValueLine(TextScanner& scanner, float& value, std::string& prompt,
                         std::string& glued) {
  scanner.SkipSpace();
  const std::string start = GluedValue(scanner);
  if (!scanner.ReadFloat(value)) return LineResult::NoNumber;
  const int next = scanner.Peek();
  glued.clear();
  if (next != EOF && next != ' ' && next != '\t' && next != '\r' && next != '\n') glued = start;
  if (next == EOF) return LineResult::NoPrompt;
  // The blank after the number is skipped; a line that ends right after its
  // number has an empty prompt (and must not take the next line as one).
  if (next != '\n' && !(next == '\r' && scanner.Peek(1) == '\n')) scanner.Get();
  if (!scanner.ReadLine(prompt, kFilePromptLimit)) return LineResult::NoPrompt;
  return LineResult::Ok;
}

// A token that starts with a NUL byte keeps nothing, and an empty label part
// could not be written back: such a row is unreadable.
bool ReadLabelPart(TextScanner& scanner, std::string& part, std::size_t limit) {
  return scanner.ReadToken(part, limit) && !part.empty();
}

bool ReadTraceRow(TextScanner& scanner, TraceRow& row) {
  return scanner.ReadFloat(row.maximum) && scanner.ReadFloat(row.minimum) &&
         scanner.ReadFloat(row.plot) && scanner.ReadInt32(row.cond) &&
         ReadLabelPart(scanner, row.unit, kUnitLimit) &&
         ReadLabelPart(scanner, row.prefix, kPrefixLimit) &&
         ReadLabelPart(scanner, row.suffix, kSuffixLimit);
}

void ReadCompanion(const std::string& path, int first, ParameterSet& params, Messages& messages) {
  float values[kCompanionCount];
  const int count = kParameterCount - first;
  for (int i = 0; i < count; ++i) values[i] = params.Value(first + i);
  // Values read before a failure are kept, the others stay as they were.
  ReadValueFile(CompanionPath(path), values, count, messages);
  for (int i = 0; i < count; ++i) params.SetValue(first + i, values[i]);
}

}  // namespace

bool IsVersion4Path(const std::string& path) {
  const std::string withoutExtension = ReplaceExtension(path, "");
  std::string extension = path.substr(withoutExtension.size());
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension == ".VT4";
}

std::string CompanionPath(const std::string& path) { return ReplaceExtension(path, ".cin"); }

bool ReadParameterFile(const std::string& path, ParameterSet& params, Messages& messages) {
  const int count = IsVersion4Path(path) ? kParameterCount : kVersion3Count;
  TextScanner scanner;
  if (!scanner.Open(path)) {
    messages.Warn(kErrorCaption, kNotFound);
    return false;
  }
  std::string text;
  // The whole comment the Comment dialog allows is read back.
  if (scanner.ReadLine(text, kCommentLimit)) params.SetComment(text);

  for (int k = 0; k < count; ++k) {
    float value = 0;
    std::string glued;
    const std::size_t line = (scanner.SkipSpace(), scanner.Line());
    const LineResult read = ReadValueLine(scanner, value, text, glued);
    if (!glued.empty())
      messages.Warn(kReadWarningCaption, path + ", line " + std::to_string(line) + ": \"" + glued +
                                       "\" is read as " + FormatShortest(value) +
                                       (glued.find(',') != std::string::npos
                                            ? " (a decimal point is written \".\")"
                                            : ""));
    switch (read) {
      case LineResult::NoNumber:
        messages.Warn(kErrorCaption, InvalidMessage(path));
        return false;
      case LineResult::NoPrompt:
        params.SetValue(k, value);
        messages.Warn(kErrorCaption, kPromptsMissing);
        return false;
      case LineResult::Ok:
        params.SetValue(k, value);
        params.SetPrompt(k, text);
        break;
    }
  }
  // The keyword ("scaling") is not compared, only required.
  if (!scanner.ReadToken(text, 0)) {
    messages.Warn(kErrorCaption, InvalidMessage(path));
    return false;
  }
  for (int i = 0; i < kTraceCount; ++i) {
    TraceRow row;
    if (!ReadTraceRow(scanner, row)) {
      messages.Warn(kErrorCaption, InvalidMessage(path));
      return false;
    }
    params.SetTrace(i, std::move(row));
  }
  if (count == kVersion3Count) ReadCompanion(path, count, params, messages);
  return true;
}

ParameterFileWrite WriteParameterFile(const std::string& path, const ParameterSet& params,
                                      Messages& messages, TemporaryFiles* temporaries) {
  // "-" is standard output, as a version 4 file: a companion has nowhere to go.
  const bool toStandardOutput = path == "-";
  const bool version4 = toStandardOutput || IsVersion4Path(path);
  const int count = version4 ? kParameterCount : kVersion3Count;
  if (!Writable(params)) return {false, path};
  // A version 3 file named like its own companion ("x.cin") would be
  // overwritten by it.
  if (!version4 && CompanionPath(path) == path) return {false, path};

  OutputFile file(temporaries);
  if (!(toStandardOutput ? file.OpenStandardOutput() : file.Open(path))) return {false, path};
  file.Write(OneLine(params.Comment()) + "\n");
  for (int k = 0; k < count; ++k)
    file.Write(PadLeft(FileValue(params.Value(k)), 4) + " " + OneLine(params.Prompt(k)) + "\n");
  file.Write("scaling\n");
  for (int i = 0; i < kTraceCount; ++i) file.Write(TraceLine(params.Trace(i)));
  if (!file.Close()) return {false, path};

  if (!version4) {
    // The companion goes first: the parameter file is replaced only once its
    // companion is in place, so a companion that cannot be written leaves
    // both old files as they were.
    const std::string companionPath = CompanionPath(path);
    OutputFile companion(temporaries);
    bool ok = companion.Open(companionPath);
    if (ok) {
      companion.Write(ListTitle(path));
      for (int k = kVersion3Count; k < kParameterCount; ++k)
        companion.Write(Faithful(FormatNumber(params.Value(k), 6, 9, AutoTrimmed), params.Value(k)) +
                        "\n");
      ok = companion.Commit();
    }
    if (!ok) {
      messages.Warn(kErrorCaption, companionPath + " file not found.");
      return {false, companionPath};
    }
  }
  if (!file.Commit()) return {false, path};
  return {true, {}};
}

}  // namespace vantor
