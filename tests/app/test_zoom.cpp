// Zooming the picture: a drag along the strip under the traces picks a span
// of time, which the window, the copy and the export then show; Escape, a
// double click or Ctrl+0 go back, and a new run is shown whole.
#include <QClipboard>
#include <QMimeData>
#include <QTest>

#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/picture_view.h"
#include "app_test_support.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

namespace {

// Pixels in which two pictures of one size differ.
int Differing(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return a.width() * a.height();
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int r = 0; r < x.height(); ++r)
    for (int c = 0; c < x.width(); ++c) n += x.pixel(c, r) != y.pixel(c, r);
  return n;
}

// The widget x of time t, from the window's own mapping.
int WidgetX(MainWindow& w, double t) {
  const double t0 = *w.TimeAt(0), t1 = *w.TimeAt(100);
  const double deviceX = (t - t0) / (t1 - t0) * 100;
  return static_cast<int>(std::lround(deviceX / w.View()->devicePixelRatioF()));
}

}  // namespace

class ZoomTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void dragUnderTheTracesZoomsAndTheKeysGoBack() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    PictureView* view = w->View();
    const QImage live = view->Image().copy();
    QVERIFY(!w->Zoom());
    // Going back draws the whole run again from its record. That picture is
    // the one the keys must restore exactly; the one drawn while the run went
    // on may differ from it only where a value rounds to the next pixel.
    w->RedrawPicture();
    const QImage whole = view->Image().copy();
    QVERIFY(Differing(live, whole) < live.width() * live.height() / 1000);
    const int y = view->height() - 4;  // under the traces
    const int x0 = WidgetX(*w.window, 20), x1 = WidgetX(*w.window, 60);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(x1, y));
    QTest::mouseMove(view, QPoint(x0, y));
    QVERIFY(view->Span());
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x0, y));
    QVERIFY(w->Zoom());
    const double pixel = *w->TimeAt(1) - *w->TimeAt(0);
    QVERIFY(std::abs(w->Zoom()->from - 20) < 2 * pixel && std::abs(w->Zoom()->to - 60) < 2 * pixel);
    QVERIFY(Differing(view->Image(), whole) > 0);
    // The axis now spans the window: the cursor stays inside it.
    w->SetCursorTime(0);
    QCOMPARE(*w->CursorTime(), w->Zoom()->from);
    QVERIFY(*w->TimeAt(0) > 15);

    // The export and the copy at the window's size show what the window shows.
    const QString path = work_.filePath("zoomed.png");
    w.prompts->exportNames = {path};
    w.prompts->pictureSizes = {view->Image().size()};
    w->Dispatch(cmd::ExportPicture);
    const QImage exported(path);
    QVERIFY(!exported.isNull());
    const int area = exported.width() * exported.height();
    QVERIFY2(Differing(exported, view->Image()) < area / 200, qPrintable(QString::number(Differing(exported, view->Image()))));
    w->Dispatch(cmd::Copy);
    const QImage copied = QApplication::clipboard()->image();
    QVERIFY(Differing(copied, view->Image()) < area / 200);
    // The copied samples are the whole run's, with their real times.
    QVERIFY(QApplication::clipboard()->text().split('\n').at(1).split('\t').at(1).toDouble() < 1);

    // Zooming within the zoom, then back a step, then all the way.
    const QImage first = view->Image().copy();
    QVERIFY(w->ZoomTo(30, 40));
    QVERIFY(!w->ZoomTo(35, 35));  // no width: refused
    QTest::keyClick(view, Qt::Key_Escape);
    QCOMPARE(Differing(view->Image(), first), 0);
    QVERIFY(w->ZoomTo(30, 40));
    QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
    QVERIFY(!w->Zoom());
    QCOMPARE(Differing(view->Image(), whole), 0);
    QVERIFY(w->ZoomTo(10, 20));
    QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(view->width() / 2, view->height() / 2));
    QVERIFY(!w->Zoom());
    // A new run is shown whole.
    QVERIFY(w->ZoomTo(10, 20));
    w->Dispatch(cmd::Begin);
    QVERIFY(!w->Zoom());
  }
};

QTEST_MAIN(ZoomTest)
#include "test_zoom.moc"
