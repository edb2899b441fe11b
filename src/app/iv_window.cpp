#include "app/iv_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/print_copy.h"
#include "device/painter_device.h"
#include "vantor/analysis/clamp_curves.h"

namespace vantor::app {
namespace {

// Where a segment ends: its offset, or a train's last pulse.
double SegmentEnd(const Segment& s) {
  if (s.kind == SegmentKind::Train) return s.onset + (s.count - 1) * s.interval + s.width;
  if (s.kind == SegmentKind::Waveform) return s.times.empty() ? s.onset : s.onset + s.times.back();
  return s.offset;
}

class ChartView : public QWidget {
 public:
  ChartView(const IvChart& chart, QWidget* parent) : QWidget(parent), chart_(chart) {
    setMinimumSize(640, 320);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  QSize sizeHint() const override { return {960, 480}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PainterDevice device(painter, width(), height());
    DrawIvChart(device, chart_);
    device.Flush();
  }

 private:
  const IvChart& chart_;
};

QString Number(double v) { return QString::number(v, 'g', 6); }

}  // namespace

IvChart FamilyCurves(const Stimulus& stimulus, const std::vector<ClampRun>& runs, double trial) {
  IvChart chart;
  if (!stimulus.family) return chart;
  const Family& family = *stimulus.family;
  double from = 0, to = trial;
  const auto& segments = stimulus.segments;
  if (family.target >= 1 && family.target <= static_cast<int>(segments.size())) {
    const Segment& varied = segments[family.target - 1];
    from = varied.onset, to = SegmentEnd(varied);
    // A step starting where the varied one ends (or later) is its test step.
    const Segment* test = nullptr;
    for (const Segment& s : segments)
      if (&s != &varied && s.kind == SegmentKind::Step && s.onset >= to - 1e-9 &&
          (test == nullptr || s.onset < test->onset))
        test = &s;
    if (test != nullptr) {
      chart.inactivation = true;
      from = test->onset, to = test->offset;
    }
  } else if (family.target == Family::kHolding && !segments.empty()) {
    from = segments.front().onset, to = SegmentEnd(segments.front());
  }
  for (std::size_t i = 0; i < runs.size() && i < family.values.size(); ++i) {
    const double value = family.values[i];
    chart.levels.push_back(family.target == Family::kHolding ? value : stimulus.holding + value);
    StepCurrents c;
    const bool measured = MeasureStep(runs[i].times, runs[i].currents, from, to, c);
    chart.peaks.push_back(measured ? c.peak : NAN);
    chart.steadies.push_back(measured ? c.steady : NAN);
  }
  if (chart.inactivation) chart.steadies.clear();
  // The fit through the levels where a peak was measured.
  std::vector<double> levels, peaks;
  for (std::size_t i = 0; i < chart.levels.size(); ++i)
    if (std::isfinite(chart.peaks[i])) levels.push_back(chart.levels[i]), peaks.push_back(chart.peaks[i]);
  chart.fit = chart.inactivation ? FitInactivation(levels, peaks) : FitActivation(levels, peaks);
  return chart;
}

IvWindow::IvWindow(IvChart chart, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window), chart_(std::move(chart)), title_(title) {
  setObjectName(QStringLiteral("IvWindow"));
  setWindowTitle(title);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  view_ = new ChartView(chart_, this);
  layout->addWidget(view_, 1);
  fitLine_ = new QLabel(this);
  fitLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  const BoltzmannFit& f = chart_.fit;
  fitLine_->setText(!f.ok ? tr("No fit: %1").arg(QString::fromStdString(f.error))
                    : chart_.inactivation
                        ? tr("Inactivation fit of the peak test current: V1/2 %1 mV, slope factor %2 mV, "
                             "Imax %3 nA, residual %4 nA (RMS)")
                              .arg(Number(f.vHalf), Number(f.slope), Number(f.scale), Number(f.residual))
                        : tr("Activation fit of the peak current: V1/2 %1 mV, slope factor %2 mV, gmax %3 uS, "
                             "reversal %4 mV, residual %5 nA (RMS)")
                              .arg(Number(f.vHalf), Number(f.slope), Number(f.scale), Number(f.reversal),
                                   Number(f.residual)));
  layout->addWidget(fitLine_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* print = new QPushButton(tr("&Print..."), this);
  auto* copy = new QPushButton(tr("&Copy"), this);
  auto* close = new QPushButton(tr("Close"), this);
  print->setObjectName(QStringLiteral("print"));
  copy->setObjectName(QStringLiteral("copy"));
  for (QPushButton* b : {print, copy, close}) row->addWidget(b);
  layout->addLayout(row);
  connect(print, &QPushButton::clicked, this, [this] {
    PrintDialogChooser chooser;
    Print(chooser);
  });
  connect(copy, &QPushButton::clicked, this, &IvWindow::Copy);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  resize(980, 560);
}

QString IvWindow::TableText() const {
  QString text = chart_.inactivation ? QStringLiteral("prepulse (mV)\tpeak test current (nA)\n")
                                     : QStringLiteral("level (mV)\tpeak (nA)\tsteady-state (nA)\n");
  for (std::size_t i = 0; i < chart_.levels.size(); ++i) {
    text += Number(chart_.levels[i]) + QLatin1Char('\t') + Number(chart_.peaks[i]);
    if (i < chart_.steadies.size()) text += QLatin1Char('\t') + Number(chart_.steadies[i]);
    text += QLatin1Char('\n');
  }
  return text + fitLine_->text() + QLatin1Char('\n');
}

bool IvWindow::Print(PrinterChooser& chooser) {
  return PrintChart(this, [this](Device& d) { DrawIvChart(d, chart_); }, title_, chooser, view_->size());
}

void IvWindow::Copy() {
  CopyChartToClipboard([this](Device& d) { DrawIvChart(d, chart_); }, view_->size(), TableText());
}

}  // namespace vantor::app
