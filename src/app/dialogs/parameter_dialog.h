// One dialog for every parameter group: the fields, labels, separators and
// columns come from the group's template; OK checks every field against the
// limits before it stores anything.
#pragma once

#include <QDialog>

#include <functional>
#include <map>

class QLineEdit;

namespace vantor {

class ParameterSet;
struct ParameterTemplate;

class ParameterDialog : public QDialog {
 public:
  // `unsavedChanges` is set when OK stores a value that differs; `openHelp`
  // gets the group's help topic.
  ParameterDialog(ParameterSet& params, int groupRow, bool& unsavedChanges,
                  std::function<void(int)> openHelp, QWidget* parent);

  // The field of parameter k (named 1000 + k), or null.
  QLineEdit* Field(int index) const;
  int GroupRow() const { return groupRow_; }

  void accept() override;

 private:
  void ShowHelp();

  ParameterSet& params_;
  int groupRow_;
  bool& unsavedChanges_;
  std::function<void(int)> openHelp_;
  const ParameterTemplate& template_;
  std::map<int, QLineEdit*> fields_;
};

// Opens the dialog of a command (402 .. 405, 602) and returns when it closes.
void RunParameterDialog(int command, bool extendedMode, ParameterSet& params,
                        bool& unsavedChanges, const std::function<void(int)>& openHelp,
                        QWidget* parent);

}  // namespace vantor
