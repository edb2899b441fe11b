#include "vantor/nwb/run_inputs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/parameter_names.h"
#include "vantor/text/number_text.h"

namespace vantor::nwb {

namespace fs = std::filesystem;

std::vector<std::uint8_t> GateTableBytes(const GateTable& gates) {
  std::string text;
  for (int r = 1; r <= kGateRowCount; ++r) {
    char row[32];
    std::snprintf(row, sizeof row, "row%02d", r);
    text += row;
    for (int c = 0; c < kGateColumnCount; ++c) text += " " + FormatShortest(gates.Coefficient(r, c));
    text += "\n";
  }
  return {text.begin(), text.end()};
}

std::optional<std::vector<std::uint8_t>> ParameterFileBytes(const ParameterSet& params) {
  std::error_code error;
  const fs::path temp = fs::temp_directory_path(error);
  if (error) return std::nullopt;
  std::string folder = (temp / "vantor-nwb-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return std::nullopt;
  const std::string file = folder + "/run.vt4";
  SilentMessages quiet;
  std::vector<std::uint8_t> bytes;
  const bool written = static_cast<bool>(WriteParameterFile(file, params, quiet));
  if (written) {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  fs::remove_all(folder, error);
  if (!written || bytes.empty()) return std::nullopt;
  return bytes;
}

std::string SweepDescription(const ParameterSet& first, const ParameterSet& run, std::size_t index) {
  if (index == 0) return "the run the file's provenance remakes";
  std::string changed;
  for (int k = 0; k < kParameterCount; ++k)
    if (run.Value(k) != first.Value(k))
      changed += (changed.empty() ? "" : ", ") + CommandLineName(k) + "=" + FormatShortest(run.Value(k));
  return changed.empty() ? "the parameters of sweep 1" : "sweep 1's parameters with " + changed;
}

}  // namespace vantor::nwb
