// Reading vmodels.val: for each of the 17 rows a name (ignored) and the
// eight coefficients A .. H, nothing after the last row.
#include "vantor/params/gate_table.h"
#include "params/text_scanner.h"

namespace vantor {
namespace {

constexpr const char* kNotFound = "vmodels.val file not found.";
constexpr const char* kUnreadable = "Unreadable vmodels.val file!";
// Row names are never compared, but a longer one is no row name: a file with
// such a word in it is not a gate table.
constexpr std::size_t kRowNameLimit = 255;

}  // namespace

bool LoadGateTable(const std::string& path, GateTable& table, Messages& messages) {
  TextScanner scanner;
  if (!scanner.Open(path)) {
    messages.Warn(kErrorCaption, kNotFound);
    return false;
  }
  std::string name;
  for (int r = 1; r <= kGateRowCount; ++r) {
    std::size_t length = 0;
    if (!scanner.ReadToken(name, kRowNameLimit, &length) || length > kRowNameLimit) {
      messages.Warn(kErrorCaption, kUnreadable);
      return false;
    }
    for (int c = 0; c < kGateColumnCount; ++c) {
      float value = 0;
      // Numbers beyond single precision ("1e999") would poison every run.
      if (!scanner.ReadFloat(value)) {
        messages.Warn(kErrorCaption, kUnreadable);
        return false;
      }
      table.SetCoefficient(r, c, value);
    }
  }
  if (!scanner.OnlySpaceLeft()) {
    messages.Warn(kErrorCaption, kUnreadable);
    return false;
  }
  table.MarkLoaded();
  return true;
}

}  // namespace vantor
