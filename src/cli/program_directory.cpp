#include <QCoreApplication>

#include "cli/commands.h"

namespace vantor::cli {

std::string ProgramDirectory() {
  return QCoreApplication::applicationDirPath().toStdString() + "/";
}

}  // namespace vantor::cli
