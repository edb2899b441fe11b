#include "app/data_paths.h"

#include <QDir>
#include <QFileInfo>

namespace vantor::app {
namespace {

QString WithSlash(QString dir) {
  if (!dir.endsWith('/')) dir += '/';
  return dir;
}

}  // namespace

QString FindDataDirectory(const QString& programDir) {
  const QString candidates[] = {
      programDir,
      QDir(programDir).filePath(QStringLiteral("../share/vantor")),
  };
  for (const QString& dir : candidates)
    if (QFileInfo(QDir(dir).filePath(QStringLiteral("vmodels.val"))).isFile())
      return WithSlash(QDir::cleanPath(dir));
  return WithSlash(programDir);
}

QString ExamplesDirectory(const QString& dataDir) {
  const QString examples = QDir(dataDir).filePath(QStringLiteral("examples"));
  return QFileInfo(examples).isDir() ? examples : QString();
}

}  // namespace vantor::app
