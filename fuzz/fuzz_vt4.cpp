// A version 4 parameter file: comment, 54 values with their prompts, traces.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/parameter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = vantor::fuzz::WriteInput("input.vt4", vantor::fuzz::Bytes(data, size));
  vantor::ParameterSet params;
  vantor::CollectedMessages messages;
  vantor::ReadParameterFile(path, params, messages);
  return 0;
}
