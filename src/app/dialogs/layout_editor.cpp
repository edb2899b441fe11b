#include "app/dialogs/layout_editor.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <cmath>
#include <optional>
#include <vector>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "vantor/params/parameter_set.h"

namespace vantor {
namespace {

const char* const kLabels[kTraceCount] = {
    "V-m (mV)",     "I-Inj (nA)",   "I-cap (nA)",   "[Ca++]-i (µM)", "I-C (nA)",
    "I-H (nA)",     "I-T (nA)",     "I-A (nA)",     "I-L (nA)",      "I-Na (nA)",
    "I-K (nA)",     "I-M (nA)",     "I-AHP (nA)",   "I-Nap (nA)",    "I-AMPA (nA)",
    "I-NMDA (nA)",  "I-GABAa (nA)", "I-GABAb (nA)", "g-1 (O)",       "g-2 (O)",
    "g-3 (O)"};

// Rows 0 .. 10 stand in the left block and 11 .. 20 in the right one, so
// that the editor stays low enough for a small screen.
constexpr int kRowsLeft = 11;

QLineEdit* NumberField(float value, int id, const QString& name, QWidget* parent) {
  auto* field = new QLineEdit(FieldText(value), parent);
  field->setObjectName(QString::number(id));
  field->setAlignment(Qt::AlignRight);
  field->setMaxLength(kFieldTextLimit);
  field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123456")));
  field->setAccessibleName(name);
  return field;
}

}  // namespace

QString TraceLabel(int row) { return QString::fromUtf8(kLabels[row]); }

LayoutEditor::LayoutEditor(ParameterSet& params, bool& unsavedChanges, QWidget* parent)
    : QDialog(parent), params_(params), unsavedChanges_(unsavedChanges) {
  setObjectName(QStringLiteral("LAYOUT"));
  setWindowTitle(QStringLiteral("Layout Editor"));

  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  const QString headers[] = {QStringLiteral("Maximum"), QStringLiteral("Minimum"),
                             QStringLiteral("Plot?"), QStringLiteral("Cond?")};
  for (int block = 0; block < 2; ++block) {
    for (int h = 0; h < 4; ++h)
      grid->addWidget(new QLabel(headers[h], content), 0, block * 6 + 1 + h, Qt::AlignCenter);
  }
  grid->setColumnMinimumWidth(5, 24);  // room between the blocks, and the unit of a Cond? row

  QList<QWidget*> order;
  for (int i = 0; i < kTraceCount; ++i) {
    const TraceRow& t = params_.Trace(i);
    const int block = i < kRowsLeft ? 0 : 1;
    const int r = 1 + (i < kRowsLeft ? i : i - kRowsLeft);
    const int c = block * 6;
    const QString name = TraceLabel(i);
    auto* label = new QLabel(name, content);
    grid->addWidget(label, r, c);
    maximum_[i] = NumberField(t.maximum, 10100 + 100 * i, name + QStringLiteral(" Maximum"), content);
    minimum_[i] = NumberField(t.minimum, 20100 + 100 * i, name + QStringLiteral(" Minimum"), content);
    label->setBuddy(maximum_[i]);
    grid->addWidget(maximum_[i], r, c + 1);
    grid->addWidget(minimum_[i], r, c + 2);
    order << maximum_[i] << minimum_[i];
    if (i == 0) {
      percent_ = NumberField(t.plot, 30100, name + QStringLiteral(" Plot? per cent"), content);
      percent_->setFixedWidth(percent_->fontMetrics().horizontalAdvance(QStringLiteral("00000.0")));
      auto* box = new QHBoxLayout;
      box->setSpacing(2);
      box->addWidget(percent_);
      box->addWidget(new QLabel(QStringLiteral("%"), content));
      grid->addLayout(box, r, c + 3);
      order << percent_;
    } else {
      plot_[i] = new QCheckBox(content);
      plot_[i]->setObjectName(QString::number(1001 + i));
      plot_[i]->setChecked(t.plot != 0);
      plot_[i]->setAccessibleName(name + QStringLiteral(" Plot?"));
      grid->addWidget(plot_[i], r, c + 3, Qt::AlignCenter);
      order << plot_[i];
    }
    if (i >= 4 && i <= 17) {
      cond_[i] = new QCheckBox(content);
      cond_[i]->setObjectName(QString::number(2001 + i));
      cond_[i]->setChecked(t.cond != 0);
      cond_[i]->setAccessibleName(name + QStringLiteral(" Cond?"));
      grid->addWidget(cond_[i], r, c + 4, Qt::AlignCenter);
      order << cond_[i];
      condUnit_[i] = new QLabel(content);
      grid->addWidget(condUnit_[i], r, c + 5);
      connect(cond_[i], &QCheckBox::toggled, this, &LayoutEditor::UpdateNotes);
    }
    connect(maximum_[i], &QLineEdit::textChanged, this, &LayoutEditor::UpdateNotes);
    connect(minimum_[i], &QLineEdit::textChanged, this, &LayoutEditor::UpdateNotes);
  }
  notes_ = new QLabel(this);
  notes_->setObjectName(QStringLiteral("notes"));
  notes_->setWordWrap(true);
  UpdateNotes();

  area_ = ScrollingEditorFrame(this, content, order);
  // Below the table, outside its scroll area, so that a note never widens it.
  if (auto* outer = qobject_cast<QBoxLayout*>(layout())) outer->insertWidget(1, notes_);
  maximum_[0]->setFocus();
}

bool LayoutEditor::Scan(QLineEdit* field, const QString& name, float& value) {
  const std::optional<float> v = ScanFieldNumber(field->text());
  if (!v) {
    RefuseField(this, field, NotANumberMessage(name));
    return false;
  }
  // An infinite scale would leave nothing to draw the trace with.
  if (std::isinf(*v)) {
    RefuseField(this, field, TooLargeMessage(name));
    return false;
  }
  value = *v;
  return true;
}

void LayoutEditor::UpdateNotes() {
  QStringList notes;
  for (int i = 0; i < kTraceCount; ++i) {
    if (condUnit_[i] != nullptr)
      condUnit_[i]->setText(cond_[i]->isChecked() ? QStringLiteral("µS") : QString());
    const std::optional<float> high = ScanFieldNumber(maximum_[i]->text());
    const std::optional<float> low = ScanFieldNumber(minimum_[i]->text());
    if (high && low && *high < *low)
      notes << QStringLiteral("%1: the Maximum is below the Minimum, so the trace is drawn upside down.")
                   .arg(TraceLabel(i));
  }
  notes_->setText(notes.join('\n'));
  notes_->setVisible(!notes.isEmpty());
}

void LayoutEditor::accept() {
  // Every field must hold a number before anything is stored. A minimum
  // above the maximum is kept (the trace is drawn upside down, and the notes
  // say so); equal ones, and a V-m share outside 0 .. 100 per cent, are not.
  struct Scanned {
    float maximum, minimum;
  };
  std::vector<Scanned> values(kTraceCount);
  float percent = 0;
  for (int i = 0; i < kTraceCount; ++i) {
    const std::pair<QLineEdit*, QString> fields[] = {
        {maximum_[i], QStringLiteral("Maximum")}, {minimum_[i], QStringLiteral("Minimum")}};
    float* into[] = {&values[i].maximum, &values[i].minimum};
    for (int f = 0; f < 2; ++f) {
      if (!Scan(fields[f].first, fields[f].second + QStringLiteral(" of ") + TraceLabel(i), *into[f]))
        return;
    }
    if (values[i].maximum == values[i].minimum) {
      RefuseField(this, maximum_[i],
                  QStringLiteral("Maximum and Minimum of %1 are the same, which leaves the trace no "
                                 "height. Please enter two different numbers!")
                      .arg(TraceLabel(i)));
      return;
    }
    if (i == 0 && !Scan(percent_, QStringLiteral("Plot? of ") + TraceLabel(0), percent)) return;
    if (i == 0 && !(percent >= 0 && percent <= 100)) {
      RefuseField(this, percent_,
                  QStringLiteral("The value for Plot? of %1 is the share of the page in per cent. "
                                 "Please enter a number from 0 to 100!")
                      .arg(TraceLabel(0)));
      return;
    }
  }

  auto store = [this](float& slot, float value) {
    if (slot != value) unsavedChanges_ = true;
    slot = value;
  };
  for (int i = 0; i < kTraceCount; ++i) {
    TraceRow& t = params_.Trace(i);
    store(t.maximum, values[i].maximum);
    store(t.minimum, values[i].minimum);
    if (i == 0)
      store(t.plot, percent);
    else
      store(t.plot, plot_[i]->isChecked() ? 1.0f : 0.0f);
    if (cond_[i] != nullptr) {
      const int32_t cond = cond_[i]->isChecked() ? 1 : 0;
      if (t.cond != cond) unsavedChanges_ = true;
      t.cond = cond;
    }
  }
  QDialog::accept();
}

void LayoutEditor::FitInto(const QRect& free) {
  vantor::FitInto(area_, area_->widget(), 110, free);
  adjustSize();
}

void RunLayoutEditor(ParameterSet& params, bool& unsavedChanges, QWidget* parent) {
  LayoutEditor editor(params, unsavedChanges, parent);
  editor.exec();
}

}  // namespace vantor
