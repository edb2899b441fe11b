#include "app/dialogs/preferences_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cmath>

#include "app/data_paths.h"
#include "app/dialogs/dialog_support.h"
#include "app/dialogs/field_text.h"
#include "device/painter_device.h"
#include "vantor/params/list_files.h"
#include "vantor/params/preferences.h"
#include "vantor/render/palette.h"

namespace vantor {
namespace {

const char* const kLabels[8] = {"&Voltage color",  "C&urrent color", "&Alt. Current color",
                                "Gate &1 color",   "Gate &2 color",  "Gate &3 color",
                                "Ca&lcium color",  "&Background color"};

// What each colour does in the picture: traces take the colour of their run
// (the legend names them), so the role colours mostly stay in the file.
const char* const kUses[8] = {
    "the V-m axis, the time bar and the printed parameter listing",
    "kept in the file: traces are drawn in their run's colour",
    "kept in the file: traces are drawn in their run's colour",
    "kept in the file: traces are drawn in their run's colour",
    "kept in the file: traces are drawn in their run's colour",
    "kept in the file: traces are drawn in their run's colour",
    "kept in the file: traces are drawn in their run's colour",
    "the page behind the picture (RGB 192, 160, 64 switches on extended mode)",
};

double Luminance(uint32_t ref) {
  auto channel = [](uint32_t v) {
    const double c = (v & 0xFF) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(ref) + 0.7152 * channel(ref >> 8) + 0.0722 * channel(ref >> 16);
}

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

double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

PreferencesDialog::PreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent,
                                     const QString& saveFile)
    : QDialog(parent), preferences_(preferences), messages_(messages), saveFile_(saveFile) {
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
    uses_[i] = new QLabel(QString::fromLatin1(kUses[i]), this);
    uses_[i]->setEnabled(i == 0 || i == 7);  // the role colours are greyed: the picture ignores them
    grid->addWidget(uses_[i], i, 2);
    connect(buttons_[i], &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
    order << buttons_[i];
  }
  cgm_ = new QCheckBox(QStringLiteral("CGM"), this);
  cgm_->setObjectName(QStringLiteral("788"));
  cgm_->setChecked(preferences_.CgmOn());
  grid->addWidget(cgm_, 8, 0, 1, 2);
  order << cgm_;

  warning_ = new QLabel(this);
  warning_->setObjectName(QStringLiteral("contrast"));
  warning_->setWordWrap(true);
  warning_->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
  saved_ = new QLabel(this);
  saved_->setObjectName(QStringLiteral("saved"));
  saved_->setWordWrap(true);

  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid);
  outer->addWidget(warning_);
  outer->addWidget(saved_);
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
  UpdateWarning();
  // Wide enough for the whole title on the usual title bars.
  setMinimumWidth(std::max(minimumSizeHint().width(),
                           fontMetrics().horizontalAdvance(windowTitle()) + 160));
}

void PreferencesDialog::UpdateWarning() {
  const uint32_t background = colours_[7];
  QStringList weak;
  if (ContrastRatio(colours_[0], background) < kLeastContrast) weak << QStringLiteral("the voltage color");
  for (int run = 0; run < 4; ++run)
    if (ContrastRatio(RunColour(run), background) < (run == 0 ? kLeastContrast : kLeastOverlayContrast))
      weak << QStringLiteral("run %1's traces").arg(run + 1);
  warning_->setText(weak.isEmpty() ? QString()
                                   : QStringLiteral("Hard to see on this background: %1.")
                                         .arg(weak.join(QStringLiteral(", "))));
  warning_->setVisible(!weak.isEmpty());
}

void PreferencesDialog::ChooseColour(int i) {
  QColorDialog::setCustomColor(0, ColourFromRef(colours_[i]));
  for (int c = 1; c < 16; ++c) QColorDialog::setCustomColor(c, Qt::white);
  QColorDialog chooser(ColourFromRef(colours_[i]), this);
  chooser.setOption(QColorDialog::DontUseNativeDialog);
  if (chooser.exec() == QDialog::Accepted && chooser.selectedColor().isValid())
    colours_[i] = RefFromColour(chooser.selectedColor());
  for (int b = 0; b < 8; ++b) buttons_[b]->SetColour(colours_[b]);
  UpdateWarning();
}

void PreferencesDialog::Store() {
  for (int i = 0; i < 8; ++i) preferences_.values[i] = static_cast<int32_t>(colours_[i]);
  preferences_.values[Preferences::CgmSwitch] = cgm_->isChecked() ? 1 : 0;
}

void PreferencesDialog::Save() {
  Store();
  const QString folder = QFileInfo(saveFile_).absolutePath();
  QDir().mkpath(folder);  // the settings folder may not exist yet
  CollectedMessages said;
  if (WriteCountList(QFile::encodeName(saveFile_).toStdString(), preferences_.values.data(),
                     kPreferenceCount, said)) {
    saved_->setText(QStringLiteral("Saved in %1.").arg(QDir::toNativeSeparators(QFileInfo(saveFile_).absoluteFilePath())));
    return;
  }
  saved_->setText(QString());
  messages_.Warn("Error!", ToCp437(QStringLiteral("Could not save the preferences in %1: %2.")
                                       .arg(QDir::toNativeSeparators(saveFile_),
                                            app::WriteFailureReason(saveFile_))));
}

void PreferencesDialog::accept() {
  Store();
  QDialog::accept();
}

void RunPreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent,
                          const QString& saveFile) {
  PreferencesDialog dialog(preferences, messages, parent, saveFile);
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
