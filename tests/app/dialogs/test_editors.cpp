// The Layout Editor, the Model Editor and the Preferences dialog on their
// own, and every dialog's size against a small screen.
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

#include "app/dialogs/about_box.h"
#include "app/dialogs/comment_dialog.h"
#include "app/dialogs/layout_editor.h"
#include "app/dialogs/model_editor.h"
#include "app/dialogs/parameter_dialog.h"
#include "app/dialogs/preferences_dialog.h"
#include "app/dialogs/modal_helpers.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/params/preferences.h"

using namespace vantor;
using vantor::testing::Button;
using vantor::testing::CaptureMessageBox;
using vantor::testing::WhenModal;

namespace {

std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Chooses `colour` in the next colour chooser, or cancels it.
void AnswerColourChooser(QColor colour, bool confirm, QColor* initial = nullptr,
                         QColor* firstCustom = nullptr) {
  WhenModal("QColorDialog", [=](QWidget* w) {
    auto* chooser = static_cast<QColorDialog*>(w);
    if (initial != nullptr) *initial = chooser->currentColor();
    if (firstCustom != nullptr) *firstCustom = QColorDialog::customColor(0);
    chooser->setCurrentColor(colour);
    if (confirm)
      chooser->accept();
    else
      chooser->reject();
  });
}

}  // namespace

class EditorsTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutEditorShowsAndStoresTheTraceTable() {
    ParameterSet params;
    bool unsaved = false;
    LayoutEditor editor(params, unsaved, nullptr);
    QCOMPARE(editor.windowTitle(), QStringLiteral("Layout Editor"));
    QCOMPARE(editor.MaximumField(0)->text(), QStringLiteral("20"));
    QCOMPARE(editor.MinimumField(0)->text(), QStringLiteral("-100"));
    QCOMPARE(editor.PercentField()->text(), QStringLiteral("75"));
    QCOMPARE(editor.MaximumField(17)->text(), QStringLiteral("5e-3"));  // the formatter's short form
    QCOMPARE(editor.findChild<QLineEdit*>("20200")->text(), QStringLiteral("-5"));  // I-Inj minimum
    QVERIFY(editor.PlotBox(1)->isChecked());
    QVERIFY(!editor.PlotBox(2)->isChecked());
    QVERIFY(editor.CondBox(9)->isChecked());    // I-Na shows its conductance
    QVERIFY(editor.CondBox(3) == nullptr);      // no Cond? outside rows 4 .. 17
    QVERIFY(editor.CondBox(18) == nullptr);
    QVERIFY(editor.PlotBox(0) == nullptr);
    QCOMPARE(editor.findChild<QCheckBox*>("1002")->accessibleName(), QStringLiteral("I-Inj (nA) Plot?"));

    // OK without changes changes nothing.
    editor.accept();
    QVERIFY(!unsaved);

