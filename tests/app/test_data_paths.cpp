// Where the program finds its data: beside itself first (a build folder),
// then in the installed folder ../share/vantor; and the window geometry kept
// between sessions.
#include <QDir>
#include <QFile>
#include <QSettings>

#include "app/data_paths.h"
#include "app_test_support.h"

using namespace vantor::app;
using namespace vantor::testing;

class DataPathsTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

  static void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
  }

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void besideTheProgramThenInstalled() {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    // Nothing anywhere: the program directory, whose files are then reported missing.
    QCOMPARE(FindDataDirectory(bin), bin + "/");
    Touch(root.filePath(QStringLiteral("share/vantor/vmodels.val")));
    QCOMPARE(FindDataDirectory(bin), root.filePath(QStringLiteral("share/vantor")) + "/");
    QVERIFY(ExamplesDirectory(FindDataDirectory(bin)).isEmpty());
    Touch(root.filePath(QStringLiteral("share/vantor/examples/a.vt4")));
    QCOMPARE(ExamplesDirectory(FindDataDirectory(bin)), root.filePath(QStringLiteral("share/vantor/examples")));
    Touch(bin + "/vmodels.val");
    QCOMPARE(FindDataDirectory(bin), bin + "/");  // beside the program wins
  }

  void buildFolderHasItsData() {
    const QString dir = FindDataDirectory(QStringLiteral(VANTOR_BIN_DIR));
    QCOMPARE(QDir(dir).canonicalPath(), QDir(QStringLiteral(VANTOR_BIN_DIR)).canonicalPath());
    QVERIFY(QFileInfo::exists(dir + "vantorw.html"));
  }

  void closingKeepsTheGeometry() {
    QSettings().remove(QStringLiteral("window/geometry"));
    TestWindow w;
    w->resize(777, 555);
    QVERIFY(w->close());
    const QByteArray kept = QSettings().value(QStringLiteral("window/geometry")).toByteArray();
    QVERIFY(!kept.isEmpty());
    TestWindow next;
    QVERIFY(next->restoreGeometry(kept));
    QCOMPARE(next->size(), QSize(777, 555));
  }
};

QTEST_MAIN(DataPathsTest)
#include "test_data_paths.moc"
