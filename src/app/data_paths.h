// The shipped data folders in Qt's terms; the rule for finding them is the
// core's (vantor/files/data_directory.h).
#pragma once

#include <QString>

namespace vantor::app {

// vantor::FindDataDirectory for a QString program directory.
QString FindDataDirectory(const QString& programDir);

// The shipped examples folder under the data directory, when it exists.
QString ExamplesDirectory(const QString& dataDir);

}  // namespace vantor::app
