// A version 3 parameter file and its companion .cin: the input holds both,
// the .vts before the first NUL byte (a byte neither file has) and the .cin
// after it; without a NUL the companion is missing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz_input.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/parameter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes = vantor::fuzz::Bytes(data, size);
  const std::size_t split = bytes.find('\0');
  const std::string path = vantor::fuzz::WriteInput("input.vts", bytes.substr(0, split));
  const std::string companion = vantor::CompanionPath(path);
  if (split != std::string_view::npos) {
    vantor::fuzz::WriteInput("input.cin", bytes.substr(split + 1));
  } else {
    std::remove(companion.c_str());
  }
  vantor::ParameterSet params;
  vantor::CollectedMessages messages;
  vantor::ReadParameterFile(path, params, messages);
  return 0;
}
