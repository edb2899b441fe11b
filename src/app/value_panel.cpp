#include "app/value_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantor::app {

ValuePanel::ValuePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Values"));
  time_ = new QLabel(this);
  time_->setWordWrap(true);
  time_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  table_ = new QTableWidget(this);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(time_);
  layout->addWidget(table_);
}

void ValuePanel::Show(const QString& time, const std::vector<ValueColumn>& columns, const QStringList& rows,
                      const std::vector<std::vector<QString>>& cells) {
  time_->setText(time);
  table_->clear();
  table_->setRowCount(static_cast<int>(rows.size()));
  table_->setColumnCount(static_cast<int>(columns.size()));
  table_->setVerticalHeaderLabels(rows);
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    auto* head = new QTableWidgetItem(columns[static_cast<std::size_t>(c)].head);
    head->setForeground(columns[static_cast<std::size_t>(c)].colour);
    table_->setHorizontalHeaderItem(c, head);
  }
  for (int r = 0; r < static_cast<int>(cells.size()); ++r)
    for (int c = 0; c < static_cast<int>(cells[static_cast<std::size_t>(r)].size()); ++c) {
      auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
}

void ValuePanel::Clear(const QString& note) {
  time_->setText(note);
  table_->clear();
  table_->setRowCount(0);
  table_->setColumnCount(0);
}

QString ValuePanel::TimeText() const { return time_->text(); }

}  // namespace vantor::app
