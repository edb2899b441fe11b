// The pointer read-out's lookup in a record file, and the read-out in the
// window after a run.
#include <QFile>

#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app/record_lookup.h"
#include "app_test_support.h"
#include "vantor/render/run_record.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

class RecordLookupTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

  std::string WriteRecord(const char* name, const std::vector<std::pair<float, float>>& points) {
    const std::string path = work_.filePath(QString::fromLatin1(name)).toStdString();
    RunRecordWriter writer;
    if (!writer.Open(path)) return {};
    for (const auto& [t, v] : points) {
      RunSample s{};
      s[0] = t;
      s[1] = v;
      writer.Sample(s);
    }
    writer.Close();
    return path;
  }

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void interpolatesBetweenSamples() {
    RecordLookup lookup;
    lookup.Use(WriteRecord("a.rec", {{0, -65}, {1, -65}, {2, -55}, {2, -50}, {4, 10}}));
    QCOMPARE(lookup.At(1.5f)->second, -60.0f);
    QCOMPARE(lookup.At(0)->second, -65.0f);
    QCOMPARE(lookup.At(3)->second, -20.0f);  // from the later of the two samples at t = 2
    QCOMPARE(lookup.At(4)->second, 10.0f);
    QVERIFY(!lookup.At(-0.1f));
    QVERIFY(!lookup.At(4.5f));
    QVERIFY(!lookup.At(std::nanf("")));
  }

  void brokenOrMissingRecords() {
    RecordLookup lookup;
    QVERIFY(!lookup.At(1));  // none given
    lookup.Use(work_.filePath(QStringLiteral("absent.rec")).toStdString());
    QVERIFY(!lookup.At(1));
    // A sample cut short at the end is not read.
    const std::string path = WriteRecord("cut.rec", {{0, 1}, {1, 2}, {2, 3}});
    QVERIFY(QFile::resize(QString::fromStdString(path), 2 * kSampleBytes + 10));
    lookup.Use(path);
    QCOMPARE(lookup.At(1)->second, 2.0f);
    QVERIFY(!lookup.At(1.5f));
    lookup.Use(WriteRecord("empty.rec", {}));
    QVERIFY(!lookup.At(0));
  }

  void windowReadsOutTheRunUnderThePointer() {
    TestWindow w;
    QCOMPARE(w->PointerReadout(QPointF(100, 100)), QString());  // no run yet
    w->Dispatch(cmd::Begin);
    const QSize size = w->View()->Image().size();
    // Left edge of the traces: t near 0 at the starting potential.
    const QString start = w->PointerReadout(QPointF(size.width() * 0.012, size.height() / 2));
    QVERIFY2(start.contains(QStringLiteral("V-m = -65")), qPrintable(start));
    QVERIFY(w->PointerReadout(QPointF(size.width() * 0.5, 10)).startsWith(QStringLiteral("t = ")));
    QCOMPARE(w->PointerReadout(QPointF(size.width() * 0.9, 10)), QString());  // right of the traces
    w->Dispatch(cmd::New);
    QCOMPARE(w->PointerReadout(QPointF(size.width() * 0.5, 10)), QString());
  }
};

QTEST_MAIN(RecordLookupTest)
#include "test_record_lookup.moc"
