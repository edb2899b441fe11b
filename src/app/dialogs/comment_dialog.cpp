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
  // Not cut while typing or pasting: OK says what is too long instead.
  field_->setMaxLength(kFieldTextLimit * 4);
  field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * 60);
  auto* label = new QLabel(QStringLiteral("&Comment:"), this);
  label->setBuddy(field_);
  field_->setAccessibleName(QStringLiteral("Comment"));

  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("count"));
  count_->setAlignment(Qt::AlignRight);
  connect(field_, &QLineEdit::textChanged, this, &CommentDialog::UpdateCount);
  UpdateCount();

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(label);
  outer->addWidget(field_);
  outer->addWidget(count_);
  outer->addLayout(ButtonRow(this, {{QStringLiteral("OK"), 1}, {QStringLiteral("Cancel"), 2}}));
  auto* ok = findChild<QPushButton*>(QStringLiteral("1"));
  auto* cancel = findChild<QPushButton*>(QStringLiteral("2"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setTabOrder(field_, ok);
  setTabOrder(ok, cancel);
  field_->setFocus();
}

void CommentDialog::UpdateCount() {
  count_->setText(
      QStringLiteral("%1 of %2 characters").arg(field_->text().toUcs4().size()).arg(kCommentLimit));
}

void CommentDialog::accept() {
  // The parameter file holds 79 characters of code page 437: a longer
  // comment, or one with characters the file cannot hold, is refused with
  // the reason rather than cut or changed.
  const QString typed = field_->text();
  const QList<uint> points = typed.toUcs4();  // one file byte per character
  if (points.size() > static_cast<qsizetype>(kCommentLimit)) {
    RefuseField(this, field_,
                QStringLiteral("The comment has %1 characters; the parameter file holds %2. "
                               "Please shorten it!")
                    .arg(points.size())
                    .arg(kCommentLimit));
    return;
  }
  QString lost;
  for (const uint point : points) {
    const QString c = QString::fromUcs4(reinterpret_cast<const char32_t*>(&point), 1);
    if (FromCp437(ToCp437(c)) != c && !lost.contains(c)) lost += c;
  }
  if (!lost.isEmpty()) {
    RefuseField(this, field_,
                QStringLiteral("The parameter file cannot hold the characters %1 of the comment. "
                               "Please use others!")
                    .arg(lost));
    return;
  }
  // Exact comparison: a change of letter case alone is a change.
  const std::string text = ToCp437(typed);
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
