#include "app/dialogs/comment_dialog.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

CommentDialog::CommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent)
    : QDialog(parent), params_(params), unsavedChanges_(unsavedChanges) {
  setObjectName(QStringLiteral("COMMENT"));
  setWindowTitle(QStringLiteral("Comment for this Simulation"));
  field_ = new QLineEdit(FromCp437(params_.Comment()), this);
  field_->setObjectName(QStringLiteral("890"));
  field_->setMaxLength(static_cast<int>(kCommentLimit));
  field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 60);
  auto* label = new QLabel(QStringLiteral("&Comment:"), this);
  label->setBuddy(field_);
  field_->setAccessibleName(QStringLiteral("Comment"));

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(label);
  outer->addWidget(field_);
  outer->addLayout(ButtonRow(this, {{QStringLiteral("OK"), 1}, {QStringLiteral("Cancel"), 2}}));
  auto* ok = findChild<QPushButton*>(QStringLiteral("1"));
  auto* cancel = findChild<QPushButton*>(QStringLiteral("2"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setTabOrder(field_, ok);
  setTabOrder(ok, cancel);
  field_->setFocus();
}

void CommentDialog::accept() {
  // Exact comparison: a change of letter case alone is a change.
  const std::string text = ToCp437(field_->text()).substr(0, kCommentLimit);
  if (text != params_.Comment()) {
    params_.SetComment(text);
    unsavedChanges_ = true;
  }
  QDialog::accept();
}

void RunCommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent) {
  CommentDialog dialog(params, unsavedChanges, parent);
  dialog.exec();
}

}  // namespace vantor
