// The docks beside the picture: the run list follows the runs and shows,
// hides and removes them; the value cursor reads every shown trace of every
// shown run; the measures are the core's for the last run.
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/measures_panel.h"
#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app/run_list_panel.h"
#include "app/value_panel.h"
#include "app_test_support.h"
#include "device/painter_device.h"
#include "vantor/analysis/measured_run.h"
#include "vantor/render/palette.h"
#include "vantor/render/run_legend.h"
#include "vantor/text/number_format.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

namespace {

int CountColour(const QImage& image, uint32_t colourRef) {
  const QColor c = ColourFromRef(colourRef);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) <= 3 && std::abs(p.green() - c.green()) <= 3 &&
          std::abs(p.blue() - c.blue()) <= 3)
        ++count;
    }
  return count;
}

QString Cell(const ValuePanel* panel, const QString& row, int column) {
  QTableWidget* table = panel->Table();
  for (int r = 0; r < table->rowCount(); ++r)
    if (table->verticalHeaderItem(r)->text() == row) return table->item(r, column)->text();
  return QStringLiteral("<no row %1>").arg(row);
}

// Begin, then an overlay with twice the step current.
void TwoRuns(TestWindow& w) {
  w->Dispatch(cmd::Begin);
  w->Parameters().SetValue(param::InjectedCurrent, 2 * w->Parameters().Value(param::InjectedCurrent));
  w->Dispatch(cmd::Overlay);
  QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
}

}  // namespace

class RunPanelsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }
  void cleanup() { QCOMPARE(RecordFiles(), QStringList()); }

  void runListShowsHidesAndRemovesRuns() {
    TestWindow w;
    TwoRuns(w);
    w->Parameters().SetValue(param::StepOnset, w->Parameters().Value(param::StepOnset) + 20);
    w->Dispatch(cmd::Overlay);
    QTreeWidget* list = w->RunList()->List();
    QCOMPARE(list->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(list->topLevelItem(i)->text(0),
               QString::fromStdString(RunLegendText(w->RunRecords(), i, w->PictureParameters())));
    QVERIFY2(list->topLevelItem(1)->text(0).contains("Injected current"), qPrintable(list->topLevelItem(1)->text(0)));

    // Unticked: the run and its legend line leave the picture; ticked: back.
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(w->RunRecords().overlays[1].hidden);
    QCOMPARE(CountColour(w->View()->Image(), RunColour(1)), 0);
    QVERIFY(CountColour(w->View()->Image(), RunColour(2)) > 100);
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    QVERIFY(CountColour(w->View()->Image(), RunColour(1)) > 100);

    // Removing the first run deletes its record; the others close up.
    list->topLevelItem(0)->setSelected(true);
    QVERIFY(w->RunList()->RemoveButton()->isEnabled());
    w->RunList()->RemoveButton()->click();
    QCOMPARE(RecordFiles().size(), 2);
    QCOMPARE(list->topLevelItemCount(), 2);
    // Removing the current run makes the newest kept one current.
    const std::string kept = w->RunRecords().overlays[0].recordName;
    QVERIFY(w->RemovePictureRun(1));
    QCOMPARE(w->RunRecords().current.recordName, kept);
    QVERIFY(w->RunRecords().overlays.empty());
    // The only run stays: New or Begin take it away.
    QVERIFY(!w->RemovePictureRun(0));
    list->topLevelItem(0)->setSelected(true);
    QVERIFY(!w->RunList()->RemoveButton()->isEnabled());
    w->Dispatch(cmd::New);
    QCOMPARE(list->topLevelItemCount(), 0);
  }

  void cursorReadsEveryShownTraceOfEveryRun() {
    TestWindow w;
    w->Parameters().Trace(trace::IInj).plot = 1;  // I-Inj shown too
    TwoRuns(w);
    QVERIFY(!w->CursorTime());
    PictureView* view = w->View();
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(*w->CursorTime(), 0.0);
    const QString start = QString::fromStdString(FormatShort(w->PictureParameters().Value(param::StartingVm), 5));
    QCOMPARE(w->Values()->Table()->columnCount(), 2);
    QCOMPARE(Cell(w->Values(), "V-m (mV)", 0), start);
    QCOMPARE(Cell(w->Values(), "V-m (mV)", 1), start);

    // Inside the step: each run's own current.
    const float onset = w->PictureParameters().Value(param::StepOnset);
    const float step = w->PictureParameters().Value(param::InjectedCurrent);
    const float base = w->PictureParameters().Value(param::BaseCurrent);
    w->SetCursorTime(onset + 1);
    QCOMPARE(Cell(w->Values(), "I-Inj (nA)", 0), QString::fromStdString(FormatShort(base + step / 2, 5)));
    QCOMPARE(Cell(w->Values(), "I-Inj (nA)", 1), QString::fromStdString(FormatShort(base + step, 5)));
    QVERIFY(w->Values()->TimeText().startsWith("t = "));
    QVERIFY(view->CursorX().has_value());

    // The keys step it, the mouse places it; a hidden run leaves the table.
    const double before = *w->CursorTime();
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(*w->CursorTime() > before);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() / 3, view->height() / 2));
    const double clicked = *w->CursorTime();
    QVERIFY(clicked > 0 && clicked < w->PictureState().timeAxis);
    QVERIFY(w->SetRunShown(0, false));
    QCOMPARE(w->Values()->Table()->columnCount(), 1);
    QCOMPARE(*w->CursorTime(), clicked);
  }

  void measuresAreTheCoresForTheLastRun() {
    TestWindow w;
    TwoRuns(w);
    const MeasuredRun expected = MeasureTrial(w->PictureParameters(), w->Gates());
    QCOMPARE(expected.outcome, RunOutcome::Completed);
    QVERIFY(expected.measures.spikes > 0);
    const MeasuresPanel* panel = w->MeasuresOfLastRun();
    QVERIFY2(panel->Heading().startsWith("Run 2"), qPrintable(panel->Heading()));
    for (const char* key : {"spikes", "rate_hz", "latency_ms", "isi_mean_ms", "class"}) {
      MeasureId id;
      QVERIFY2(FindMeasure(key, id), key);
      QCOMPARE(panel->ValueText(key), MeasureText(expected.measures, id));
    }
    // The last run removed: the one before it is measured.
    QVERIFY(w->RemovePictureRun(1));
    QVERIFY2(panel->Heading().startsWith("Run 1"), qPrintable(panel->Heading()));
  }
};

QTEST_MAIN(RunPanelsTest)
#include "test_run_panels.moc"
