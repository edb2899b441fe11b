#include "app/dialogs/about_box.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QSysInfo>

#include "app/dialogs/dialog_support.h"

namespace vantor {

QString BuildDateText(const char* compilerDate) {
  // Month, day and year separated by single blanks; the day has no padding.
  return QString::fromLatin1(compilerDate).simplified();
}

QString PlatformLine() {
  return QStringLiteral("This build: version %1 on %2, Qt %3")
      .arg(QStringLiteral(VANTOR_VERSION), QSysInfo::prettyProductName(), QString::fromLatin1(qVersion()));
}

QString CreatedLine() { return QStringLiteral("Created %1").arg(BuildDateText(__DATE__)); }

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ABOUTBOX"));
  setWindowTitle(QStringLiteral("About VTWin"));
  auto* outer = new QVBoxLayout(this);
  const std::pair<int, QString> lines[] = {
      {601, QString::fromLatin1(kAboutVersionLine)},
      {602, QStringLiteral("A simulator of one nerve cell under current clamp")},
      {603, CreatedLine()},
      // The version line keeps the program's historical name; this one says
      // what the user is actually running.
      {604, PlatformLine()},
  };
  for (const auto& [id, text] : lines) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::number(id));
    label->setAlignment(Qt::AlignHCenter);
    outer->addWidget(label);
  }
  outer->addLayout(ButtonRow(this, {{QStringLiteral("OK"), 1}}));
  auto* ok = findChild<QPushButton*>(QStringLiteral("1"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}

void RunAboutBox(QWidget* parent) {
  AboutBox box(parent);
  box.exec();
}

}  // namespace vantor
