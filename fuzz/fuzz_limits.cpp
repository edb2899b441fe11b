// The limits file (VANTOR.mnx): 54 pairs "maximum minimum".
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // ReadInitFile is given the .cin name and reads the .mnx beside it.
  vantor::fuzz::WriteInput("VANTOR.mnx", vantor::fuzz::Bytes(data, size));
  const std::string path = vantor::fuzz::ScratchPath("VANTOR.cin");
  vantor::ParameterSet params;
  vantor::CollectedMessages messages;
  vantor::ReadInitFile(path, params, messages);
  return 0;
}