    LayoutEditor edit(params, unsaved, nullptr);
    edit.PlotBox(1)->setChecked(false);
    QVERIFY(edit.Notes()->text().isEmpty());
    edit.MinimumField(3)->setText("7");  // above its maximum of 3: stored as entered, with a note
    QCOMPARE(edit.Notes()->text(),
             QStringLiteral("[Ca++]-i (µM): the Maximum is below the Minimum, so the trace is drawn upside down."));
    QCOMPARE(edit.CondUnit(16)->text(), QStringLiteral("µS"));
    edit.CondBox(16)->setChecked(false);
    QCOMPARE(edit.CondUnit(16)->text(), QString());
    edit.PercentField()->setText("60");
    edit.accept();
    QVERIFY(unsaved);
    QCOMPARE(params.Trace(1).plot, 0.0f);
    QCOMPARE(params.Trace(3).minimum, 7.0f);
    QCOMPARE(params.Trace(16).cond, 0);
    QCOMPARE(params.Trace(0).plot, 60.0f);
  }

  // A scale without height and a V-m share beyond the page are refused by name.
  void layoutEditorRefusesEqualBoundsAndSharesOffThePage() {
    ParameterSet params;
    const ParameterSet before = params;
    bool unsaved = false;
    LayoutEditor editor(params, unsaved, nullptr);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    editor.MinimumField(9)->setText("0");  // I-Na's maximum is 0
    QString text;
    CaptureMessageBox(nullptr, &text);
    Button(&editor, 1)->click();
    QCOMPARE(text, QStringLiteral("Maximum and Minimum of I-Na (nA) are the same, which leaves the "
                                  "trace no height. Please enter two different numbers!"));
    QCOMPARE(editor.focusWidget(), editor.MaximumField(9));
    editor.MinimumField(9)->setText("-50");
    for (const char* share : {"250", "-1"}) {
      editor.PercentField()->setText(QString::fromLatin1(share));
      text.clear();
      CaptureMessageBox(nullptr, &text);
      Button(&editor, 1)->click();
      QCOMPARE(text, QStringLiteral("The value for Plot? of V-m (mV) is the share of the page in per "
                                    "cent. Please enter a number from 0 to 100!"));
      QCOMPARE(editor.focusWidget(), editor.PercentField());
    }
    QVERIFY(params == before);
    QVERIFY(!unsaved);
  }

  void layoutEditorRefusesTextThatIsNoNumber() {
    ParameterSet params;
    const ParameterSet before = params;
    bool unsaved = false;
    LayoutEditor editor(params, unsaved, nullptr);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    editor.PlotBox(1)->setChecked(false);
    editor.MaximumField(5)->setText("lots");
    QString caption, text;
    CaptureMessageBox(&caption, &text);
    Button(&editor, 1)->click();
    QCOMPARE(caption, QStringLiteral("Bad Parameter"));
    QCOMPARE(text, QStringLiteral("The value for Maximum of I-H (nA) is not a number. "
                                  "Please enter a number!"));
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.focusWidget(), editor.MaximumField(5));
    QCOMPARE(editor.MaximumField(5)->selectedText(), QStringLiteral("lots"));
    QVERIFY(params == before);
    QVERIFY(!unsaved);
    // A scale beyond the float range is refused too.
    editor.MaximumField(5)->setText("0.4");
    editor.MinimumField(20)->setText("-1e39");
    CaptureMessageBox(nullptr, &text);
    Button(&editor, 1)->click();
    QCOMPARE(text, QStringLiteral("The value for Minimum of g-3 (O) is too large. "
                                  "Please enter a smaller number!"));
    QCOMPARE(editor.focusWidget(), editor.MinimumField(20));
    QVERIFY(params == before);
    editor.reject();
    QVERIFY(params == before);
  }

  void tabFollowsTheRowsOfBothEditors() {
    ParameterSet params;
    GateTable gates;
    bool unsaved = false;
    auto visit = [](QDialog& d, int steps) {
      d.show();
      QVERIFY(QTest::qWaitForWindowActive(&d));
      QStringList seen;
      for (int i = 0; i < steps; ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      d.setProperty("seen", seen);
    };
    LayoutEditor layout(params, unsaved, nullptr);
    visit(layout, 12);
    QCOMPARE(layout.property("seen").toStringList(),
             QStringList({"10100", "20100", "30100", "10200", "20200", "1002", "10300", "20300",
                          "1003", "10400", "20400", "1004"}));
    ModelEditor model(gates, nullptr);
    visit(model, 10);
    QCOMPARE(model.property("seen").toStringList(),
             QStringList({"1101", "1102", "1103", "1104", "1105", "1106", "1107", "1108", "1201",
                          "1202"}));
  }

  void modelEditorRefusesEachBadCellAndAppliesNothing() {
    GateTable gates;
    gates.SetCoefficient(1, 0, 0.1f);
    gates.SetCoefficient(17, 7, -2.5f);
    ModelEditor editor(gates, nullptr);
    editor.show();
    QCOMPARE(editor.windowTitle(), QStringLiteral("Model Editor"));
    QCOMPARE(editor.findChild<QLineEdit*>("1101")->text(), QStringLiteral("0.1"));
    QCOMPARE(editor.Field(17, 7), editor.findChild<QLineEdit*>("2708"));
    editor.Field(1, 0)->setText("abc");
    editor.Field(2, 4)->setText("1e400");
    editor.Field(17, 7)->setText("4.25");  // valid, but not applied beside refused cells
    QString caption, text;
    CaptureMessageBox(&caption, &text);
    editor.accept();
    QCOMPARE(caption, QStringLiteral("Bad Parameter"));
    QVERIFY2(text.contains("Row 1 (mNa), column A: \"abc\" is not a number"), qPrintable(text));
    QVERIFY2(text.contains("Row 2 (hNa), column E: \"1e400\""), qPrintable(text));
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Rejected));
    QCOMPARE(gates.Coefficient(17, 7), -2.5f);
    QCOMPARE(gates.Coefficient(1, 0), 0.1f);
    editor.Field(1, 0)->setText("1e-3");
    editor.Field(2, 4)->setText("7");
    editor.accept();
    QCOMPARE(gates.Coefficient(1, 0), 0.001f);
    QCOMPARE(gates.Coefficient(17, 7), 4.25f);

    // Closing with typed changes asks first; Cancel in that box keeps the editor.
    ModelEditor cancelled(gates, nullptr);
    cancelled.show();
    cancelled.Field(17, 7)->setText("9");
    WhenModal("QMessageBox", [](QWidget* w) { static_cast<QMessageBox*>(w)->reject(); });
    cancelled.reject();
    QVERIFY(cancelled.isVisible());
    WhenModal("QMessageBox", [](QWidget* w) {
      static_cast<QMessageBox*>(w)->button(QMessageBox::Discard)->click();
    });
    cancelled.reject();
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(gates.Coefficient(17, 7), 4.25f);
  }

  void modelEditorLegendFollowsTheRowAndHelpOpens() {
    GateTable gates;
    bool helped = false;
    ModelEditorHooks hooks;
    hooks.help = [&] { helped = true; };
    ModelEditor editor(gates, nullptr, hooks);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QVERIFY(editor.Legend()->text().startsWith("mNa: "));
    editor.Field(17, 3)->setFocus();
    QVERIFY(editor.Legend()->text().startsWith("GABAb: "));
    QVERIFY(editor.Legend()->text().contains("C and D decays"));
    for (int r = 1; r <= kGateRowCount; ++r) QVERIFY(!editor.Field(r, 0)->toolTip().isEmpty());
    Button(&editor, 777)->click();
    QVERIFY(helped);
    QVERIFY(!Button(&editor, 787)->isEnabled());  // nowhere to save to
  }

  void preferencesChooseColoursOnAPrivateCopy() {
    Preferences prefs;
    CollectedMessages messages;
    PreferencesDialog dialog(prefs, messages, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Color and CGM File Preferences"));
    QCOMPARE(dialog.Button(7)->Colour(), 0xFFFFFFu);
    QVERIFY(!dialog.CgmBox()->isChecked());

    QColor initial, custom;
    AnswerColourChooser(QColor(0xC0, 0xA0, 0x40), true, &initial, &custom);
    dialog.Button(7)->click();
    QCOMPARE(initial, QColor(Qt::white));   // the chooser starts at the private colour
    QCOMPARE(custom, QColor(Qt::white));
    QCOMPARE(dialog.PrivateColour(7), 0x40A0C0u);
    QCOMPARE(dialog.Button(7)->Colour(), 0x40A0C0u);
    QCOMPARE(prefs.values[7], 0xFFFFFF);  // not stored before OK or Save

    AnswerColourChooser(QColor(Qt::black), false, &initial, &custom);
    dialog.Button(0)->click();
    QCOMPARE(initial, QColor(Qt::red));
    QCOMPARE(custom, QColor(Qt::red));   // the first custom colour is the button's own
    QCOMPARE(QColorDialog::customColor(1), QColor(Qt::white));
    QCOMPARE(dialog.PrivateColour(0), 0x0000FFu);  // cancelled: unchanged

    dialog.CgmBox()->setChecked(true);
    dialog.accept();
    QCOMPARE(prefs.values[7], 0x40A0C0);
    QCOMPARE(prefs.values[9], 1);
    QVERIFY(messages.entries.empty());
  }

  void preferencesSaveWritesTheFileInTheCurrentDirectory() {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    Preferences prefs;
    CollectedMessages messages;
    {
      PreferencesDialog dialog(prefs, messages, nullptr);
      Button(&dialog, 787)->click();
      const std::string expected =
          "\"VANTORW.INI\"\n255 \n65280 \n16711680 \n16711935 \n16776960 \n65535 \n32639 \n"
          "16777215 \n0 \n0 \n";
      QCOMPARE(ReadFile(dir.filePath("VANTORW.INI")), expected);
      // Save again with a change; the dialog stays open, then Cancel keeps it.
      AnswerColourChooser(QColor(0, 0, 0x80), true);
      dialog.Button(1)->click();
      Button(&dialog, 787)->click();
      dialog.reject();
    }
    QCOMPARE(prefs.values[1], 0x800000);
    QVERIFY(ReadFile(dir.filePath("VANTORW.INI")).find("\n8388608 \n") != std::string::npos);
    QVERIFY(messages.entries.empty());

    // A directory where the file cannot be written: the writer's message.
    QVERIFY(QDir(dir.path()).mkdir("ro"));
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QVERIFY(QDir::setCurrent(dir.filePath("ro")));
    if (!QFile(dir.filePath("ro/probe")).open(QIODevice::WriteOnly)) {  // not as root
      PreferencesDialog dialog(prefs, messages, nullptr);
      Button(&dialog, 787)->click();
      QCOMPARE(messages.entries.size(), std::size_t{1});
      QCOMPARE(messages.entries[0].text,
               std::string("Could not save the preferences in VANTORW.INI: the folder cannot be written to."));
    }
    QDir::setCurrent(old);
    // A file that is a folder says so too, whoever runs the test.
    messages.entries.clear();
    QVERIFY(QDir(dir.path()).mkdir("taken.ini"));
    PreferencesDialog taken(prefs, messages, nullptr, dir.filePath("taken.ini"));
    Button(&taken, 787)->click();
    QCOMPARE(messages.entries.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(messages.entries[0].text).endsWith("taken.ini: it is a folder."));
    QVERIFY(taken.SaveNote()->text().isEmpty());
    // A folder that does not exist yet is made.
    const QString deep = dir.filePath("settings/vantor/VANTORW.INI");
    PreferencesDialog fresh(prefs, messages, nullptr, deep);
    Button(&fresh, 787)->click();
    QVERIFY(QFileInfo(deep).isFile());
    QVERIFY(fresh.SaveNote()->text().startsWith("Saved in "));
  }

  // Each colour says what it colours, and a background the picture's
  // colours hardly stand out from is warned about.
  void preferencesExplainColoursAndWarnOnContrast() {
    QCOMPARE(ContrastRatio(0x000000, 0xFFFFFF), 21.0);
    QCOMPARE(ContrastRatio(0x123456, 0x123456), 1.0);
    Preferences prefs;
    CollectedMessages messages;
    PreferencesDialog dialog(prefs, messages, nullptr);
    QVERIFY(dialog.Use(0)->text().contains("V-m axis"));
    QVERIFY(dialog.Use(1)->text().contains("run's colour"));
    QVERIFY(!dialog.Use(1)->isEnabled());
    QVERIFY(dialog.ContrastWarning()->text().isEmpty());  // the built-in white
    AnswerColourChooser(QColor(0, 0, 0), true);
    dialog.Button(7)->click();
    QCOMPARE(dialog.ContrastWarning()->text(), QStringLiteral("Hard to see on this background: run 1's traces, run 4's traces."));
    QVERIFY(dialog.minimumWidth() > dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()));
  }

  void extendedModeFollowsTheBackground() {
    const uint32_t special = 0x40A0C0, white = 0xFFFFFF, grey = 0xC0C0C0;
    QVERIFY(ExtendedModeAfterPreferences(false, white, special, true));
    QVERIFY(!ExtendedModeAfterPreferences(true, special, white, true));
    QVERIFY(ExtendedModeAfterPreferences(true, white, grey, true));    // untouched
    QVERIFY(!ExtendedModeAfterPreferences(false, white, grey, true));  // untouched
    QVERIFY(!ExtendedModeAfterPreferences(true, white, special, false));
  }

  void everyDialogFitsASmallScreen() {
    // 1366 x 768 at 100 % and at 150 % (911 x 512 logical pixels), less a
    // task bar and a title bar.
    const QRect screens[] = {QRect(0, 0, 1366, 768 - 40), QRect(0, 0, 911, 512 - 40)};
    ParameterSet params;
    GateTable gates;
    Preferences prefs;
    CollectedMessages messages;
    bool unsaved = false;
    for (const QRect& free : screens) {
      const QSize room = free.size() - QSize(0, 30);
      auto fits = [&](QWidget& w, const char* name) {
        const QSize hint = w.sizeHint();
        QVERIFY2(hint.width() <= room.width() && hint.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 %2x%3").arg(name).arg(hint.width()).arg(hint.height())));
      };
      for (int row = 0; row < kGroupCount; ++row) {
        ParameterDialog d(params, row, unsaved, {}, nullptr);
        fits(d, "parameters");
      }
      CommentDialog comment(params, unsaved, nullptr);
      fits(comment, "comment");
      AboutBox about(nullptr);
      fits(about, "about");
      PreferencesDialog preferences(prefs, messages, nullptr);
      fits(preferences, "preferences");
      LayoutEditor layout(params, unsaved, nullptr);
      layout.FitInto(free);
      fits(layout, "layout");
      ModelEditor model(gates, nullptr);
      model.FitInto(free);
      fits(model, "model");
      if (free.width() == 1366) {
        // At full size the tables show whole, with nothing to scroll.
        for (QScrollArea* area : {layout.findChild<QScrollArea*>(), model.findChild<QScrollArea*>()}) {
          QVERIFY(area->minimumHeight() >= area->widget()->sizeHint().height());
          QVERIFY(area->minimumWidth() >= area->widget()->sizeHint().width());
        }
      }
    }
  }
};

int main(int argc, char** argv) {
  vantor::testing::EnsureApp();
  EditorsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_editors.moc"
