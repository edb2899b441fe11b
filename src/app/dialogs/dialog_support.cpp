#include "app/dialogs/dialog_support.h"

#include <QBoxLayout>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <vector>

#include "app/dialogs/field_text.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

QString NotANumberMessage(const QString& fieldName) {
  return QStringLiteral("The value for %1 is not a number. Please enter a number!").arg(fieldName);
}

QString TooLargeMessage(const QString& fieldName) {
  return QStringLiteral("The value for %1 is too large. Please enter a smaller number!")
      .arg(fieldName);
}

QString NotANumberMessage(const ParameterSet& params, int index) {
  return QStringLiteral("The value for %1 is not a number. It must be %2!")
      .arg(FromCp437(params.MessageLabel(index)), QString::fromStdString(RangeLimits(params, index)));
}

void RefuseField(QWidget* parent, QLineEdit* field, const QString& text) {
  QMessageBox::warning(parent, QString::fromLatin1(kBadParameterCaption), text);
  if (parent != nullptr) parent->activateWindow();
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

QBoxLayout* ButtonRow(QDialog* dialog, std::initializer_list<std::pair<QString, int>> buttons) {
  return ButtonRow(dialog, std::vector<std::pair<QString, int>>(buttons));
}

QBoxLayout* ButtonRow(QDialog* dialog, const std::vector<std::pair<QString, int>>& buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  bool first = true;
  for (const auto& [text, id] : buttons) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    if (first) button->setDefault(true);
    first = false;
    row->addWidget(button);
  }
  row->addStretch(1);
  return row;
}

void FitInto(QScrollArea* area, QWidget* content, int reserved, const QRect& free) {
  const QSize wanted = content->sizeHint();
  const int bar = area->verticalScrollBar()->sizeHint().width();
  const int height = std::min(wanted.height(), free.height() - reserved);
  // A vertical scroll bar needs its own width beside the content.
  const int width =
      std::min(wanted.width() + (height < wanted.height() ? bar : 0), free.width() - 40);
  area->setMinimumSize(std::max(width, 200), std::max(height, 120));
}

void FitOnScreen(QDialog* dialog, QScrollArea* area, QWidget* content, int reserved) {
  area->setWidget(content);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  QScreen* screen = dialog->screen() != nullptr ? dialog->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr)
    FitInto(area, content, reserved, screen->availableGeometry());
  else
    area->setMinimumSize(content->sizeHint());
}

QScrollArea* ScrollingEditorFrame(QDialog* dialog, QWidget* content, QList<QWidget*> order,
                                  std::initializer_list<std::pair<QString, int>> more) {
  auto* area = new QScrollArea(dialog);
  auto* outer = new QVBoxLayout(dialog);
  outer->addWidget(area);
  std::vector<std::pair<QString, int>> buttons = {{QStringLiteral("OK"), 1}, {QStringLiteral("Cancel"), 2}};
  buttons.insert(buttons.end(), more.begin(), more.end());
  outer->addLayout(ButtonRow(dialog, buttons));
  FitOnScreen(dialog, area, content, 110);
  auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("1"));
  auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("2"));
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  order << ok << cancel;
  for (const auto& button : more) order << dialog->findChild<QPushButton*>(QString::number(button.second));
  for (int i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  return area;
}

}  // namespace vantor
