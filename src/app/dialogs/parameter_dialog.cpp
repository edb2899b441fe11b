#include "app/dialogs/parameter_dialog.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "app/dialogs/group_picture.h"
#include "app/dialogs/ion_potentials_panel.h"
#include "app/dialogs/parameter_templates.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/params/parameter_set.h"

namespace vantor {
namespace {

QFrame* Separator(int id, QWidget* parent) {
  auto* bar = new QFrame(parent);
  bar->setObjectName(QString::number(id));
  bar->setFixedHeight(2);
  bar->setAutoFillBackground(true);
  QPalette p = bar->palette();
  p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  bar->setPalette(p);
  return bar;
}

}  // namespace

ParameterDialog::ParameterDialog(ParameterSet& params, int groupRow, bool& unsavedChanges,
                                 std::function<void(int)> openHelp, QWidget* parent)
    : QDialog(parent),
      params_(params),
      groupRow_(groupRow),
      unsavedChanges_(unsavedChanges),
      openHelp_(std::move(openHelp)),
      template_(TemplateForGroup(groupRow)) {
  setObjectName(QString::fromLatin1(template_.name));
  setWindowTitle(QString::fromUtf8(template_.title));
  // Modal to the main window only, so that the help window it opens can be
  // read and scrolled while the dialog stays open.
  setWindowModality(Qt::WindowModal);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  int column = 0, row = 0, separator = 1100;
  QList<QWidget*> order;
  for (const TemplateEntry& e : template_.entries) {
    if (e.kind == TemplateEntry::NextColumn) {
      ++column;
      row = 0;
      continue;
    }
    if (e.kind == TemplateEntry::Separator) {
      grid->addWidget(Separator(separator++, this), row++, 3 * column, 1, 3);
      continue;
    }
    auto* field = new QLineEdit(FieldText(params_.Value(e.index)), this);
    field->setObjectName(QString::number(1000 + e.index));
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(kFieldTextLimit);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123456")));
    auto* label = new QLabel(QString::fromUtf8(e.label), this);
    label->setBuddy(field);
    field->setAccessibleName(label->text());
    grid->addWidget(label, row, 3 * column);
    grid->addWidget(field, row, 3 * column + 1);
    const FieldNote note = NoteForField(e.index);
    if (*note.shown != '\0') {
      auto* shown = new QLabel(QString::fromUtf8(note.shown), this);
      shown->setObjectName(QStringLiteral("note%1").arg(1000 + e.index));
      shown->setToolTip(QString::fromUtf8(note.tooltip));
      field->setToolTip(QString::fromUtf8(note.tooltip));
      grid->addWidget(shown, row, 3 * column + 2);
    }
    ++row;
    fields_[e.index] = field;
    order.push_back(field);
  }
  grid->setRowStretch(grid->rowCount(), 1);

  auto* body = new QHBoxLayout;
  body->addWidget(new GroupPicture(PictureForGroup(groupRow_), this), 0, Qt::AlignTop);
  body->addSpacing(8);
  body->addLayout(grid, 1);
  if (template_.groupRow == 3) body->addWidget(new IonPotentialsPanel(params_, fields_, this), 0, Qt::AlignTop);

  auto* outer = new QVBoxLayout(this);
  outer->addLayout(body);
  outer->addLayout(ButtonRow(this, {{QStringLiteral("OK"), 1},
                                    {QStringLiteral("Cancel"), 2},
                                    {QStringLiteral("Help"), 777}}));
  auto* ok = findChild<QPushButton*>(QStringLiteral("1"));
  auto* cancel = findChild<QPushButton*>(QStringLiteral("2"));
  auto* help = findChild<QPushButton*>(QStringLiteral("777"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, &ParameterDialog::ShowHelp);
  // F1 is the program's Help key; inside a dialog it asks for the dialog's topic.
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, &ParameterDialog::ShowHelp);

  // Tab goes through the fields in the order they are read, then the buttons.
  order << ok << cancel << help;
  for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  if (!order.isEmpty()) order.front()->setFocus();
}

QLineEdit* ParameterDialog::Field(int index) const {
  const auto it = fields_.find(index);
  return it == fields_.end() ? nullptr : it->second;
}

void ParameterDialog::ShowHelp() {
  if (openHelp_) openHelp_(HelpTopicForGroup(groupRow_));
}

void ParameterDialog::accept() {
  // First pass: every field, in the order the user reads them, must hold a
  // number within its limits; the first one that does not is refused and
  // nothing at all is stored.
  std::map<int, float> scanned;
  for (int k : DisplayOrder(template_)) {
    QLineEdit* field = fields_.at(k);
    const std::optional<float> value = ScanFieldNumber(field->text());
    if (!value) {
      RefuseField(this, field, NotANumberMessage(params_, k));
      return;
    }
    if (!params_.InRange(k, *value)) {
      RefuseField(this, field, FromCp437(RangeMessage(params_, k)));
      return;
    }
    scanned[k] = *value;
  }
  // Second pass: store them all.
  for (const auto& [k, value] : scanned) {
    if (value != params_.Value(k)) unsavedChanges_ = true;
    params_.SetValue(k, value);
  }
  QDialog::accept();
}

void RunParameterDialog(int command, bool extendedMode, ParameterSet& params,
                        bool& unsavedChanges, const std::function<void(int)>& openHelp,
                        QWidget* parent) {
  const int row = GroupRowForCommand(command, extendedMode);
  if (row < 0) return;
  ParameterDialog dialog(params, row, unsavedChanges, openHelp, parent);
  dialog.exec();
}

}  // namespace vantor
