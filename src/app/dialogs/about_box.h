// The About box: the program's name and version and the day it was built.
#pragma once

#include <QDialog>
#include <QString>

namespace vantor {

inline constexpr const char* kAboutVersionLine = "Vantor for Windows Version 4.0.3";

// A compiler date ("Dec  9 2026") as the box writes it: "Dec 9 2026".
QString BuildDateText(const char* compilerDate);
// The version, the system and the Qt this build runs on.
QString PlatformLine();
// "Created " and the day this program was built.
QString CreatedLine();

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* parent);
};

void RunAboutBox(QWidget* parent);

}  // namespace vantor
