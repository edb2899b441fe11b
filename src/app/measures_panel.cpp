#include "app/measures_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

#include "vantor/text/number_format.h"

namespace vantor::app {

QString MeasureText(const Measures& measures, MeasureId id) {
  if (id == MeasureId::Class) return QString::fromLatin1(ActivityClassName(measures.activity));
  const double value = MeasureValue(measures, id);
  if (!std::isfinite(value)) return QObject::tr("none");
  if (id == MeasureId::Spikes) return QString::number(measures.spikes);
  return QString::fromStdString(FormatShort(value, 4));
}

MeasuresPanel::MeasuresPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Measures"));
  heading_ = new QLabel(this);
  heading_->setWordWrap(true);
  table_ = new QTableWidget(0, 2, this);
  table_->setHorizontalHeaderLabels({tr("Measure"), tr("Value")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(heading_);
  layout->addWidget(table_);
}

void MeasuresPanel::Show(const QString& run, const Measures& measures) {
  heading_->setText(tr("%1, from %2 to %3 ms (stimulus at %4 ms)")
                        .arg(run, QString::fromStdString(FormatShort(measures.window.from, 5)),
                             QString::fromStdString(FormatShort(measures.window.to, 5)),
                             QString::fromStdString(FormatShort(measures.window.stimulus, 5))));
  const std::vector<MeasureInfo>& table = MeasureTable();
  table_->setRowCount(static_cast<int>(table.size()));
  for (int r = 0; r < static_cast<int>(table.size()); ++r) {
    const MeasureInfo& info = table[static_cast<std::size_t>(r)];
    QString name = QString::fromUtf8(info.label);
    if (*info.unit != '\0') name += QStringLiteral(" (%1)").arg(QString::fromUtf8(info.unit));
    auto* nameItem = new QTableWidgetItem(name);
    nameItem->setData(Qt::UserRole, QString::fromLatin1(info.key));
    table_->setItem(r, 0, nameItem);
    auto* value = new QTableWidgetItem(MeasureText(measures, info.id));
    value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(r, 1, value);
  }
}

void MeasuresPanel::Clear(const QString& note) {
  heading_->setText(note);
  table_->setRowCount(0);
}

QString MeasuresPanel::Heading() const { return heading_->text(); }

QString MeasuresPanel::ValueText(const char* key) const {
  for (int r = 0; r < table_->rowCount(); ++r)
    if (table_->item(r, 0)->data(Qt::UserRole).toString() == QLatin1String(key)) return table_->item(r, 1)->text();
  return {};
}

}  // namespace vantor::app
