// The read-out of the value cursor: the time it stands at and, for every
// shown run, the value of every shown trace there, a column per run in the
// run's colour.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;
class QTableWidget;

namespace vantor::app {

struct ValueColumn {
  QString head;  // the run's name
  QColor colour;
};

class ValuePanel : public QWidget {
  Q_OBJECT

 public:
  explicit ValuePanel(QWidget* parent = nullptr);

  // `rows` names the traces (with their units); cells[row][column] holds the
  // values, empty where a run has none at that time.
  void Show(const QString& time, const std::vector<ValueColumn>& columns, const QStringList& rows,
            const std::vector<std::vector<QString>>& cells);
  // No cursor: the table empties and `note` says how to place one.
  void Clear(const QString& note);

  QTableWidget* Table() const { return table_; }
  QString TimeText() const;

 private:
  QLabel* time_ = nullptr;
  QTableWidget* table_ = nullptr;
};

}  // namespace vantor::app
