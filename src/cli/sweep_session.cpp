#include "cli/sweep_session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "vantor/sweep/sweep_rows.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/drawing.h"
#include "cli/interrupts.h"
#include "vantor/params/parameter_names.h"
#include "cli/picture_output.h"
#include "vantor/render/sweep_chart.h"
#include "vantor/text/text_helpers.h"

namespace vantor::cli {
namespace {

// What the rows hold, whether the results are fresh or read back.
SweepChart MakeChart(const SweepSetup& setup, const std::vector<SweepResult>& results) {
  SweepChart chart;
  const SweepPlan& plan = setup.plan;
  for (const SweepAxis& axis : plan.axes) {
    const std::string unit = ParameterUnit(axis.index);
    chart.axisNames.push_back(Utf8ToCp437(axis.name + (unit.empty() ? "" : " (" + unit + ")")));
    if (plan.samples == 0) chart.gridValues.push_back(axis.values);
  }
  for (const MeasureInfo& info : MeasureTable())
    if (info.id == setup.options.plot)
      chart.measureName = std::string(info.label) + (*info.unit ? std::string(" (") + info.unit + ")" : "");
  for (const SweepResult& fresh : results) {
    const SweepResult result = AsWritten(fresh);
    SweepChart::Point point;
    for (float v : result.point) point.x.push_back(WrittenValue(v));
    point.value = result.measured.outcome == RunOutcome::Completed
                      ? MeasureValue(result.measured.measures, setup.options.plot)
                      : kNoValue;
    chart.points.push_back(std::move(point));
  }
  return chart;
}

}  // namespace

int PrepareSweep(const std::vector<std::string>& args, bool fi, SweepSetup& setup) {
  std::string error;
  SweepOptions& o = setup.options;
  setup.command = fi ? "fi" : "sweep";
  if (!ParseSweepOptions(args, fi, o, error)) return UsageError(setup.command, error);
  if (!o.size.empty() && !ParsePictureSize(o.size, setup.chartWidth, setup.chartHeight))
    return UsageError(setup.command, "--size needs WxH: " + o.size);
  for (const std::string* file : {&o.png, &o.svg}) {
    if (file->empty()) continue;
    if (!CanDraw())
      return UsageError(setup.command, "this vantor-cli was built without Qt (VANTOR_WITH_QT=OFF): "
                                       "--png and --svg charts are not available");
    if (!IsChartFile(*file))
      return UsageError(setup.command, "a chart file ends in .png or .svg: " + *file);
  }
  if (o.resume && o.out.empty()) return UsageError(setup.command, "--resume needs --out");
  if (o.resume && o.out == "-")
    return UsageError(setup.command, "--resume needs a file to carry on (--out - keeps no rows)");
  if (const int status = LoadRunInputs(o.inputs, setup.inputs, setup.command); status != 0) return status;
  StderrMessages messages;
  if (const int status = MakePlan(o, setup.inputs.params, setup.plan, messages, error); status != 0)
    return status == 2 ? UsageError(setup.command, error) : status;
  if ((!o.png.empty() || !o.svg.empty()) && setup.plan.axes.size() > 2)
    return UsageError(setup.command, "a chart shows one or two varied parameters, not " +
                                         std::to_string(setup.plan.axes.size()));
  const long runs = setup.plan.Runs();
  setup.order = o.shardCount > 0 ? ShardRuns(runs, o.shardIndex, o.shardCount) : ShardRuns(runs, 1, 1);
  const std::string shard =
      o.shardCount > 0 ? std::to_string(o.shardIndex) + "/" + std::to_string(o.shardCount) : "";
  setup.signature = SweepSignature(setup.plan, InputsFingerprint(setup.inputs.params, setup.inputs.gates),
                                   o.measures, shard);
  setup.header = SweepHeader(setup.plan);
  if (o.jobs == 0) {
    // One thread per core; an MPI rank is given one core unless told.
    const unsigned cores = std::thread::hardware_concurrency();
    o.jobs = o.mpi ? 1 : static_cast<int>(cores == 0 ? 1 : cores);
  }
  return 0;
}

bool OpenCharts(const SweepSetup& setup, OutputSet& charts) {
  const SweepOptions& o = setup.options;
  if (!o.png.empty()) charts.Add("--png", o.png);
  if (!o.svg.empty()) charts.Add("--svg", o.svg);
  if (charts.Empty()) return true;
  std::vector<std::string> taken = setup.inputs.files;
  if (!o.out.empty()) taken.push_back(o.out), taken.push_back(o.out + ".part");
  if (!charts.Open(taken)) return false;
  if (!EnsureGuiApplication()) {
    PrintError("The drawing system could not be started.");
    return false;
  }
  return true;
}

int WriteCharts(const SweepSetup& setup, const std::vector<SweepResult>& results, OutputSet& charts) {
  if (charts.Empty()) return 0;
  const SweepChart chart = MakeChart(setup, results);
  for (const char* option : {"--png", "--svg"}) {
    OutputFile* out = charts.File(option);
    if (out == nullptr) continue;
    const std::optional<std::string> bytes =
        EncodeChart(charts.Path(option), setup.chartWidth, setup.chartHeight,
                    [&](Device& d) { DrawSweepChart(d, chart); });
    if (!bytes) {
      PrintError("The chart " + charts.Path(option) + " could not be encoded.");
      return kExitRefused;
    }
    out->Write(*bytes);
  }
  return 0;
}

void PrintFiTable(const std::vector<SweepResult>& results) {
  std::printf("%12s %10s %7s %15s %13s  %s\n", "step (nA)", "rate (Hz)", "spikes", "amplitude (mV)",
              "window (ms)", "activity");
  // Where the rate stops rising, and where the class first says block.
  double best = -1, bestAt = 0, blockAt = kNoValue;
  bool falls = false;
  for (const SweepResult& fresh : results) {
    const SweepResult r = AsWritten(fresh);
    const std::string current = PointText(r.point.front());
    if (!r.measured.message.empty()) {
      std::printf("%12s %s\n", current.c_str(), r.measured.message.c_str());
      continue;
    }
    const bool done = r.measured.outcome == RunOutcome::Completed;
    const Measures& m = r.measured.measures;
    const std::string window = done ? MeasureText(m.window.from) + " .. " + MeasureText(m.window.to) : "";
    std::printf("%12s %10s %7s %15s %13s  %s\n", current.c_str(), done ? MeasureText(m.rateHz).c_str() : "",
                done ? MeasureText(m.spikes).c_str() : "",
                done ? MeasureText(std::round(m.amplitudeMv * 10) / 10).c_str() : "", window.c_str(),
                done ? ActivityClassName(m.activity) : "");
    if (!done) continue;
    const double at = WrittenValue(r.point.front());
    if (m.activity == ActivityClass::DepolarisationBlock && std::isnan(blockAt)) blockAt = at;
    if (m.rateHz > best && !falls) best = m.rateHz, bestAt = at;
    else if (m.rateHz < best) falls = true;
  }
  // The rate of a cell driven into depolarisation block falls as its spikes
  // shrink; the table says where.
  if (falls)
    std::printf("The rate is highest at %s nA (%s Hz); at larger currents the spikes shrink and the cell "
                "enters depolarisation block%s.\n",
                MeasureText(bestAt).c_str(), MeasureText(best).c_str(),
                std::isnan(blockAt) ? "" : (" (classed so from " + MeasureText(blockAt) + " nA)").c_str());
}

}  // namespace vantor::cli
