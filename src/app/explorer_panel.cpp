#include "app/explorer_panel.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "app/dialogs/field_text.h"
#include "vantor/params/parameter_set.h"

namespace vantor::app {

ExplorerPanel::ExplorerPanel(const ParameterSet& params, QWidget* parent) : QWidget(parent), params_(params) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  auto* note = new QLabel(tr("Each step of a slider runs the cell again and redraws the picture; the "
                             "picture stays until the new run is drawn."),
                          this);
  note->setWordWrap(true);
  outer->addWidget(note);
  auto* area = new QScrollArea(this);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget;
  rows_ = new QVBoxLayout(content);
  rows_->setContentsMargins(0, 0, 0, 0);
  rows_->addStretch(1);
  area->setWidget(content);
  outer->addWidget(area, 1);
  picker_ = new QComboBox(this);
  picker_->setObjectName(QStringLiteral("explorePicker"));
  picker_->setAccessibleName(tr("Add a slider for a parameter"));
  outer->addWidget(picker_);
  connect(picker_, &QComboBox::activated, this, [this](int index) {
    const QVariant k = picker_->itemData(index);
    if (k.isValid()) AddSlider(k.toInt());
    picker_->setCurrentIndex(0);
  });
  for (int k : ParameterSet::Group(1).members) AddSlider(k);
  AddSlider(param::InjectedCurrent);
  FillPicker();
}

float ExplorerPanel::ValueAt(int k, int step) const {
  const double low = params_.Minimum(k), high = params_.Maximum(k);
  if (step <= 0) return static_cast<float>(low);
  if (step >= kSteps) return static_cast<float>(high);
  return static_cast<float>(low + (high - low) * step / kSteps);
}

int ExplorerPanel::StepOf(int k, float value) const {
  const double low = params_.Minimum(k), high = params_.Maximum(k);
  if (!(high > low) || !std::isfinite(value)) return 0;
  return static_cast<int>(std::lround(std::clamp((value - low) / (high - low), 0.0, 1.0) * kSteps));
}

bool ExplorerPanel::AddSlider(int k) {
  if (k < 0 || k >= kParameterCount || param::PlotChoice == k) return false;
  if (sliders_.count(k) != 0) return true;
  Row row;
  row.box = new QWidget;
  auto* grid = new QGridLayout(row.box);
  grid->setContentsMargins(0, 2, 0, 2);
  const QString name = FromCp437(params_.Prompt(k)).simplified();
  auto* label = new QLabel(name, row.box);
  row.value = new QLabel(row.box);
  row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row.slider = new QSlider(Qt::Horizontal, row.box);
  row.slider->setObjectName(QStringLiteral("slider%1").arg(k));
  row.slider->setAccessibleName(name);
  row.slider->setRange(0, kSteps);
  row.slider->setPageStep(kSteps / 20);
  auto* remove = new QToolButton(row.box);
  remove->setText(QStringLiteral("×"));
  remove->setToolTip(tr("Remove this slider"));
  grid->addWidget(label, 0, 0);
  grid->addWidget(row.value, 0, 1);
  grid->addWidget(remove, 0, 2);
  grid->addWidget(row.slider, 1, 0, 1, 3);
  rows_->insertWidget(rows_->count() - 1, row.box);
  sliders_[k] = row;
  ShowValue(k, params_.Value(k));
  connect(row.slider, &QSlider::sliderPressed, this, &ExplorerPanel::ChangeStarting);
  connect(row.slider, &QSlider::valueChanged, this, [this, k](int step) {
    if (showing_) return;
    if (!sliders_[k].slider->isSliderDown()) emit ChangeStarting();
    const float v = ValueAt(k, step);
    ShowValue(k, v);
    emit ValueChanged(k, v);
  });
  connect(remove, &QToolButton::clicked, this, [this, k] { RemoveSlider(k); });
  FillPicker();
  return true;
}

void ExplorerPanel::RemoveSlider(int k) {
  auto it = sliders_.find(k);
  if (it == sliders_.end()) return;
  it->second.box->deleteLater();
  sliders_.erase(it);
  FillPicker();
}

std::vector<int> ExplorerPanel::Parameters() const {
  std::vector<int> ks;
  for (const auto& [k, row] : sliders_) ks.push_back(k);
  return ks;
}

QSlider* ExplorerPanel::Slider(int k) const {
  auto it = sliders_.find(k);
  return it == sliders_.end() ? nullptr : it->second.slider;
}

QLabel* ExplorerPanel::ValueLabel(int k) const {
  auto it = sliders_.find(k);
  return it == sliders_.end() ? nullptr : it->second.value;
}

void ExplorerPanel::ShowValue(int k, float value) {
  auto it = sliders_.find(k);
  if (it == sliders_.end()) return;
  it->second.value->setText(FieldText(value));
  // The limits come with the limits file, after the panel was made.
  const bool slides = Slides(k);
  it->second.slider->setEnabled(slides);
  it->second.slider->setToolTip(slides ? tr("%1 to %2").arg(FieldText(params_.Minimum(k)), FieldText(params_.Maximum(k)))
                                       : tr("The limits of this parameter leave nothing to choose."));
  const bool was = showing_;
  showing_ = true;
  it->second.slider->setValue(StepOf(k, value));
  showing_ = was;
}

void ExplorerPanel::ShowValues(const ParameterSet& params) {
  for (const auto& [k, row] : sliders_) ShowValue(k, params.Value(k));
  if (Offered() != offered_) FillPicker();
}

bool ExplorerPanel::Slides(int k) const {
  const double low = params_.Minimum(k), high = params_.Maximum(k);
  return high > low && std::isfinite(high - low);
}

std::vector<int> ExplorerPanel::Offered() const {
  std::vector<int> ks;
  for (int k = 0; k < kParameterCount; ++k)
    if (sliders_.count(k) == 0 && k != param::PlotChoice && Slides(k)) ks.push_back(k);
  return ks;
}

void ExplorerPanel::FillPicker() {
  offered_ = Offered();
  picker_->clear();
  picker_->addItem(tr("Add a slider..."));
  for (int k : offered_) picker_->addItem(FromCp437(params_.Prompt(k)).simplified(), k);
}

}  // namespace vantor::app
