// Picture speed: a 10 s run (base current 2 nA, no step) drawn into PNG, SVG
// and PDF at 1200 x 800, beside the run itself. The picture should cost at
// most about 50 ms more than the simulation.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "device/picture_file.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/engine/run_driver.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_record.h"
#include "trials.h"

namespace {

using namespace vantor;

constexpr int kWidth = 1200, kHeight = 800;

ParameterSet BuiltInRun() { return ParameterSet(); }

ParameterSet TenSecondRun() {
  ParameterSet params;
  bench::SetTonicFiring10s(params);
  return params;
}

GateTable Gates() {
  GateTable gates;
  CollectedMessages messages;
  LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, messages);
  return gates;
}

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "vantor_bench";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = [] {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return std::make_unique<QGuiApplication>(argc, argv);
  }();
  return *app;
}

class DropSamples : public RunSink {
 public:
  void Sample(const RunSample&) override {}
};

// The records of the runs, made once and removed at exit.
struct TempRecord {
  std::string path;
  ~TempRecord() {
    if (!path.empty()) std::remove(path.c_str());
  }
};

std::string MakeRecord(ParameterSet params) {
  {
    const GateTable gates = Gates();
    RunRecordWriter writer;
    writer.Create(std::filesystem::temp_directory_path().string());
    RunFlags flags;
    RunTrial(params, gates, writer, flags);
    writer.Close();
    return writer.Path();
  }
}

const std::string& Record(bool tenSeconds) {
  static const TempRecord ten{MakeRecord(TenSecondRun())};
  static const TempRecord builtIn{MakeRecord(BuiltInRun())};
  return tenSeconds ? ten.path : builtIn.path;
}

void BM_TenSecondRun(benchmark::State& state) {
  const GateTable gates = Gates();
  for (auto _ : state) {
    ParameterSet params = TenSecondRun();
    DropSamples sink;
    RunFlags flags;
    benchmark::DoNotOptimize(RunTrial(params, gates, sink, flags));
  }
}
BENCHMARK(BM_TenSecondRun)->Unit(benchmark::kMillisecond);

void DrawPicture(benchmark::State& state, bool tenSeconds) {
  App();
  const auto format = static_cast<PictureFormat>(state.range(0));
  const ParameterSet params = tenSeconds ? TenSecondRun() : BuiltInRun();
  Picture picture;
  picture.replay.current.recordName = Record(tenSeconds);
  CollectedMessages messages;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const QByteArray out = RenderPicture(format, kWidth, kHeight, 0xFFFFFF, [&](Device& device) {
      picture.target.SetDevice(&device);
      RedrawPlot(picture, params, messages);
      picture.target.SetDevice(nullptr);
    });
    bytes = static_cast<std::size_t>(out.size());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_TenSecondPicture(benchmark::State& state) { DrawPicture(state, true); }
void BM_BuiltInPicture(benchmark::State& state) { DrawPicture(state, false); }

BENCHMARK(BM_BuiltInPicture)
    ->ArgName("png0_svg1_pdf2")
    ->Arg(static_cast<int>(PictureFormat::Png))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenSecondPicture)
    ->ArgName("png0_svg1_pdf2")
    ->Arg(static_cast<int>(PictureFormat::Png))
    ->Arg(static_cast<int>(PictureFormat::Svg))
    ->Arg(static_cast<int>(PictureFormat::Pdf))
    ->Unit(benchmark::kMillisecond);

}  // namespace
