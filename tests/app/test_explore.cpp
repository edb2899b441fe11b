// The explorer: sliders over the parameters' limits whose steps run the cell
// on a worker thread, keep the picture until the new run is drawn, and let
// a newer step replace one still waiting.
#include <QComboBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app/explorer_panel.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app_test_support.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

class ExploreTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

  // Waits (on the signal, never on the clock) until the explorer is idle.
  static bool Settle(MainWindow& w, QSignalSpy& shown) {
    while (w.ExploreBusy())
      if (!shown.wait(30000)) return false;
    QCoreApplication::processEvents();
    return true;
  }

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }
  void cleanup() { QCOMPARE(RecordFiles(), QStringList()); }

  void slidersStartWithTheConductancesAndTheStep() {
    TestWindow w;
    ExplorerPanel* panel = w->Explorer();
    QVERIFY(panel != nullptr);
    std::vector<int> want = ParameterSet::Group(1).members;
    want.push_back(param::InjectedCurrent);
    std::sort(want.begin(), want.end());
    QCOMPARE(panel->Parameters(), want);
    const ParameterSet& p = w->Parameters();
    for (int k : want) {
      QCOMPARE(panel->ValueAt(k, 0), p.Minimum(k));
      QCOMPARE(panel->ValueAt(k, ExplorerPanel::kSteps), p.Maximum(k));
      QCOMPARE(panel->Slider(k)->value(), panel->StepOf(k, p.Value(k)));
    }
    // Any other parameter can have one; it goes again with its button.
    const int index = panel->Picker()->findData(int(param::Temperature));
    QVERIFY(index > 0);
    panel->Picker()->activated(index);
    QVERIFY(panel->Slider(param::Temperature) != nullptr);
    QCOMPARE(panel->Picker()->findData(int(param::Temperature)), -1);
    panel->RemoveSlider(param::Temperature);
    QVERIFY(panel->Slider(param::Temperature) == nullptr);
    // A dialog's change shows on the slider.
    w->Parameters().SetValue(param::gNa, p.Maximum(param::gNa));
    w->UpdateMenuState();
    QCOMPARE(panel->Slider(param::gNa)->value(), ExplorerPanel::kSteps);
  }

  void aStepRedrawsAfterItsRunAndANewerOneReplacesAWaitingOne() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    const int runs = w->RunsStarted();
    QSignalSpy shown(w.window.get(), &MainWindow::ExploredPictureShown);
    ExplorerPanel* panel = w->Explorer();
    QSlider* slider = panel->Slider(param::InjectedCurrent);
    const QImage before = w->View()->Image().copy();
    const int start = slider->value();
    slider->setValue(start + 40);
    // The picture stands until the new run is drawn.
    QCOMPARE(w->View()->Image(), before);
    slider->setValue(start + 80);  // waits behind the first
    slider->setValue(start + 120);  // replaces the one waiting
    const float last = panel->ValueAt(param::InjectedCurrent, start + 120);
    QCOMPARE(w->Parameters().Value(param::InjectedCurrent), last);
    QVERIFY(w->Unsaved());
    QVERIFY(Settle(*w.window, shown));
    QCOMPARE(shown.count(), 2);
    QCOMPARE(w->PictureParameters().Value(param::InjectedCurrent), last);
    QVERIFY(w->View()->Image() != before);
    QCOMPARE(w->RunsStarted(), runs);
    QVERIFY(w->LastExploreMs() >= 0);
    QCOMPARE(RecordFiles().size(), 1);  // the run it replaced left no record behind
    // Undo takes the drag back.
    w->Dispatch(cmd::Undo);
    QVERIFY(w->Parameters().Value(param::InjectedCurrent) != last);

    // A trial whose record would be huge is not run at every step.
    w->Parameters().SetValue(param::TrialDuration, w->Parameters().Maximum(param::TrialDuration));
    slider->setValue(start + 20);
    QVERIFY(!w->ExploreBusy());
    w->Parameters().SetValue(param::TrialDuration, w->PictureParameters().Value(param::TrialDuration));

    // A run of the window takes over from a step still going.
    slider->setValue(start);
    w->Dispatch(cmd::Begin);
    QCoreApplication::processEvents();
    QVERIFY(!w->ExploreBusy());
    QCOMPARE(shown.count(), 2);
    QCOMPARE(RecordFiles().size(), 1);
  }
};

QTEST_MAIN(ExploreTest)
#include "test_explore.moc"
