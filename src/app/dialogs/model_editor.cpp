#include "app/dialogs/model_editor.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <cmath>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "vantor/params/gate_table.h"

namespace vantor {

ModelEditor::ModelEditor(GateTable& gates, QWidget* parent) : QDialog(parent), gates_(gates) {
  setObjectName(QStringLiteral("MODEL"));
  setWindowTitle(QStringLiteral("Model Editor"));

  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  auto* heading = new QLabel(QStringLiteral("Parameters"), content);
  grid->addWidget(heading, 0, 2, 1, kGateColumnCount, Qt::AlignCenter);
  static const char kColumns[] = "ABCDEFGH";
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
    grid->addWidget(label, r + 1, 1);
    for (int c = 0; c < kGateColumnCount; ++c) {
      auto* field = new QLineEdit(FieldText(gates_.Coefficient(r, c)), content);
      field->setObjectName(QString::number(100 * r + c + 1001));
      field->setAlignment(Qt::AlignRight);
      field->setMaxLength(kFieldTextLimit);
      field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123456")));
      field->setAccessibleName(name.simplified() + QLatin1Char('.') + QLatin1Char(kColumns[c]));
      if (c == 0) label->setBuddy(field);
      grid->addWidget(field, r + 1, 2 + c);
      fields_[r - 1][c] = field;
      order << field;
    }
  }

  area_ = ScrollingEditorFrame(this, content, order);
  fields_[0][0]->setFocus();
}

void ModelEditor::accept() {
  ApplyTyped(gates_);
  QDialog::accept();
}

void ModelEditor::ApplyTyped(GateTable& into) const {
  // A field that does not begin with a number keeps its coefficient; so
  // does one beyond the single-precision range, which no rate formula
  // could use.
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c)
      if (const std::optional<float> v = ScanFieldNumber(fields_[r - 1][c]->text());
          v && !std::isinf(*v))
        into.SetCoefficient(r, c, *v);
}

void ModelEditor::FitInto(const QRect& free) {
  vantor::FitInto(area_, area_->widget(), 110, free);
  adjustSize();
}

void RunModelEditor(GateTable& gates, QWidget* parent) {
  ModelEditor editor(gates, parent);
  editor.exec();
}

}  // namespace vantor
