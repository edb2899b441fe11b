// Where the shipped data lies: beside the program (a build folder, or a
// copied folder), else in the installed data folder ../share/vantor.
#pragma once

#include <string>

namespace vantor {

// The directory that holds vmodels.val, with a trailing "/". `programDirectory`
// is the program's own directory; the first candidate holding the gate table
// wins, and the program directory stands when none does (its files are then
// reported missing as usual).
std::string FindDataDirectory(const std::string& programDirectory);

}  // namespace vantor
