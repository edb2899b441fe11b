#include "app/dialogs/model_editor.h"

#include <QBoxLayout>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>

#include <cmath>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "app/dialogs/gate_formulas.h"
#include "vantor/params/gate_table.h"

namespace vantor {
namespace {

constexpr char kColumns[] = "ABCDEFGH";

QString CellName(int row, int column) {
  return QStringLiteral("Row %1 (%2), column %3")
      .arg(row)
      .arg(QString::fromLatin1(GateTable::EditorLabel(row)).section(QLatin1Char('-'), 1).trimmed())
      .arg(QLatin1Char(kColumns[column]));
}

}  // namespace

ModelEditor::ModelEditor(GateTable& gates, QWidget* parent, ModelEditorHooks hooks)
    : QDialog(parent), gates_(gates), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("MODEL"));
  setWindowTitle(QStringLiteral("Model Editor"));

  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  auto* heading = new QLabel(QStringLiteral("Parameters"), content);
  grid->addWidget(heading, 0, 2, 1, kGateColumnCount, Qt::AlignCenter);
  for (int c = 0; c < kGateColumnCount; ++c)
    grid->addWidget(new QLabel(QString(QLatin1Char(kColumns[c])), content), 1, 2 + c,
                    Qt::AlignCenter);
  auto* gatesWord = new QLabel(QStringLiteral("G\nA\nT\nE\nS"), content);
  gatesWord->setAlignment(Qt::AlignCenter);
  grid->addWidget(gatesWord, 2, 0, kGateRowCount, 1, Qt::AlignVCenter);

  QList<QWidget*> order;
  for (int r = 1; r <= kGateRowCount; ++r) {
    const QString name = QString::fromLatin1(GateTable::EditorLabel(r));
    auto* label = new QLabel(name, content);
    label->setToolTip(GateRowFormula(r));
    grid->addWidget(label, r + 1, 1);
    for (int c = 0; c < kGateColumnCount; ++c) {
      auto* field = new QLineEdit(FieldText(gates_.Coefficient(r, c)), content);
      field->setObjectName(QString::number(100 * r + c + 1001));
      field->setAlignment(Qt::AlignRight);
      field->setMaxLength(kFieldTextLimit);
      field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123456")));
      field->setAccessibleName(name.simplified() + QLatin1Char('.') + QLatin1Char(kColumns[c]));
      field->setToolTip(GateRowFormula(r));
      field->setProperty("gateRow", r);
      field->installEventFilter(this);
      if (c == 0) label->setBuddy(field);
      grid->addWidget(field, r + 1, 2 + c);
      fields_[r - 1][c] = field;
      order << field;
    }
  }

  area_ = ScrollingEditorFrame(this, content, order,
                               {{QStringLiteral("Save"), 787},
                                {QStringLiteral("Save as..."), 786},
                                {QStringLiteral("Revert"), 785},
                                {QStringLiteral("Help"), 777}});
  legend_ = new QLabel(this);
  legend_->setObjectName(QStringLiteral("legend"));
  legend_->setWordWrap(true);
  legend_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Below the table, outside its scroll area, so that it never widens it.
  if (auto* outer = qobject_cast<QBoxLayout*>(layout())) outer->insertWidget(1, legend_);
  connect(findChild<QPushButton*>(QStringLiteral("787")), &QPushButton::clicked, this, [this] { Save(false); });
  connect(findChild<QPushButton*>(QStringLiteral("786")), &QPushButton::clicked, this, [this] { Save(true); });
  connect(findChild<QPushButton*>(QStringLiteral("785")), &QPushButton::clicked, this, &ModelEditor::Revert);
  connect(findChild<QPushButton*>(QStringLiteral("777")), &QPushButton::clicked, this, [this] {
    if (hooks_.help) hooks_.help();
  });
  findChild<QPushButton*>(QStringLiteral("787"))->setEnabled(static_cast<bool>(hooks_.save));
  findChild<QPushButton*>(QStringLiteral("786"))->setEnabled(static_cast<bool>(hooks_.save));
  findChild<QPushButton*>(QStringLiteral("785"))->setEnabled(static_cast<bool>(hooks_.saved));
  ShowLegend(1);
  fields_[0][0]->setFocus();
}

