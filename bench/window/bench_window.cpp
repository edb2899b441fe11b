// A run in the real main window under the offscreen platform, live drawing
// and the event pump included, next to the same run with the engine alone.
// Counters: wall time per simulated second, and the longest wall time
// between two event pumps (how long input may wait during the run).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "device/painter_device.h"
#include "vantor/engine/run_driver.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_picture.h"
#include "vantor/render/run_record.h"
#include "../trials.h"

namespace {

using namespace vantor;
using namespace vantor::app;

// Nobody answers boxes in a benchmark; a box would be a failure anyway.
class NoPrompts : public UserPrompts {
 public:
  void Warn(const QString&, const QString& text) override { lastWarning = text; }
  SaveAnswer AskSave(const QString&) override { return SaveAnswer::No; }
  QString OpenFileName(const QString&) override { return {}; }
  QString SaveFileName(const QString&) override { return {}; }
  QString lastWarning;
};

class NullSink : public RunSink {
 public:
  void Sample(const RunSample&) override { ++count; }
  long count = 0;
};

void Counters(benchmark::State& state, const ParameterSet& params, long samples) {
  const double simulated = params.Value(param::TrialDuration) / 1000.0;
  state.counters["wall_per_sim_s"] = benchmark::Counter(
      simulated * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["samples"] = static_cast<double>(samples);
}

void WindowRun(benchmark::State& state, bool tonic) {
  auto prompts = std::make_unique<NoPrompts>();
  NoPrompts* seen = prompts.get();
  MainWindow window(std::move(prompts));
  window.resize(1000, 720);
  window.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  window.show();
  QCoreApplication::processEvents();
  if (tonic) bench::SetTonicFiring10s(window.Parameters());
  double longestGap = 0;
  long samples = 0, passes = 0;
  for (auto _ : state) {
    window.CommandBegin();
    if (window.LastRunResult().outcome != RunOutcome::Completed) {
      state.SkipWithError(qPrintable(seen->lastWarning));
      break;
    }
    longestGap = std::max(longestGap, window.LongestPumpGapMs());
    samples = window.LastRunResult().samples;
    passes = window.LastRunResult().passes;
  }
  Counters(state, window.Parameters(), samples);
  state.counters["passes"] = static_cast<double>(passes);
  state.counters["longest_pump_gap_ms"] = longestGap;
}

// A full redraw from the records, as a resize asks for.
void BM_WindowRedrawTonic10s(benchmark::State& state) {
  MainWindow window(std::make_unique<NoPrompts>());
  window.resize(1000, 720);
  window.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  window.show();
  bench::SetTonicFiring10s(window.Parameters());
  window.CommandBegin();
  for (auto _ : state) window.RedrawPicture();
}
BENCHMARK(BM_WindowRedrawTonic10s)->Unit(benchmark::kMillisecond)->UseRealTime();

// The engine and the record file every Begin writes, without the window.
void BM_EngineRecordTonic10s(benchmark::State& state) {
  MainWindow loader(std::make_unique<NoPrompts>());
  loader.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  ParameterSet base = loader.Parameters();
  bench::SetTonicFiring10s(base);
  for (auto _ : state) {
    ParameterSet params = base;
    RunRecordWriter record;
    if (!record.Create(".")) state.SkipWithError("no record file");
    RunFlags flags;
    RunTrial(params, loader.Gates(), record, flags);
    record.Close();
    std::remove(record.Path().c_str());
  }
}
BENCHMARK(BM_EngineRecordTonic10s)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same run drawn on an image with the window's device, but no
// window and no event pump: what the drawing itself costs.
void BM_ImageTonic10s(benchmark::State& state) {
  MainWindow loader(std::make_unique<NoPrompts>());
  loader.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  ParameterSet params = loader.Parameters();
  bench::SetTonicFiring10s(params);
  QImage image(1000, 690, QImage::Format_RGB32);
  Picture picture;
  SilentMessages quiet;
  long samples = 0, passes = 0;
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    PainterDevice device(painter, image.width(), image.height());
    picture.target.SetDevice(&device);
    RunFlags flags;
    const RunResult result = BeginRun(picture, params, loader.Gates(), flags, quiet);
    samples = result.samples;
    passes = result.passes;
    picture.target.SetDevice(nullptr);
    device.Flush();
  }
  DeleteRunRecords(picture.replay);
  Counters(state, params, samples);
  state.counters["passes"] = static_cast<double>(passes);
}
BENCHMARK(BM_ImageTonic10s)->Unit(benchmark::kMillisecond)->UseRealTime();

void EngineRun(benchmark::State& state, bool tonic) {
  // The gate table as the window reads it, through a window's start-up.
  MainWindow loader(std::make_unique<NoPrompts>());
  loader.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  ParameterSet base = loader.Parameters();
  if (tonic) bench::SetTonicFiring10s(base);
  long samples = 0, passes = 0;
  for (auto _ : state) {
    ParameterSet params = base;
    NullSink sink;
    RunFlags flags;
    passes = RunTrial(params, loader.Gates(), sink, flags).passes;
    samples = sink.count;
  }
  Counters(state, base, samples);
  state.counters["passes"] = static_cast<double>(passes);
}

void BM_WindowDefault(benchmark::State& s) { WindowRun(s, false); }
void BM_EngineDefault(benchmark::State& s) { EngineRun(s, false); }
void BM_WindowTonic10s(benchmark::State& s) { WindowRun(s, true); }
void BM_EngineTonic10s(benchmark::State& s) { EngineRun(s, true); }

BENCHMARK(BM_EngineDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineTonic10s)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowTonic10s)->Unit(benchmark::kMillisecond)->UseRealTime();

// A step of an explorer slider to its redrawn picture, in the real window:
// the run on the worker thread, the record replayed and every dock updated.
// The step current alternates between two values so that every step runs.
void ExploreSteps(benchmark::State& state, float trialMs) {
  MainWindow window(std::make_unique<NoPrompts>());
  window.resize(1340, 720);
  window.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
  window.show();
  if (trialMs > 0) window.Parameters().SetValue(param::TrialDuration, trialMs);
  window.CommandBegin();
  QCoreApplication::processEvents();
  bool shown = false;
  QObject::connect(&window, &MainWindow::ExploredPictureShown, [&shown] { shown = true; });
  const float base = window.Parameters().Value(param::InjectedCurrent);
  std::vector<double> each;
  int i = 0;
  for (auto _ : state) {
    shown = false;
    window.ExploreValue(param::InjectedCurrent, base + ((i++ % 2) != 0 ? 0.05f : 0.1f));
    while (!shown) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    each.push_back(window.LastExploreMs());
  }
  std::sort(each.begin(), each.end());
  if (!each.empty()) {
    state.counters["median_step_ms"] = each[each.size() / 2];
    state.counters["worst_step_ms"] = each.back();
    state.counters["trial_ms"] = window.PictureParameters().Value(param::TrialDuration);
    state.counters["samples"] = static_cast<double>(window.LastRunResult().samples);
  }
}
void BM_ExploreStepDefault(benchmark::State& s) { ExploreSteps(s, 0); }
void BM_ExploreStep1s(benchmark::State& s) { ExploreSteps(s, 1000); }
BENCHMARK(BM_ExploreStepDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExploreStep1s)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
