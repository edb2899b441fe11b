// The shipped data folders in Qt's terms; the rule for finding them is the
// core's (vantor/files/data_directory.h).
#pragma once

#include <QString>

namespace vantor::app {

// vantor::FindDataDirectory for a QString program directory.
QString FindDataDirectory(const QString& programDir);

// The shipped examples folder under the data directory, when it exists.
QString ExamplesDirectory(const QString& dataDir);

// Where Save in the Preferences dialog keeps the user's colours: the
// desktop's settings folder for the program, file VANTORW.INI. Read after
// the shipped one at start-up, so that a saved choice comes back.
QString UserPreferencesFile();

// Why a file could not be written, as far as the folder and the file tell.
QString WriteFailureReason(const QString& path);

}  // namespace vantor::app
