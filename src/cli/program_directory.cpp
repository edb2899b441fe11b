#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "cli/commands.h"

namespace vantor::cli {

std::string ProgramDirectory() {
  const QString dir = QCoreApplication::applicationDirPath();
  // Installed, the data lies in share/vantor beside bin/ rather than beside
  // the program; the program's own directory still comes first.
  if (!QFileInfo(QDir(dir).filePath(QStringLiteral("vmodels.val"))).isFile()) {
    const QString shared = QDir::cleanPath(QDir(dir).filePath(QStringLiteral("../share/vantor")));
    if (QFileInfo(QDir(shared).filePath(QStringLiteral("vmodels.val"))).isFile())
      return QFile::encodeName(shared).toStdString() + "/";
  }
  return QFile::encodeName(dir).toStdString() + "/";
}

}  // namespace vantor::cli
