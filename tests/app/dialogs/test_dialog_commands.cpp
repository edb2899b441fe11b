// The dialogs and editors opened through the main window's commands, with
// the effects the window gives them.
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QTest>
#include <QScrollBar>
#include <QTextBrowser>

#include "app/app_test_support.h"
#include "app/dialogs/layout_editor.h"
#include "app/dialogs/model_editor.h"
#include "app/dialogs/window_dialogs.h"
#include "app/help_window.h"
#include "app/data_paths.h"
#include "app/menu_table.h"
#include "app/picture_view.h"
#include "vantor/render/palette.h"
#include "vantor/render/run_record.h"

using namespace vantor;
using namespace vantor::testing;
namespace cmd = vantor::app::cmd;

namespace {

int CountColour(const QImage& image, uint32_t ref, QRect area) {
  const QColor want = ColourFromRef(ref);
  int n = 0;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
              std::abs(c.blue() - want.blue()) < 40)
        ++n;
    }
  return n;
}

// The help window, whether the main window owns it as a child or not.
app::HelpWindow* VisibleHelpWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* help = qobject_cast<app::HelpWindow*>(w); help != nullptr && help->isVisible())
      return help;
  return nullptr;
}

std::vector<RunSample> CurrentSamples(app::MainWindow& w) {
  return ReadRunRecord(w.RunRecords().current.recordName).value_or(std::vector<RunSample>{});
}

}  // namespace

class DialogCommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void everyCommandOpensItsDialog() {
    TestWindow w;
    const std::pair<int, const char*> commands[] = {
        {cmd::Comment, "COMMENT"},          {cmd::Protocol, "PROTOCOL"},
        {cmd::Conductances, "CONDUCTANCES"}, {cmd::SynapticCurrents, "SYNAPSES2"},
        {cmd::Ions, "IONS"},                 {cmd::MiscParameters, "EXTRA"},
        {cmd::ScreenScaling, "LAYOUT"},      {cmd::EditModel, "MODEL"},
        {cmd::Preferences, "PREFERENCES"},   {cmd::About, "ABOUTBOX"}};
    const ParameterSet before = w->Parameters();
    for (const auto& [id, name] : commands) {
      QString opened;
      QVERIFY2(WithDialog(*w.window, id, [&](QDialog* d) { opened = d->objectName(); }), name);
      QCOMPARE(opened, QString::fromLatin1(name));
    }
    QVERIFY(w->Parameters() == before);
    QVERIFY(!w->Unsaved());
  }

  void protocolShowsRefusesAndStores() {
    TestWindow w;
    QVERIFY(WithDialog(*w.window, cmd::Protocol, [&](QDialog* d) {
      QCOMPARE(FieldOf(d, 0)->text(), QStringLiteral("80"));
      QCOMPARE(FieldOf(d, 15)->text(), QStringLiteral("-65"));
      FieldOf(d, 0)->setText("0.5");
      FieldOf(d, 4)->setText("3");
      QString caption, text;
      CaptureMessageBox(&caption, &text);
      Button(d, 1)->click();
      QCOMPARE(caption, QStringLiteral("Bad Parameter"));
      QCOMPARE(text, QStringLiteral("The value for Trial duration  is out of range. "
                                    "It must be between 1 and 1000000!"));
      QVERIFY(d->isVisible());
      QCOMPARE(d->focusWidget(), FieldOf(d, 0));
      QCOMPARE(FieldOf(d, 0)->selectedText(), QStringLiteral("0.5"));
      QCOMPARE(w->Parameters().Value(param::InjectedCurrent), 2.0f);  // nothing stored
      // Exactly the limits from the shipped limits file are accepted.
      FieldOf(d, 0)->setText(QString::number(w->Parameters().Minimum(0)));
      FieldOf(d, 1)->setText(QString::number(w->Parameters().Maximum(1)));
      Button(d, 1)->click();
      QVERIFY(!d->isVisible());
    }));
    QCOMPARE(w->Parameters().Value(0), w->Parameters().Minimum(0));
    QCOMPARE(w->Parameters().Value(1), w->Parameters().Maximum(1));
    QCOMPARE(w->Parameters().Value(param::InjectedCurrent), 3.0f);
    QVERIFY(w->Unsaved());
  }

  void okWithoutChangesAndTrailingZerosLeaveTheFlag() {
    TestWindow w;
    w->Parameters().SetValue(param::InjectedCurrent, 2.5f);
    for (int id : {cmd::Protocol, cmd::Conductances, cmd::SynapticCurrents, cmd::Ions}) {
      QVERIFY(WithDialog(*w.window, id, [&](QDialog* d) {
        if (id == cmd::Protocol) {
          QCOMPARE(FieldOf(d, 4)->text(), QStringLiteral("2.5"));
          FieldOf(d, 4)->setText("2.50");
        }
        Button(d, 1)->click();
        QVERIFY(!d->isVisible());
      }));
      QVERIFY(!w->Unsaved());
    }
    // The comment's letter case alone is a change.
    QVERIFY(WithDialog(*w.window, cmd::Comment, [&](QDialog* d) {
      auto* field = d->findChild<QLineEdit*>("890");
      field->setText(field->text().toUpper());
      Button(d, 1)->click();
    }));
    QVERIFY(w->Unsaved());
    QCOMPARE(w->Parameters().Comment(), std::string("TRAIN OF ACTION POTENTIALS"));
  }

  void synapticCurrentsFollowExtendedMode() {
    TestWindow w;
    QVERIFY(w->ExtendedMode());
    int fields = 0;
    QString title;
    QVERIFY(WithDialog(*w.window, cmd::SynapticCurrents, [&](QDialog* d) {
      fields = FieldCount(d);
      title = d->windowTitle();
    }));
    QCOMPARE(fields, 14);
    QCOMPARE(title, QStringLiteral("Synaptic Currents"));
    w->SetExtendedMode(false);
    QVERIFY(WithDialog(*w.window, cmd::SynapticCurrents, [&](QDialog* d) {
      fields = FieldCount(d);
      FieldOf(d, 17)->setText("0.01");  // the same parameter in both
      Button(d, 1)->click();
    }));
    QCOMPARE(fields, 4);
    QCOMPARE(w->Parameters().Value(param::gIPSP), 0.01f);
  }

  void helpOpensTheGroupTopicWhileTheDialogStaysOpen() {
    TestWindow w;
    // Each dialog's Help scrolls the help page to that dialog's topic: the
    // topics stand in the order of their context numbers.
    int previous = -1;
    for (int id : {cmd::Protocol, cmd::Conductances, cmd::Ions, cmd::MiscParameters}) {
      QVERIFY(WithDialog(*w.window, id, [&](QDialog* d) {
        Button(d, 777)->click();
        QVERIFY(d->isVisible());
      }));
      app::HelpWindow* help = VisibleHelpWindow();
      QVERIFY(help != nullptr);
      QCoreApplication::processEvents();
      const int at = help->Browser()->verticalScrollBar()->value();
      QVERIFY2(at > previous, qPrintable(QString::number(id)));
      previous = at;
    }
  }

  void layoutPlotSwitchHidesATraceInTheNextRedraw() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    QVERIFY(!w->NoPicture());
    const QImage before = w->View()->Image().copy();
    // The I-Inj band: the scale arrow and label right of the traces, low down.
    const QRect band(before.width() * 3 / 4, before.height() * 3 / 4, before.width() / 4,
                     before.height() / 4);
    QVERIFY(CountColour(before, RunColour(0), band) > 20);
    QVERIFY(WithDialog(*w.window, cmd::ScreenScaling, [&](QDialog* d) {
      auto* plot = d->findChild<QCheckBox*>("1002");
      QVERIFY(plot->isChecked());
      plot->setChecked(false);
      Button(d, 1)->click();
    }));
    QCOMPARE(w->Parameters().Trace(trace::IInj).plot, 0.0f);
    QVERIFY(w->Unsaved());
    QCoreApplication::processEvents();
    const QImage after = w->View()->Image();
    after.save("/tmp/vantor-layout-after.png");
    QCOMPARE(CountColour(after, RunColour(0), band), 0);
    QVERIFY(CountColour(after, RunColour(0), after.rect()) > 200);  // V-m is still there
  }

  void modelChangeIsUsedByTheNextRunAndNotSaved() {
    TestWindow w;
    w.prompts->saveNames = {work_.filePath("before.vt4"), work_.filePath("after.vt4")};
    QVERIFY(w->CommandSaveAs());
    w->Dispatch(cmd::Begin);
    const std::vector<RunSample> first = CurrentSamples(*w.window);
    QVERIFY(!first.empty());
    const float old = w->Gates().Coefficient(gate::mNa, 1);
    QVERIFY(WithDialog(*w.window, cmd::EditModel, [&](QDialog* d) {
      auto* field = d->findChild<QLineEdit*>("1102");  // mNa.B
      QCOMPARE(field->text().toFloat(), old);
      field->setText(QString::number(old - 10));
      Button(d, 1)->click();
    }));
    QCOMPARE(w->Gates().Coefficient(gate::mNa, 1), old - 10);
    QVERIFY(!w->Unsaved());
    w->Dispatch(cmd::Begin);
    const std::vector<RunSample> second = CurrentSamples(*w.window);
    QVERIFY(!second.empty());
    bool differ = first.size() != second.size();
    for (std::size_t i = 0; !differ && i < first.size(); ++i) differ = first[i][1] != second[i][1];
    QVERIFY(differ);  // the membrane potential of the new run is another
    QVERIFY(w->CommandSaveAs());
    QFile a(work_.filePath("before.vt4")), b(work_.filePath("after.vt4"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());
  }

  void modelTableSavesWithoutOverwritingTheShippedFileAndExitAsks() {
    QTemporaryDir data;
    const QString folder = DataFolderWithout(data, {});
    const QString shipped = folder + "vmodels.val";
    QFile original(shipped);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    TestWindow w(folder);
    QVERIFY(w->GateTableLoaded());
    const float old = w->Gates().Coefficient(gate::mK, 1);
    const QString mine = work_.filePath("mine.val");
    // Save on the shipped file asks; Cancel writes nothing, No asks for a name.
    w.prompts->saveAnswers = {app::SaveAnswer::Cancel, app::SaveAnswer::No};
    w.prompts->exportNames = {mine};
    QVERIFY(WithDialog(*w.window, cmd::EditModel, [&](QDialog* d) {
      d->findChild<QLineEdit*>("1302")->setText(QString::number(old + 1));  // mK.B
      Button(d, 787)->click();
      Button(d, 787)->click();
      d->findChild<QLineEdit*>("1302")->setText(QString::number(old + 2));
      Button(d, 1)->click();
    }));
    QCOMPARE(w.log->saveQuestions.size(), 2);
    QVERIFY(w.log->saveQuestions[0].contains("came with the program"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), before);
    original.close();
    GateTable back;
    CollectedMessages said;
    QVERIFY(LoadGateTable(QFile::encodeName(mine).toStdString(), back, said));
    QCOMPARE(back.Coefficient(gate::mK, 1), old + 1);
    QCOMPARE(w->GateFile(), mine);
    QCOMPARE(w->Gates().Coefficient(gate::mK, 1), old + 2);
    QVERIFY(w->GateTableUnsaved());
    // Revert brings the file's coefficient back into the cell.
    QVERIFY(WithDialog(*w.window, cmd::EditModel, [&](QDialog* d) {
      Button(d, 785)->click();
      QCOMPARE(d->findChild<QLineEdit*>("1302")->text().toFloat(), old + 1);
      Button(d, 1)->click();
    }));
    QVERIFY(!w->GateTableUnsaved());
    w->Gates().SetCoefficient(gate::mK, 1, old + 3);
    // Exit asks; Cancel keeps the window, Yes saves to the table's own file.
    w.prompts->saveAnswers = {app::SaveAnswer::Cancel, app::SaveAnswer::Yes};
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QVERIFY(w.log->saveQuestions.last().contains("gate table in mine.val"));
    // Save as onto a device or a folder is refused with a box.
    w.prompts->exportNames = {"/dev/null", work_.path()};
    QVERIFY(!w->SaveGates(w->Gates(), true));
    QVERIFY(!w->SaveGates(w->Gates(), true));
    QVERIFY(w.log->warnings.last().contains("not a plain file"));
    QCOMPARE(w->GateFile(), mine);
    QVERIFY(w->close());
    QVERIFY(LoadGateTable(QFile::encodeName(mine).toStdString(), back, said));
    QCOMPARE(back.Coefficient(gate::mK, 1), old + 3);
  }

  void preferencesSaveAndTheExtendedModeColour() {
    TestWindow w;
    const QString userFile = app::UserPreferencesFile();
    QVERIFY(!userFile.isEmpty());
    QFile::remove(userFile);
    w->SetExtendedMode(false);
    QVERIFY(WithDialog(*w.window, cmd::Preferences, [&](QDialog* d) {
      WhenModal("QColorDialog", [](QWidget* c) {
        static_cast<QColorDialog*>(c)->setCurrentColor(QColor(0xC0, 0xA0, 0x40));
        static_cast<QColorDialog*>(c)->accept();
      });
      Button(d, 1007)->click();
      Button(d, 787)->click();  // Save
      QVERIFY(d->isVisible());
      Button(d, 1)->click();
    }));
    QCOMPARE(w->Prefs().values[Preferences::BackgroundColour], 0x40A0C0);
    QVERIFY(w->ExtendedMode());
    // Saved with the user's settings, not in the folder the program started in.
    QVERIFY(!QFile::exists("VANTORW.INI"));
    QFile ini(userFile);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "\"" + QFile::encodeName(userFile) + "\"\n255 \n65280 \n16711680 \n16711935 \n16776960 \n65535 \n32639 \n"
        "4235456 \n" + QByteArray::number(w->Prefs().values[8]) + " \n0 \n";
    QCOMPARE(ini.readAll(), expected);
    {
      // The next start takes the saved colours up.
      TestWindow again;
      QCOMPARE(again->Prefs().values[Preferences::BackgroundColour], 0x40A0C0);
    }
    // Away from that colour, extended mode goes off again.
    QVERIFY(WithDialog(*w.window, cmd::Preferences, [&](QDialog* d) {
      WhenModal("QColorDialog", [](QWidget* c) {
        static_cast<QColorDialog*>(c)->setCurrentColor(Qt::white);
        static_cast<QColorDialog*>(c)->accept();
      });
      Button(d, 1007)->click();
      Button(d, 1)->click();
    }));
    QVERIFY(!w->ExtendedMode());
    QFile::remove(userFile);
  }
};

QTEST_MAIN(DialogCommandsTest)
#include "test_dialog_commands.moc"
