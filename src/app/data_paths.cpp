#include "app/data_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "vantor/files/data_directory.h"

namespace vantor::app {

QString FindDataDirectory(const QString& programDir) {
  return QString::fromStdString(vantor::FindDataDirectory(programDir.toStdString()));
}

QString ExamplesDirectory(const QString& dataDir) {
  const QString examples = QDir(dataDir).filePath(QStringLiteral("examples"));
  return QFileInfo(examples).isDir() ? examples : QString();
}

QString UserPreferencesFile() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("VANTORW.INI"));
}

QString WriteFailureReason(const QString& path) {
  const QFileInfo file(path);
  const QFileInfo folder(file.absolutePath());
  if (!folder.exists()) return QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
  if (!folder.isDir()) return QStringLiteral("%1 is not a folder").arg(folder.filePath());
  if (file.isDir()) return QStringLiteral("it is a folder");
  if (file.exists() && !file.isWritable()) return QStringLiteral("the file is read-only");
  if (!folder.isWritable()) return QStringLiteral("the folder cannot be written to");
  return QStringLiteral("the disk may be full, or the name is not allowed there");
}

}  // namespace vantor::app
