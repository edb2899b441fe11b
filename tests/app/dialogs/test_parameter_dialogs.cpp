// The parameter dialogs on their own: templates against the group table,
// what the fields show, the range check, the two-pass OK, help, the comment
// and the About box.
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <algorithm>
#include <set>

#include "app/dialogs/about_box.h"
#include "app/dialogs/comment_dialog.h"
#include "app/dialogs/field_text.h"
#include "app/dialogs/group_picture.h"
#include "app/dialogs/parameter_dialog.h"
#include "app/dialogs/parameter_templates.h"
#include "app/dialogs/dialog_support.h"
#include "app/dialogs/modal_helpers.h"
#include "vantor/params/parameter_set.h"

using namespace vantor;
using vantor::testing::Button;
using vantor::testing::CaptureMessageBox;

class ParameterDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void templatesShowExactlyTheirGroup() {
    for (int row = 0; row < kGroupCount; ++row) {
      const ParameterTemplate& t = TemplateForGroup(row);
      QCOMPARE(t.groupRow, row);
      QCOMPARE(QString::fromUtf8(t.title), QString::fromUtf8(ParameterSet::Group(row).title));
      std::vector<int> shown = DisplayOrder(t);
      std::vector<int> members = ParameterSet::Group(row).members;
      std::sort(shown.begin(), shown.end());
      std::sort(members.begin(), members.end());
      QCOMPARE(shown, members);
    }
    // Separators: Conductances 2, four-field synapses 1, Ions 4, none elsewhere.
    const int separators[6] = {0, 2, 1, 4, 0, 0};
    for (int row = 0; row < kGroupCount; ++row) {
      const auto& e = TemplateForGroup(row).entries;
      QCOMPARE(static_cast<int>(std::count_if(e.begin(), e.end(),
                                              [](const TemplateEntry& x) {
                                                return x.kind == TemplateEntry::Separator;
                                              })),
               separators[row]);
    }
  }

  void commandsPicturesAndTopics() {
    QCOMPARE(GroupRowForCommand(404, false), 2);
    QCOMPARE(GroupRowForCommand(404, true), 4);
    QCOMPARE(GroupRowForCommand(602, false), 5);
    QCOMPARE(GroupRowForCommand(401, true), -1);
    QCOMPARE(PictureForCommand(402), 920);
    QCOMPARE(PictureForCommand(403), 921);
    QCOMPARE(PictureForCommand(404), 922);
    QCOMPARE(PictureForCommand(405), 923);
    QCOMPARE(PictureForCommand(602), 923);
    QCOMPARE(PictureForGroup(4), 922);
    const int topics[6] = {80, 82, 84, 86, 88, 90};
    for (int row = 0; row < 6; ++row) QCOMPARE(HelpTopicForGroup(row), topics[row]);
    for (int p = 920; p <= 923; ++p) {
      GroupPicture picture(p, nullptr);
      QVERIFY2(picture.Loaded(), qPrintable(GroupPicturePath(p)));
    }
  }

  void scanningFieldText() {
    QCOMPARE(*ScanFieldNumber("2.50"), 2.5f);
    QCOMPARE(*ScanFieldNumber("  -65"), -65.0f);
    QCOMPARE(*ScanFieldNumber("+.5e1"), 5.0f);
    QCOMPARE(*ScanFieldNumber("1,5"), 1.5f);  // a decimal comma
    QCOMPARE(*ScanFieldNumber(" -,25 "), -0.25f);
    QVERIFY(std::isinf(*ScanFieldNumber("1e40")));
    QVERIFY(std::isinf(*ScanFieldNumber("1e999999")));
    QCOMPARE(*ScanFieldNumber("1e-999999"), 0.0f);
    for (const char* bad : {"", "   ", "abc", "-", ".", "e5", "nan", "inf", "--1",
                            "12abc", "3e", "0x10", "2nA", "1,5,0", "1.5,0", "1 2"})
      QVERIFY2(!ScanFieldNumber(QString::fromLatin1(bad)), bad);
    QCOMPARE(FieldText(80), QStringLiteral("80"));
    QCOMPARE(FieldText(0.06f), QStringLiteral("0.06"));
    QCOMPARE(FieldText(29000), QStringLiteral("29000"));
  }

  void fieldsShowTheValuesAndLabelsNameThem() {
    ParameterSet params;
    bool unsaved = false;
    ParameterDialog dialog(params, 0, unsaved, {}, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Protocol"));
    const std::pair<int, const char*> shown[] = {{0, "80"}, {1, "0"},  {2, "10"},
                                                 {3, "60"}, {4, "2"}, {15, "-65"}};
    for (const auto& [k, text] : shown) {
      QLineEdit* field = dialog.findChild<QLineEdit*>(QString::number(1000 + k));
      QVERIFY(field != nullptr);
      QCOMPARE(field->text(), QString::fromLatin1(text));
      QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }
    // Every label is bound to its field.
    int bound = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>())
      if (auto* field = qobject_cast<QLineEdit*>(label->buddy())) {
        ++bound;
        QCOMPARE(field->accessibleName(), label->text());
      }
    QCOMPARE(bound, 6);
    QCOMPARE(dynamic_cast<GroupPicture*>(dialog.findChild<QWidget*>("888"))->Number(), 920);
  }

  void outOfRangeIsRefusedAndNothingStored() {
    ParameterSet params;
    const ParameterSet before = params;
    bool unsaved = false;
    ParameterDialog dialog(params, 0, unsaved, {}, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.Field(4)->setText("3");  // valid, but must not be stored
    dialog.Field(0)->setText("0.5");
    QString caption, text;
    CaptureMessageBox(&caption, &text);
    Button(&dialog, 1)->click();
    QCOMPARE(caption, QStringLiteral("Bad Parameter"));
    QCOMPARE(text, QStringLiteral("The value for Trial duration  is out of range. "
                                  "It must be between 1 and 1000000!"));
    QVERIFY(dialog.isVisible());
    QVERIFY(params == before);
    QVERIFY(!unsaved);
    QCOMPARE(dialog.focusWidget(), dialog.Field(0));
    QCOMPARE(dialog.Field(0)->selectedText(), QStringLiteral("0.5"));

    // Text that is no number is refused the same way, by name.
    dialog.Field(0)->setText("80");
    dialog.Field(15)->setText("minus sixty");
    CaptureMessageBox(&caption, &text);
    Button(&dialog, 1)->click();
    QCOMPARE(text, QStringLiteral("The value for Starting Vm  is not a number. "
                                  "It must be between -125 and 125!"));
    QCOMPARE(dialog.focusWidget(), dialog.Field(15));
    QCOMPARE(dialog.Field(15)->selectedText(), QStringLiteral("minus sixty"));
    QVERIFY(params == before);
  }

  void limitsThemselvesAreAccepted() {
    ParameterSet params;
    bool unsaved = false;
    ParameterDialog dialog(params, 3, unsaved, {}, nullptr);
    dialog.Field(22)->setText("10");    // [Ca]i minimum
    dialog.Field(20)->setText("200");   // [Mg]o maximum
    dialog.Field(21)->setText("0");     // [Ca]o minimum
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(params.Value(22), 10.0f);
    QCOMPARE(params.Value(20), 200.0f);
    QCOMPARE(params.Value(21), 0.0f);
    QVERIFY(unsaved);

    // Just below the minimum is not.
    ParameterDialog again(params, 3, unsaved, {}, nullptr);
    again.Field(22)->setText("9.99");
    QString text;
    CaptureMessageBox(nullptr, &text);
    again.accept();
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(text, QStringLiteral("The value for nM [Ca]i  is out of range. "
                                  "It must be between 10 and 1e10!"));
  }

  void okWithoutChangesKeepsTheFlag() {
    ParameterSet params;
    params.SetValue(4, 2.5f);
    for (int row = 0; row < 4; ++row) {
      bool unsaved = false;
      ParameterDialog dialog(params, row, unsaved, {}, nullptr);
      if (row == 0) dialog.Field(4)->setText("2.50");
      dialog.accept();
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QVERIFY2(!unsaved, TemplateForGroup(row).name);
    }
  }

  void miscellaneousWithBuiltInLimitsRejectsGateOne() {
    ParameterSet params;
    bool unsaved = false;
    ParameterDialog dialog(params, 5, unsaved, {}, nullptr);
    QString text;
    CaptureMessageBox(nullptr, &text);
    dialog.accept();
    QCOMPARE(text, QStringLiteral("The value for Gate #1  is out of range. "
                                  "It must be between 0 and 0!"));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  }

  void helpOpensTheGroupTopicAndStaysOpen() {
    ParameterSet params;
    bool unsaved = false;
    std::vector<int> topics;
    ParameterDialog dialog(params, 4, unsaved, [&](int t) { topics.push_back(t); }, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    Button(&dialog, 777)->click();
    QTest::keyClick(&dialog, Qt::Key_F1);
    QCOMPARE(topics, (std::vector<int>{88, 88}));
    QVERIFY(dialog.isVisible());
  }

  void tabVisitsFieldsInDisplayOrderThenButtons() {
    ParameterSet params;
    bool unsaved = false;
    ParameterDialog dialog(params, 1, unsaved, {}, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    std::vector<QString> visited;
    for (int i = 0; i < 13; ++i) {
      visited.push_back(QApplication::focusWidget()->objectName());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const std::vector<QString> expected = {"1005", "1006", "1009", "1010", "1011", "1012", "1007",
                                           "1008", "1013", "1014", "1",    "2",    "777"};
    QCOMPARE(visited, expected);
  }

  void enterIsOkAndEscapeIsCancel() {
    ParameterSet params;
    bool unsaved = false;
    {
      ParameterDialog dialog(params, 2, unsaved, {}, nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
      dialog.Field(17)->setText("0.05");
      QTest::keyClick(dialog.Field(17), Qt::Key_Return);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(params.Value(17), 0.05f);
    }
    {
      ParameterDialog dialog(params, 2, unsaved, {}, nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
      dialog.Field(17)->setText("0.07");
      QTest::keyClick(dialog.Field(17), Qt::Key_Escape);
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QCOMPARE(params.Value(17), 0.05f);
    }
  }

  void commentLetterCaseIsAChange() {
    ParameterSet params;
    bool unsaved = false;
    CommentDialog same(params, unsaved, nullptr);
    QCOMPARE(same.Field()->text(), QStringLiteral("Train of action potentials"));
    same.accept();
    QVERIFY(!unsaved);
    CommentDialog changed(params, unsaved, nullptr);
    changed.Field()->setText("train of action potentials");
    changed.accept();
    QVERIFY(unsaved);
    QCOMPARE(params.Comment(), std::string("train of action potentials"));
    CommentDialog cancelled(params, unsaved, nullptr);
    cancelled.Field()->setText("something else");
    cancelled.reject();
    QCOMPARE(params.Comment(), std::string("train of action potentials"));
    // The comment keeps code page 437 bytes for what it can hold.
    CommentDialog micro(params, unsaved, nullptr);
    micro.Field()->setText(QStringLiteral("5 µm at 35 °C"));
    micro.accept();
    QCOMPARE(params.Comment(), std::string("5 \xE6m at 35 \xF8" "C"));
  }

  // A comment the file cannot hold whole is refused with the reason, never
  // cut or changed.
  void commentTooLongOrOutsideTheCodePageIsRefused() {
    ParameterSet params;
    const std::string before = params.Comment();
    bool unsaved = false;
    CommentDialog dialog(params, unsaved, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const QString cases[] = {QString(80, QLatin1Char('x')), QStringLiteral("Ca²⁺ in 5 µm — 35 °C")};
    const QString expected[] = {
        QStringLiteral("The comment has 80 characters; the parameter file holds 79. Please shorten it!"),
        QStringLiteral("The parameter file cannot hold the characters ⁺— of the comment. Please use others!")};
    for (int i = 0; i < 2; ++i) {
      dialog.Field()->setText(cases[i]);
      QCOMPARE(dialog.Field()->text(), cases[i]);  // typed in whole
      QString text;
      CaptureMessageBox(nullptr, &text);
      dialog.accept();
      QCOMPARE(text, expected[i]);
      QVERIFY(dialog.isVisible());
      QCOMPARE(params.Comment(), before);
      QVERIFY(!unsaved);
    }
    dialog.Field()->setText(QString(79, QLatin1Char('y')));
    QCOMPARE(dialog.Count()->text(), QStringLiteral("79 of 79 characters"));
    dialog.accept();
    QCOMPARE(params.Comment(), std::string(79, 'y'));
  }

  // The Misc. Parameters dialog shows the unit its gNap and gH labels get
  // wrong, and what Model 4 is.
  void miscFieldsShowTheirUnitsAndMethods() {
    ParameterSet params;
    bool unsaved = false;
    ParameterDialog dialog(params, 5, unsaved, {}, nullptr);
    for (const char* id : {"note1039", "note1040"})
      QCOMPARE(dialog.findChild<QLabel*>(QString::fromLatin1(id))->text(), QStringLiteral("µS"));
    QCOMPARE(dialog.findChild<QLabel*>("note1049")->text(), QStringLiteral("1 .. 4"));
    QVERIFY(dialog.Field(49)->toolTip().contains(QStringLiteral("4 error-controlled")));
    QVERIFY(dialog.findChild<QLabel*>("note1005") == nullptr);
  }

  void aboutBoxLines() {
    QCOMPARE(BuildDateText("Dec  9 2026"), QStringLiteral("Dec 9 2026"));
    QCOMPARE(BuildDateText("Nov 24 2026"), QStringLiteral("Nov 24 2026"));
    AboutBox box(nullptr);
    QCOMPARE(box.windowTitle(), QStringLiteral("About VTWin"));
    QCOMPARE(box.findChild<QLabel*>("601")->text(),
             QStringLiteral("Vantor for Windows Version 4.0.3"));
    const QString created = box.findChild<QLabel*>("603")->text();
    QVERIFY(QRegularExpression("^Created [A-Z][a-z]{2} [1-9][0-9]? [0-9]{4}$")
                .match(created)
                .hasMatch());
    // Beside the historical version line, the system the build runs on.
    const QString platform = box.findChild<QLabel*>("604")->text();
    QVERIFY(platform.startsWith(QStringLiteral("This build: version " VANTOR_VERSION " on ")));
    QVERIFY(platform.contains(QSysInfo::prettyProductName()));
  }
};

int main(int argc, char** argv) {
  vantor::testing::EnsureApp();
  ParameterDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_parameter_dialogs.moc"
