#include "app/dialogs/preferences_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include "app/dialogs/dialog_support.h"
#include "device/painter_device.h"
#include "vantor/params/list_files.h"
#include "vantor/params/preferences.h"

namespace vantor {
namespace {

const char* const kLabels[8] = {"&Voltage color",  "C&urrent color", "&Alt. Current color",
                                "Gate &1 color",   "Gate &2 color",  "Gate &3 color",
                                "Ca&lcium color",  "&Background color"};

uint32_t RefFromColour(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.blue()) << 16;
}

}  // namespace

ColourButton::ColourButton(const QString& name, QWidget* parent) : QPushButton(parent) {
  setAccessibleName(name);
  setFixedSize(48, 22);
  setAutoDefault(false);
}

void ColourButton::SetColour(uint32_t colourRef) {
  colour_ = colourRef;
  update();
}

void ColourButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  painter.fillRect(r, ColourFromRef(colour_));
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(r);
  if (hasFocus()) {  // the keyboard user must see where the focus is
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(r.adjusted(3, 3, -3, -3));
  }
}

PreferencesDialog::PreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent)
    : QDialog(parent), preferences_(preferences), messages_(messages) {
  setObjectName(QStringLiteral("PREFERENCES"));
  setWindowTitle(QStringLiteral("Color and CGM File Preferences"));
  auto* grid = new QGridLayout;
  QList<QWidget*> order;
  for (int i = 0; i < 8; ++i) {
    colours_[i] = preferences_.Colour(static_cast<Preferences::Index>(i));
    auto* label = new QLabel(QString::fromLatin1(kLabels[i]), this);
    buttons_[i] = new ColourButton(label->text().remove(QLatin1Char('&')), this);
    buttons_[i]->setObjectName(QString::number(1000 + i));
    buttons_[i]->SetColour(colours_[i]);
    label->setBuddy(buttons_[i]);
    grid->addWidget(label, i, 0);
    grid->addWidget(buttons_[i], i, 1);
    connect(buttons_[i], &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
    order << buttons_[i];
  }
  cgm_ = new QCheckBox(QStringLiteral("CGM"), this);
  cgm_->setObjectName(QStringLiteral("788"));
  cgm_->setChecked(preferences_.CgmOn());
  grid->addWidget(cgm_, 8, 0, 1, 2);
  order << cgm_;

  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid);
  outer->addLayout(ButtonRow(this, {{QStringLiteral("Save"), 787},
                                    {QStringLiteral("OK"), 1},
                                    {QStringLiteral("Cancel"), 2}}));
  auto* ok = findChild<QPushButton*>(QStringLiteral("1"));
  auto* save = findChild<QPushButton*>(QStringLiteral("787"));
  save->setDefault(false);  // Enter means OK here too
  ok->setDefault(true);
  auto* cancel = findChild<QPushButton*>(QStringLiteral("2"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(save, &QPushButton::clicked, this, &PreferencesDialog::Save);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  order << save << ok << cancel;
  for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  buttons_[0]->setFocus();
}

void PreferencesDialog::ChooseColour(int i) {
  QColorDialog::setCustomColor(0, ColourFromRef(colours_[i]));
  for (int c = 1; c < 16; ++c) QColorDialog::setCustomColor(c, Qt::white);
  QColorDialog chooser(ColourFromRef(colours_[i]), this);
  chooser.setOption(QColorDialog::DontUseNativeDialog);
  if (chooser.exec() == QDialog::Accepted && chooser.selectedColor().isValid())
    colours_[i] = RefFromColour(chooser.selectedColor());
  for (int b = 0; b < 8; ++b) buttons_[b]->SetColour(colours_[b]);
}

void PreferencesDialog::Store() {
  for (int i = 0; i < 8; ++i) preferences_.values[i] = static_cast<int32_t>(colours_[i]);
  preferences_.values[Preferences::CgmSwitch] = cgm_->isChecked() ? 1 : 0;
}

void PreferencesDialog::Save() {
  Store();
  WriteCountList("VANTORW.INI", preferences_.values.data(), kPreferenceCount, messages_);
}

void PreferencesDialog::accept() {
  Store();
  QDialog::accept();
}

void RunPreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent) {
  PreferencesDialog dialog(preferences, messages, parent);
  dialog.exec();
}

bool ExtendedModeAfterPreferences(bool extendedMode, uint32_t backgroundBefore,
                                  uint32_t backgroundAfter, bool gateTableLoaded) {
  const auto special = static_cast<uint32_t>(kExtendedModeColour);
  if (backgroundAfter == special) extendedMode = true;
  if (backgroundBefore == special && backgroundAfter != special) extendedMode = false;
  if (!gateTableLoaded) extendedMode = false;
  return extendedMode;
}

}  // namespace vantor
