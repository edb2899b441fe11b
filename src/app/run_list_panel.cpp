#include "app/run_list_panel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantor::app {
namespace {

// A short line in the run's colour, as the legend draws it.
QIcon Swatch(const QColor& colour) {
  QPixmap pixmap(24, 12);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(QPen(colour, 3));
  p.drawLine(1, 6, 23, 6);
  return QIcon(pixmap);
}

}  // namespace

RunListPanel::RunListPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("RunList"));
  list_ = new QTreeWidget(this);
  list_->setColumnCount(1);
  list_->setHeaderLabels({tr("Run (what differs from the first)")});
  list_->header()->setStretchLastSection(true);
  list_->setRootIsDecorated(false);
  list_->setToolTip(tr("Tick a run to show it, untick to hide it; Delete removes the selected run."));
  list_->installEventFilter(this);
  remove_ = new QPushButton(tr("&Remove run"), this);
  remove_->setToolTip(tr("Takes the selected run off the picture and deletes its record."));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(list_);
  layout->addWidget(remove_);

  connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
    if (filling_) return;
    emit ShownChanged(list_->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &RunListPanel::UpdateButtons);
  connect(remove_, &QPushButton::clicked, this, [this] {
    if (SelectedRun() >= 0) emit RemoveRequested(SelectedRun());
  });
  UpdateButtons();
}

void RunListPanel::SetRuns(const std::vector<RunListEntry>& runs) {
  // The items are changed in place: SetRuns may be called from the signal
  // of a box the user just ticked, which must outlive it.
  filling_ = true;
  while (list_->topLevelItemCount() > static_cast<int>(runs.size()))
    delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
  for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
    const RunListEntry& run = runs[static_cast<std::size_t>(i)];
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (item == nullptr) {
      item = new QTreeWidgetItem(list_);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    item->setText(0, run.text);
    item->setIcon(0, Swatch(run.colour));
    item->setToolTip(0, run.text);
    item->setCheckState(0, run.shown ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = false;
  UpdateButtons();
}

int RunListPanel::SelectedRun() const {
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? -1 : list_->indexOfTopLevelItem(items.front());
}

void RunListPanel::UpdateButtons() {
  // The only run of a picture goes with New or the next Begin.
  remove_->setEnabled(SelectedRun() >= 0 && list_->topLevelItemCount() > 1);
}

bool RunListPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && remove_->isEnabled()) {
    emit RemoveRequested(SelectedRun());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vantor::app
