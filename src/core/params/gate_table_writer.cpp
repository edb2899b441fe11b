// Writing a gate table back as vmodels.val reads it.
#include <cmath>
#include <cstdio>

#include "vantor/files/output_file.h"
#include "vantor/params/gate_table.h"

namespace vantor {
namespace {

constexpr const char* kRowNames[kGateRowCount] = {
    "mNa", "hNa", "mK", "mA",  "hA",   "mT",   "hT",    "mC",   "mL",
    "mH",  "mM",  "mNap", "mAHP", "AMPA", "NMDA", "GABAa", "GABAb"};

}  // namespace

bool SaveGateTable(const std::string& path, const GateTable& table) {
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c)
      if (!std::isfinite(table.Coefficient(r, c))) return false;
  OutputFile file;
  if (!file.Open(path)) return false;
  for (int r = 1; r <= kGateRowCount; ++r) {
    std::string line = kRowNames[r - 1];
    char number[32];
    for (int c = 0; c < kGateColumnCount; ++c) {
      // Nine significant digits bring every float back unchanged.
      std::snprintf(number, sizeof number, " %.9g", static_cast<double>(table.Coefficient(r, c)));
      line += number;
    }
    file.Write(line + "\n");
  }
  return file.Commit();
}

}  // namespace vantor
