// Reads a whole text file, refusing directories, devices, unreadable files
// and anything longer than a limit.
#pragma once

#include <string>

namespace vantor {

// False with `error` ("FILE: why") set.
bool ReadBounded(const std::string& path, std::size_t maxBytes, std::string& text,
                 std::string& error);

}  // namespace vantor
