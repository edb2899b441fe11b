// The one-line comment of the parameter set: its first line in every file
// and the title of the picture.
#pragma once

#include <QDialog>

class QLineEdit;

namespace vantor {

class ParameterSet;

class CommentDialog : public QDialog {
 public:
  CommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent);
  QLineEdit* Field() const { return field_; }
  void accept() override;

 private:
  ParameterSet& params_;
  bool& unsavedChanges_;
  QLineEdit* field_;
};

void RunCommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent);

}  // namespace vantor
