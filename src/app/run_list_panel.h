// The run list: every run of the picture in its colour with its name and
// what it changed from the first run, a switch to show or hide it and a
// button to take it off the picture. The window owns the runs; the panel
// shows what it is given and says what the user asked.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vantor::app {

struct RunListEntry {
  QString text;  // the legend's line for the run
  QColor colour;
  bool shown = true;
};

class RunListPanel : public QWidget {
  Q_OBJECT

 public:
  explicit RunListPanel(QWidget* parent = nullptr);

  void SetRuns(const std::vector<RunListEntry>& runs);
  QTreeWidget* List() const { return list_; }
  QPushButton* RemoveButton() const { return remove_; }
  // The selected run (from 0), -1 when none.
  int SelectedRun() const;

 signals:
  void ShownChanged(int index, bool shown);
  void RemoveRequested(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateButtons();
  QTreeWidget* list_ = nullptr;
  QPushButton* remove_ = nullptr;
  bool filling_ = false;  // SetRuns is changing the check boxes
};

}  // namespace vantor::app
