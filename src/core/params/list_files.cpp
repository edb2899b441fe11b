// The tiny list files: a title line that readers skip, then numbers
// separated by white space. The title is skipped whole, whatever its length,
// because WriteCountList puts the full path there and its own files must
// read back.
#include "vantor/params/list_files.h"

#include <algorithm>

#include "vantor/files/output_file.h"
#include "params/text_scanner.h"

namespace vantor {
namespace {

constexpr const char* kNotFound = " file not found.";
constexpr const char* kCouldNotRead = " file could not be read.";
constexpr const char* kBadFormat = " file in bad format.";
constexpr const char* kWrongCount = " file has wrong number of parameters.";
constexpr const char* kNoInitFile = "Could not find initialization file: ";

// Only the file name part counts: a "." in a directory name is no extension.
std::size_t ExtensionStart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return std::string::npos;
  return dot;
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const std::size_t dot = ExtensionStart(path);
  if (dot == std::string::npos) return path + extension;
  return path.substr(0, dot) + extension;
}

void ReadCountList(const std::string& path, int32_t* values, int count, Messages& messages) {
  TextScanner scanner;
  if (!scanner.Open(path)) {
    messages.Warn(kErrorCaption, path + kNotFound);
    return;
  }
  scanner.SkipLine();
  int read = 0;
  while (!scanner.OnlySpaceLeft()) {
    int32_t value = 0;
    if (!scanner.ReadInt32(value)) {
      messages.Warn(kErrorCaption, path + kCouldNotRead);
      break;
    }
    if (read < count) values[read] = value;
    ++read;
  }
  if (read < count) messages.Warn(kErrorCaption, path + kWrongCount);
}

std::string ListTitle(const std::string& path) {
  std::string title = "\"" + path + "\"\n";
  std::replace(title.begin(), title.end() - 1, '\n', ' ');
  std::replace(title.begin(), title.end() - 1, '\r', ' ');
  return title;
}

bool WriteCountList(const std::string& path, const int32_t* values, int count, Messages& messages) {
  OutputFile file;
  bool ok = file.Open(path);
  if (ok) {
    file.Write(ListTitle(path));
    for (int i = 0; i < count; ++i) file.Write(std::to_string(values[i]) + " \n");
    ok = file.Commit();
  }
  if (!ok) messages.Warn(kErrorCaption, path + kNotFound);
  return ok;
}

bool ReadValueFile(const std::string& path, float* values, int count, Messages& messages) {
  TextScanner scanner;
  if (!scanner.Open(path)) {
    messages.Warn(kErrorCaption, path + kNotFound);
    return false;
  }
  scanner.SkipLine();
  int read = 0;
  while (!scanner.OnlySpaceLeft()) {
    float value = 0;
    if (!scanner.ReadFloat(value)) {
      messages.Warn(kErrorCaption, path + kBadFormat);
      return false;
    }
    if (read < count) values[read] = value;
    if (read <= count) ++read;  // more than count is wrong, however many more
  }
  if (read != count) {
    messages.Warn(kErrorCaption, path + kWrongCount);
    return false;
  }
  return true;
}

void ReadInitFile(const std::string& path, ParameterSet& params, Messages& messages) {
  const std::string limitsPath = ReplaceExtension(path, ".mnx");
  const std::string message = kNoInitFile + limitsPath;
  TextScanner scanner;
  if (!scanner.Open(limitsPath)) {
    messages.Warn(kErrorCaption, message);
    return;
  }
  for (int k = 0; k < kParameterCount; ++k) {
    float maximum = 0;
    float minimum = 0;
    if (!scanner.ReadFloat(maximum)) {
      messages.Warn(kErrorCaption, message);
      return;
    }
    params.SetMaximum(k, maximum);
    if (!scanner.ReadFloat(minimum)) {
      messages.Warn(kErrorCaption, message);
      return;
    }
    params.SetMinimum(k, minimum);
  }
}

}  // namespace vantor
