// The preference file (VANTORW.INI): a title line and whole numbers, read as
// the start-up reads it.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"
#include "vantor/params/preferences.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = vantor::fuzz::WriteInput("VANTORW.INI", vantor::fuzz::Bytes(data, size));
  vantor::Preferences preferences;
  vantor::CollectedMessages messages;
  vantor::ReadCountList(path, preferences.values.data(), vantor::kPreferenceCount, messages);
  return 0;
}
