// The one-line comment of the parameter set: its first line in every file
// and the title of the picture.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vantor {

class ParameterSet;

class CommentDialog : public QDialog {
 public:
  CommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent);
  QLineEdit* Field() const { return field_; }
  QLabel* Count() const { return count_; }
  void accept() override;

 private:
  void UpdateCount();
  ParameterSet& params_;
  bool& unsavedChanges_;
  QLineEdit* field_;
  QLabel* count_ = nullptr;
};

void RunCommentDialog(ParameterSet& params, bool& unsavedChanges, QWidget* parent);

}  // namespace vantor