bool ModelEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    const QVariant row = watched->property("gateRow");
    if (row.isValid()) ShowLegend(row.toInt());
  }
  return QDialog::eventFilter(watched, event);
}

void ModelEditor::ShowLegend(int row) {
  legend_->setText(GateRowFormula(row) +
                   QStringLiteral("\nV in mV, times in ms; φ scales the rates with the temperature."));
}

void ModelEditor::Fill(const GateTable& table) {
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c)
      fields_[r - 1][c]->setText(FieldText(table.Coefficient(r, c)));
}

std::optional<GateTable> ModelEditor::Scan() {
  GateTable table = gates_;
  QStringList refused;
  QLineEdit* first = nullptr;
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) {
      QLineEdit* field = fields_[r - 1][c];
      const std::optional<float> v = ScanFieldNumber(field->text());
      QString why;
      if (!v)
        why = QStringLiteral("\"%1\" is not a number").arg(field->text());
      else if (!std::isfinite(*v))
        // No rate formula could use it, and it could not be written back.
        why = QStringLiteral("\"%1\" is too large for the table").arg(field->text());
      if (why.isEmpty()) {
        table.SetCoefficient(r, c, *v);
        continue;
      }
      refused << CellName(r, c) + QStringLiteral(": ") + why + QLatin1Char('.');
      if (first == nullptr) first = field;
    }
  if (first == nullptr) return table;
  RefuseField(this, first,
              (refused.size() == 1 ? QStringLiteral("This cell is refused; nothing was changed:\n")
                                   : QStringLiteral("These cells are refused; nothing was changed:\n")) +
                  refused.join(QLatin1Char('\n')));
  return std::nullopt;
}

bool ModelEditor::Edited() const {
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) {
      const std::optional<float> v = ScanFieldNumber(fields_[r - 1][c]->text());
      // A field still showing its coefficient (rounded to six digits) is unchanged.
      if (fields_[r - 1][c]->text() != FieldText(gates_.Coefficient(r, c)) &&
          (!v || *v != gates_.Coefficient(r, c)))
        return true;
    }
  return false;
}

void ModelEditor::accept() {
  const std::optional<GateTable> table = Scan();
  if (!table) return;
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) gates_.SetCoefficient(r, c, table->Coefficient(r, c));
  QDialog::accept();
}

void ModelEditor::ApplyTyped(GateTable& into) const {
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c)
      if (const std::optional<float> v = ScanFieldNumber(fields_[r - 1][c]->text());
          v && !std::isinf(*v))
        into.SetCoefficient(r, c, *v);
}

void ModelEditor::reject() {
  if (Edited() &&
      QMessageBox::question(this, windowTitle(),
                            QStringLiteral("Discard the changes typed in the Model Editor?"),
                            QMessageBox::Discard | QMessageBox::Cancel,
                            QMessageBox::Cancel) != QMessageBox::Discard)
    return;
  QDialog::reject();
}

void ModelEditor::Save(bool asNew) {
  if (!hooks_.save) return;
  const std::optional<GateTable> table = Scan();
  if (!table || !hooks_.save(*table, asNew)) return;
  // What was saved is what the runs use from now on.
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) gates_.SetCoefficient(r, c, table->Coefficient(r, c));
  Fill(gates_);
}

void ModelEditor::Revert() {
  if (!hooks_.saved) return;
  const std::optional<GateTable> saved = hooks_.saved();
  if (saved) Fill(*saved);
}

void ModelEditor::FitInto(const QRect& free) {
  vantor::FitInto(area_, area_->widget(), 170, free);
  adjustSize();
}

void RunModelEditor(GateTable& gates, QWidget* parent, ModelEditorHooks hooks) {
  ModelEditor editor(gates, parent, std::move(hooks));
  editor.exec();
}

}  // namespace vantor
