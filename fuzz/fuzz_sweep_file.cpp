// A sweep file as merge and --resume read it: signature, header, rows; and
// each row read back as the charts of a resumed sweep read it, for every
// number of varied parameters a sweep can have.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "vantor/sweep/sweep_result.h"
#include "vantor/sweep/sweep_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = vantor::fuzz::WriteInput("sweep.csv", vantor::fuzz::Bytes(data, size));
  vantor::SweepFile file;
  std::string error;
  if (!vantor::ReadSweepFile(path, file, error)) return 0;
  (void)vantor::SplitCsv(file.header);
  for (const vantor::SweepFile::Row& row : file.rows) {
    for (std::size_t axes = 0; axes <= 3; ++axes) {
      vantor::SweepResult result;
      if (vantor::ParseSweepRow(row.text, axes, result)) (void)vantor::SweepRow(result);
    }
  }
  return 0;
}
