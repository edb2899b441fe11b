// Where the shipped data lies: beside the program (a build folder, or a
// copied folder), else in the installed data folder ../share/vantor.
#pragma once

#include <QString>

namespace vantor::app {

// The directory that holds vmodels.val, with a trailing "/". `programDir`
// is the program's own directory; the first candidate holding the gate
// table wins, and the program directory stands when none does (its files
// are then reported missing as usual).
QString FindDataDirectory(const QString& programDir);

// The shipped examples folder under the data directory, when it exists.
QString ExamplesDirectory(const QString& dataDir);

}  // namespace vantor::app
