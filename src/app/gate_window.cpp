#include "app/gate_window.h"

#include <QBoxLayout>

#include <algorithm>
#include <QDir>
#include <QEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include "app/print_copy.h"
#include "app/user_prompts.h"
#include "device/painter_device.h"
#include "vantor/engine/gate_curves.h"
#include "vantor/params/messages.h"

namespace vantor::app {
namespace {

constexpr int kGateCount = 13;
constexpr uint32_t kWhite = 0xFFFFFF;

// Paints the owner's chart at the widget's size.
class ChartSurface : public QWidget {
 public:
  ChartSurface(std::function<void(Device&)> draw, QWidget* parent) : QWidget(parent), draw_(std::move(draw)) {
    setObjectName(QStringLiteral("GateChart"));
    setMinimumSize(480, 360);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PainterDevice device(painter, width(), height());
    draw_(device);
    device.Flush();
  }

 private:
  std::function<void(Device&)> draw_;
};

}  // namespace

GateCurvesWindow::GateCurvesWindow(const GateTable& gates, const ParameterSet& params, UserPrompts& prompts,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), gates_(gates), params_(params), prompts_(prompts) {
  setObjectName(QStringLiteral("GateCurves"));
  setWindowTitle(tr("Gate Curves"));
  list_ = new QListWidget(this);
  list_->setToolTip(tr("Tick the gates to draw; they are overlaid in one chart."));
  for (int row = 1; row <= kGateCount; ++row) {
    auto* item = new QListWidgetItem(QString::fromStdString(GateTable::GateName(row)), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
  }
  list_->setMaximumWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("mAHP")) * 4);
  connect(list_, &QListWidget::itemChanged, this, [this] { chart_->update(); });
  chart_ = new ChartSurface([this](Device& d) { DrawOn(d); }, this);

  auto* print = new QPushButton(tr("&Print..."), this);
  auto* copy = new QPushButton(tr("&Copy"), this);
  auto* exportButton = new QPushButton(tr("&Export..."), this);
  print->setObjectName(QStringLiteral("print"));
  copy->setObjectName(QStringLiteral("copy"));
  exportButton->setObjectName(QStringLiteral("export"));
  connect(print, &QPushButton::clicked, this, [this] {
    if (!Print())
      prompts_.Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                    tr("Could not print the gate curves."));
  });
  connect(copy, &QPushButton::clicked, this, &GateCurvesWindow::Copy);
  connect(exportButton, &QPushButton::clicked, this, &GateCurvesWindow::ExportAsked);

  auto* side = new QVBoxLayout;
  side->addWidget(list_, 1);
  side->addWidget(print);
  side->addWidget(copy);
  side->addWidget(exportButton);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(side);
  layout->addWidget(chart_, 1);
  resize(960, 640);
}

GateChart GateCurvesWindow::Chart() const {
  GateCurveRequest request;
  request.rows = ChosenRows();
  request.celsius = params_.Value(param::Temperature);
  request.hShift = params_.Value(param::HShift);
  GateChart chart;
  chart.celsius = request.celsius;
  chart.vForCalcium = request.vForCalcium;
  // No gate ticked draws the empty frame, not all thirteen.
  if (!request.rows.empty() && GateCurveRefusal(request).empty())
    chart.curves = ComputeGateCurves(typed_ ? *typed_ : gates_, request);
  return chart;
}

void GateCurvesWindow::DrawOn(Device& device) const { DrawGateChart(device, Chart()); }

void GateCurvesWindow::Preview(const GateTable& typed) {
  typed_ = typed;
  chart_->update();
}

void GateCurvesWindow::Follow() {
  typed_.reset();
  chart_->update();
}

std::vector<int> GateCurvesWindow::ChosenRows() const {
  std::vector<int> rows;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->checkState() == Qt::Checked) rows.push_back(i + 1);
  return rows;
}

void GateCurvesWindow::Choose(const std::vector<int>& rows) {
  for (int i = 0; i < list_->count(); ++i)
    list_->item(i)->setCheckState(std::find(rows.begin(), rows.end(), i + 1) != rows.end() ? Qt::Checked
                                                                                             : Qt::Unchecked);
}

bool GateCurvesWindow::Print() {
  PrintDialogChooser dialog;
  auto* scripted = dynamic_cast<PrinterChooser*>(&prompts_);
  PrinterChooser& chooser = scripted != nullptr ? *scripted : dialog;
  return PrintDrawing(this, windowTitle(), chooser, chart_->size(), [this](Device& d, int) { DrawOn(d); });
}

void GateCurvesWindow::Copy() {
  CopyDrawing(this, chart_->size(), kWhite, [this](Device& d) { DrawOn(d); }, QString());
}

bool GateCurvesWindow::Export(const QString& path, QString& error) {
  return SaveDrawing(path, chart_->size(), kWhite, [this](Device& d) { DrawOn(d); }, error);
}

void GateCurvesWindow::ExportAsked() {
  const QString path = prompts_.ExportFileName(QDir::current().filePath(QStringLiteral("gate-curves.png")),
                                               {QStringLiteral("PNG image (*.png)"),
                                                QStringLiteral("SVG drawing (*.svg)"),
                                                QStringLiteral("PDF document (*.pdf)")});
  if (path.isEmpty()) return;
  const QSize size = prompts_.PictureSize(chart_->size());
  if (!size.isValid()) return;  // cancelled
  if (size.width() < kLeastPictureSide || size.height() < kLeastPictureSide || size.width() > kGreatestPictureSide ||
      size.height() > kGreatestPictureSide) {
    prompts_.Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                  tr("Could not export the gate curves to %1: each side must be %2 to %3 pixels.")
                      .arg(QDir::toNativeSeparators(path))
                      .arg(kLeastPictureSide)
                      .arg(kGreatestPictureSide));
    return;
  }
  QString error;
  if (!SaveDrawing(path, size, kWhite, [this](Device& d) { DrawOn(d); }, error))
    prompts_.Warn(QString::fromLatin1(kShellCaption.data(), kShellCaption.size()),
                  tr("Could not export the gate curves to %1: %2.").arg(QDir::toNativeSeparators(path), error));
}

void GateCurvesWindow::changeEvent(QEvent* event) {
  // Coming back to the window: whatever changed the table or the
  // temperature meanwhile (Open, Undo, a lesson) shows.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) chart_->update();
  QWidget::changeEvent(event);
}

}  // namespace vantor::app
