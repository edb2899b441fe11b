#include "app/data_paths.h"

#include <QDir>
#include <QFileInfo>

#include "vantor/files/data_directory.h"

namespace vantor::app {

QString FindDataDirectory(const QString& programDir) {
  return QString::fromStdString(vantor::FindDataDirectory(programDir.toStdString()));
}

QString ExamplesDirectory(const QString& dataDir) {
  const QString examples = QDir(dataDir).filePath(QStringLiteral("examples"));
  return QFileInfo(examples).isDir() ? examples : QString();
}

}  // namespace vantor::app
