// The small list files: the preference file, the limits file and the
// companion value file of version 3 parameter files.
#pragma once

#include <cstdint>
#include <string>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// Skips the title line, reads whole numbers; the first `count` are stored,
// later ones are read and ignored. Reports path + " file not found.",
// " file could not be read." and " file has wrong number of parameters.".
void ReadCountList(const std::string& path, int32_t* values, int count, Messages& messages);
// The title line of a list file: the path in double quotes. A line end in
// the path would split the title, and readers skip only its first line, so
// line ends are written as blanks.
std::string ListTitle(const std::string& path);
// Title line, then one number per line followed by a blank.
// Reports path + " file not found." when the file cannot be written.
bool WriteCountList(const std::string& path, const int32_t* values, int count,
                    Messages& messages);
// Skips the title line and reads reals, storing at most `count`; true when
// exactly `count` were read. Reports path + " file not found.",
// " file in bad format." or " file has wrong number of parameters.".
bool ReadValueFile(const std::string& path, float* values, int count, Messages& messages);
// Reads the limits file: the given path with its extension replaced by
// ".mnx"; 54 pairs "maximum minimum" into the parameter set's limits.
// Reports "Could not find initialization file: " + the .mnx path.
void ReadInitFile(const std::string& path, ParameterSet& params, Messages& messages);

// The text from the last "." replaced by `extension` (appended when the file
// name has no "."); only the file name part is looked at for the ".".
std::string ReplaceExtension(const std::string& path, const std::string& extension);

}  // namespace vantor
