// The gate table (vmodels.val): 17 named rows of eight coefficients.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = vantor::fuzz::WriteInput("vmodels.val", vantor::fuzz::Bytes(data, size));
  vantor::GateTable table;
  vantor::CollectedMessages messages;
  vantor::LoadGateTable(path, table, messages);
  return 0;
}
