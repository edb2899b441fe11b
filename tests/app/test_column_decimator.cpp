// The window's polyline thinning: what reaches the painter covers the same
// span in every pixel column, ends where the line ends, and is far shorter.
#include <QTest>

#include <map>
#include <vector>

#include "app/column_decimator.h"

using namespace vantor;
using namespace vantor::app;

namespace {

// Keeps the polylines it is given, one list of points per MoveTo.
class PolylineRecorder : public Device {
 public:
  std::vector<std::vector<std::pair<int, int>>> lines;
  int pens = 0;
  double SurfaceWidth() const override { return 1000; }
  double SurfaceHeight() const override { return 1000; }
  void SelectPen(uint32_t, int) override { ++pens; }
  void SelectFont(int, int) override {}
  void RestoreInitialObjects(bool, bool) override {}
  void SetTextAlign(int) override {}
  void SetTextColour(uint32_t) override {}
  void SetBackgroundColour(uint32_t) override {}
  void MoveTo(int x, int y) override { lines.push_back({{x, y}}); }
  void LineTo(int x, int y) override {
    if (lines.empty()) lines.push_back({{0, 0}});
    lines.back().push_back({x, y});
  }
  void Text(int, int, std::string_view) override {}
  TextExtent MeasureText(std::string_view) override { return {}; }
  void FillRect(int, int, int, int, uint32_t) override {}

  // Per column the lowest and highest y any segment touches.
  std::map<int, std::pair<int, int>> Spans() const {
    std::map<int, std::pair<int, int>> spans;
    auto touch = [&](int x, int y) {
      auto [it, fresh] = spans.try_emplace(x, y, y);
      if (!fresh) it->second = {std::min(it->second.first, y), std::max(it->second.second, y)};
    };
    for (const auto& line : lines)
      for (std::size_t i = 0; i < line.size(); ++i) {
        touch(line[i].first, line[i].second);
        // A segment between two columns touches both ends only.
      }
    return spans;
  }
  std::size_t Points() const {
    std::size_t n = 0;
    for (const auto& line : lines) n += line.size();
    return n;
  }
};

// A spiky trace: many samples per column, spikes inside single columns.
void DrawTrace(Device& d, int samples) {
  d.MoveTo(0, 500);
  for (int i = 1; i <= samples; ++i) {
    const int x = i / 40;
    const int y = (i % 97 == 0) ? 100 : 500 + (i * 7919) % 23;
    d.LineTo(x, y);
  }
}

}  // namespace

class ColumnDecimatorTest : public QObject {
  Q_OBJECT

 private slots:
  void sameSpansFewerPoints() {
    PolylineRecorder plain, thinned;
    DrawTrace(plain, 20000);
    ColumnDecimator decimator(thinned);
    DrawTrace(decimator, 20000);
    decimator.Flush();
    QCOMPARE(thinned.Spans(), plain.Spans());
    QVERIFY(thinned.Points() * 5 < plain.Points());
    // The line ends at the trace's last point.
    QCOMPARE(thinned.lines.back().back(), plain.lines.back().back());
  }

  void extremesKeepTheirOrder() {
    PolylineRecorder out;
    ColumnDecimator d(out);
    d.MoveTo(0, 0);
    d.LineTo(1, 50);   // enters column 1
    d.LineTo(1, 90);   // highest first
    d.LineTo(1, 10);   // then lowest
    d.LineTo(1, 60);
    d.LineTo(1, 40);   // last
    d.LineTo(2, 40);
    d.Flush();
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 50}, {1, 90}, {1, 10}, {1, 40}, {2, 40}};
    std::vector<std::pair<int, int>> got;
    for (const auto& line : out.lines)
      for (const auto& p : line)
        if (got.empty() || got.back() != p) got.push_back(p);  // piece seams repeat a point
    QCOMPARE(got, expected);
  }

  void otherCallsPassTheHeldPointsFirst() {
    PolylineRecorder out;
    ColumnDecimator d(out);
    d.MoveTo(0, 0);
    d.LineTo(3, 5);
    d.LineTo(3, 9);
    d.SelectPen(0xFF, 2);  // must not lose (3, 9)
    QCOMPARE(out.pens, 1);
    QCOMPARE(out.lines.back().back(), std::make_pair(3, 9));
  }

  void longLinesGoOutInPieces() {
    PolylineRecorder out;
    ColumnDecimator d(out);
    d.MoveTo(0, 0);
    for (int x = 1; x <= 1000; ++x) d.LineTo(x, x % 2);
    d.Flush();
    QVERIFY(out.lines.size() > 10);
    for (std::size_t i = 1; i < out.lines.size(); ++i)  // each piece starts where the last ended
      QCOMPARE(out.lines[i].front(), out.lines[i - 1].back());
  }
};

QTEST_MAIN(ColumnDecimatorTest)
#include "test_column_decimator.moc"
