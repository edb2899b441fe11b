// The menu bar built from the table, and the enabling rules in each state of
// the real window: idle, running, no picture, no gate table, extended mode.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "app/menu_table.h"
#include "app_test_support.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

class MenuStateTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

  static bool Enabled(MainWindow& w, int id) {
    w.UpdateMenuState();
    return w.Action(id)->isEnabled();
  }

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void menuBarFollowsTheTable() {
    TestWindow w;
    const QList<QAction*> menus = w->menuBar()->actions();
    QCOMPARE(menus.size(), 6);
    QCOMPARE(menus.first()->text(), QStringLiteral("&File"));
    QCOMPARE(menus.last()->text(), QStringLiteral("&Help"));
    // File: New, Open, Open Recent, Save, Save as, Revert to Saved,
    // separator, Print, Export Picture, Export Samples, Export NWB, Report,
    // separator, Exit.
    const QList<QAction*> file = menus.first()->menu()->actions();
    QCOMPARE(file.size(), 14);
    QVERIFY(file[2]->menu() != nullptr);
    QVERIFY(file[6]->isSeparator());
    QVERIFY(file[12]->isSeparator());
    QCOMPARE(file[8]->text(), QStringLiteral("&Export Picture..."));
    QCOMPARE(file[3]->text(), QStringLiteral("&Save\tCtrl+S"));
    QCOMPARE(file[3]->data().toInt(), 103);
    QCOMPARE(w->Action(cmd::Exit)->text(), QStringLiteral("E&xit\tAlt+X"));
    QCOMPARE(w->Action(cmd::SynapticCurrents)->text(), QStringLiteral("&Synaptic Currents...\tCtrl+H"));
    // The key-only commands have no item.
    QVERIFY(w->Action(cmd::Cut) == nullptr);
    QVERIFY(w->Action(cmd::Redo) == nullptr);
    QVERIFY(!CommandEnabled(cmd::Cut, w->CurrentMenuState()));
  }

  void acceleratorsNameTheTableCommands() {
    int bound = 0;
    for (const Accelerator& a : Accelerators()) {
      QVERIFY2(!QKeySequence(QString::fromLatin1(a.keys)).isEmpty(), a.keys);
      if (FindMenuItem(a.id) != nullptr) ++bound;
    }
    QCOMPARE(static_cast<int>(Accelerators().size()), 17);
    QCOMPARE(bound, 14);  // all but Ctrl+X, Shift+Del (201) and Ctrl+R (302)
  }

  // Every key a menu text shows is bound to that item's command.
  void everyShownKeyIsBound() {
    int shown = 0;
    for (const MenuItem& item : MenuItems()) {
      const QKeySequence key(QString::fromLatin1(ShownKey(item)));
      if (key.isEmpty()) continue;
      ++shown;
      bool bound = false;
      for (const auto& table : {Accelerators(), DesktopAccelerators()})
        for (const Accelerator& a : table)
          bound = bound || (a.id == item.id && QKeySequence(QString::fromLatin1(a.keys)) == key);
      QVERIFY2(bound, item.text);
    }
    QCOMPARE(shown, 14);
  }

  // The keys reach their commands in the shown window.
  void desktopKeysWork() {
    TestWindow w(QStringLiteral(VANTOR_BIN_DIR), ExampleFile("default.vt4"));
    QTRY_VERIFY_WITH_TIMEOUT(w->RunsStarted() == 1 && !w->Running(), 5000);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QApplication::clipboard()->clear();
    QTest::keyClick(w.window.get(), Qt::Key_Insert, Qt::ShiftModifier);
    QVERIFY(QApplication::clipboard()->mimeData() != nullptr);
    QVERIFY(!QApplication::clipboard()->mimeData()->formats().isEmpty());
    QTest::keyClick(w.window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.log->openDirectories.size(), 1);
    QTest::keyClick(w.window.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    QCOMPARE(w->Action(cmd::New)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QTest::keyClick(w.window.get(), Qt::Key_X, Qt::AltModifier);
    QVERIFY(!w->isVisible());
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QTest::keyClick(w.window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w->isVisible());
  }

  void idleWithoutPicture() {
    TestWindow w;
    QVERIFY(w->GateTableLoaded());
    QVERIFY(w->NoPicture());
    QVERIFY(Enabled(*w.window, cmd::Open));
    QVERIFY(Enabled(*w.window, cmd::Begin));
    QVERIFY(!Enabled(*w.window, cmd::Overlay));
    QVERIFY(!Enabled(*w.window, cmd::Copy));
    QVERIFY(!Enabled(*w.window, cmd::Stop));
    QVERIFY(Enabled(*w.window, cmd::Print));
    QVERIFY(Enabled(*w.window, cmd::ScreenScaling));  // extended mode is on at start-up
  }

  void idleWithPictureAndWhileRunning() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, 100000);
    bool seen = false;
    QTimer::singleShot(0, w.window.get(), [&] {
      QVERIFY(w->Running());
      QVERIFY(!Enabled(*w.window, cmd::Open));
      QVERIFY(!Enabled(*w.window, cmd::Begin));
      QVERIFY(!Enabled(*w.window, cmd::Overlay));
      QVERIFY(!Enabled(*w.window, cmd::Copy));
      QVERIFY(Enabled(*w.window, cmd::Stop));
      QVERIFY(Enabled(*w.window, cmd::Protocol));
      QVERIFY(Enabled(*w.window, cmd::New));
      seen = true;
      w->Dispatch(cmd::Stop);
    });
    w->Dispatch(cmd::Begin);
    QVERIFY(seen);
    w->Parameters().SetValue(param::TrialDuration, 100);
    w->Dispatch(cmd::Begin);
    QVERIFY(!w->NoPicture());
    QVERIFY(Enabled(*w.window, cmd::Overlay));
    QVERIFY(Enabled(*w.window, cmd::Copy));
    QVERIFY(!Enabled(*w.window, cmd::Stop));
  }

  void menuRulesApplyWhenAMenuOpens() {
    TestWindow w;
    w->Action(cmd::Begin)->setEnabled(false);
    auto* run = qobject_cast<QMenu*>(w->Action(cmd::Begin)->parent());
    QVERIFY(run != nullptr);
    emit run->aboutToShow();
    QVERIFY(w->Action(cmd::Begin)->isEnabled());
  }

  void missingGateTableDisablesOpenBeginAndOther() {
    QTemporaryDir data;
    TestWindow w(DataFolderWithout(data, {QStringLiteral("vmodels.val")}), QStringLiteral("deepsetup"));
    QVERIFY(!w->GateTableLoaded());
    QVERIFY(!w->ExtendedMode());
    QVERIFY(!Enabled(*w.window, cmd::Open));
    QVERIFY(!Enabled(*w.window, cmd::Begin));
    QVERIFY(!Enabled(*w.window, cmd::ScreenScaling));
    QVERIFY(!Enabled(*w.window, cmd::EditModel));
    QVERIFY(!Enabled(*w.window, cmd::MiscParameters));
    QVERIFY(Enabled(*w.window, cmd::Protocol));
    QVERIFY(!w.log->warnings.isEmpty());  // the reader said why
    // Keys and scripts reach no run either.
    w->Dispatch(cmd::Begin);
    w->CommandOpen();
    QCOMPARE(w->RunsStarted(), 0);
    QVERIFY(w.log->openDirectories.isEmpty());
  }

  void extendedModeFollowsStartupAndCommandLine() {
    QTemporaryDir data;
    const QString dir = DataFolderWithout(data, {});
    {
      TestWindow w(dir);
      QVERIFY(w->ExtendedMode());  // on at start-up
    }
    {
      TestWindow w(dir, QStringLiteral("DeepSetup"));
      QVERIFY(w->ExtendedMode());
      QVERIFY(w->FilePath().isEmpty());
      QCOMPARE(w->windowTitle(), QStringLiteral("VTWin - (untitled)"));
    }
    {
      TestWindow w(dir);
      w->SetExtendedMode(false);
      QVERIFY(!Enabled(*w.window, cmd::ScreenScaling));
      QVERIFY(!Enabled(*w.window, cmd::MiscParameters));
    }
  }
};

QTEST_MAIN(MenuStateTest)
#include "test_menu_state.moc"
