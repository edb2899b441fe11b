// The help page and its window: every context number the dialogs use has its
// anchor, the window opens at it, and it closes with the main window.
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolButton>

#include "app/help_window.h"
#include "app/menu_table.h"
#include "app_test_support.h"

using namespace vantor::app;
using namespace vantor::testing;

class HelpTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void pageHasAnAnchorPerContextNumber() {
    QFile page(QStringLiteral(VANTOR_SOURCE_DIR "/data/vantorw.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QStringList anchors = {HelpAnchor(kHelpIndex)};
    for (int row = 0; row < 6; ++row) anchors << HelpAnchor(80 + 2 * row);
    for (const QString& anchor : anchors) {
      QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)), qPrintable(anchor));
      QVERIFY2(html.contains(QStringLiteral("href=\"#%1\"").arg(anchor)) || anchor == "index",
               qPrintable(anchor));
    }
    // Every internal link leads somewhere.
    const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
    for (auto m = link.globalMatch(html); m.hasNext();) {
      const QString target = m.next().captured(1);
      QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(target)), qPrintable(target));
    }
  }

  void indexAndTopicsOpenInTheWindowAndCloseWithIt() {
    TestWindow w;
    w->Dispatch(cmd::HelpIndex);
    // A window of its own (not a child), so dialogs over the main window leave it usable.
    HelpWindow* help = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* h = qobject_cast<HelpWindow*>(top)) help = h;
    QVERIFY(help != nullptr);
    QVERIFY(help->parentWidget() == nullptr);
    QVERIFY(help->HelpFileFound());
    QVERIFY(help->isVisible());
    QVERIFY(help->Browser()->toPlainText().contains(QStringLiteral("Miscellaneous Parameters")));
    const int atIndex = help->Browser()->verticalScrollBar()->value();
    w->ShowHelpTopic(90);  // near the end of the page
    QCoreApplication::processEvents();
    QVERIFY(help->Browser()->verticalScrollBar()->value() > atIndex + 200);
    QVERIFY(w->close());
    QVERIFY(!help->isVisible());
  }

  // Back returns to the topic before, the find field finds and says when it
  // does not, and Escape or Ctrl+W close the window.
  void helpWindowGoesBackFindsAndClosesByKey() {
    HelpWindow help(QStringLiteral(VANTOR_SOURCE_DIR "/data/vantorw.html"));
    QVERIFY(!help.BackButton()->isEnabled());
    help.ShowTopic(kHelpIndex);
    QVERIFY(QTest::qWaitForWindowActive(&help));
    const int atIndex = help.Browser()->verticalScrollBar()->value();
    help.ShowTopic(90);
    QCoreApplication::processEvents();
    QVERIFY(help.BackButton()->isEnabled());
    help.BackButton()->click();
    QCoreApplication::processEvents();
    QCOMPARE(help.Browser()->verticalScrollBar()->value(), atIndex);

    help.FindField()->setText(QStringLiteral("temperature"));
    QVERIFY(help.FindNext());
    QCOMPARE(help.Browser()->textCursor().selectedText().toLower(), QStringLiteral("temperature"));
    help.FindField()->setText(QStringLiteral("no-such-word-here"));
    QVERIFY(!help.FindNext());
    QVERIFY(!help.FindField()->styleSheet().isEmpty());

    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(QStringLiteral("Ctrl+W"))}) {
      help.show();
      QVERIFY(QTest::qWaitForWindowActive(&help));
      QTest::keySequence(&help, key);
      QVERIFY(!help.isVisible());
    }
  }

  void missingPageSaysSo() {
    HelpWindow help(work_.filePath(QStringLiteral("nothing.html")));
    QVERIFY(!help.HelpFileFound());
    QVERIFY(help.Browser()->toPlainText().contains(QStringLiteral("missing")));
  }
};

QTEST_MAIN(HelpTest)
#include "test_help.moc"
