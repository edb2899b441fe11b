// The readers take file names: each input goes into a file of this
// process's own scratch folder, which is removed when the fuzzer exits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::fuzz {

// The path of `name` in the scratch folder (made on first use).
std::string ScratchPath(const std::string& name);

// Writes the bytes to `name` in the scratch folder and returns its path.
std::string WriteInput(const std::string& name, std::string_view bytes);

inline std::string_view Bytes(const uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace vantor::fuzz
