#include "cli/sweep_session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "analysis/sweep_rows.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/parameter_names.h"
#include "cli/picture_output.h"
#include "cli/sweep_chart.h"
#include "device/picture_file.h"
#include "encode/text_helpers.h"

namespace vantor::cli {
namespace {

SweepChart MakeChart(const SweepSetup& setup, const std::vector<std::string>& rows) {
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
  const std::size_t column = 1 + plan.axes.size() + static_cast<std::size_t>(setup.options.plot);
  for (const std::string& row : rows) {
    const std::vector<std::string> fields = SplitCsv(row);
    if (fields.size() <= column) continue;
    SweepChart::Point point;
    for (std::size_t a = 0; a < plan.axes.size(); ++a) point.x.push_back(std::atof(fields[1 + a].c_str()));
    point.value = fields[column].empty() ? kNoValue : std::atof(fields[column].c_str());
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
  for (const std::string* file : {&o.png, &o.svg})
    if (!file->empty() && !PictureFormatForPath(*file))
      return UsageError(setup.command, "a chart file ends in .png or .svg: " + *file);
  if (o.resume && o.out.empty()) return UsageError(setup.command, "--resume needs --out");
  if (const int status = LoadRunInputs(o.inputs, setup.inputs); status != 0) return status;
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
                                   o.threshold, shard);
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

int WriteCharts(const SweepSetup& setup, const std::vector<std::string>& rows, OutputSet& charts) {
  if (charts.Empty()) return 0;
  const SweepChart chart = MakeChart(setup, rows);
  for (const char* option : {"--png", "--svg"}) {
    OutputFile* out = charts.File(option);
    if (out == nullptr) continue;
    const QByteArray bytes =
        RenderPicture(*PictureFormatForPath(charts.Path(option)), setup.chartWidth, setup.chartHeight,
                      0xFFFFFF, [&](Device& d) { DrawSweepChart(d, chart); });
    if (bytes.isEmpty()) {
      PrintError("The chart " + charts.Path(option) + " could not be encoded.");
      return kExitRefused;
    }
    out->Write(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  return 0;
}

void PrintFiTable(const std::vector<std::string>& rows) {
  std::printf("%12s %10s %7s  %s\n", "step (nA)", "rate (Hz)", "spikes", "activity");
  const std::size_t classColumn = 2 + static_cast<std::size_t>(MeasureId::Class);
  for (const std::string& row : rows) {
    const std::vector<std::string> f = SplitCsv(row);
    if (f.size() <= classColumn + 1) continue;
    if (!f.back().empty())
      std::printf("%12s %s\n", f[1].c_str(), f.back().c_str());
    else
      std::printf("%12s %10s %7s  %s\n", f[1].c_str(), f[3].c_str(), f[2].c_str(), f[classColumn].c_str());
  }
}

bool RunOnThreads(const SweepJob& job, int jobs, const std::function<bool(const std::string&)>& write) {
  BlockDispenser dispenser(job.Count());
  OrderedRows rows(job.Count());
  bool ok = true;
  const int threads = static_cast<int>(std::max(1L, std::min<long>(jobs, job.Count())));
  {
    SweepWorkers workers(threads, job, dispenser, rows);
    while (ok && !rows.AllTaken()) {
      for (const std::string& row : rows.Take(std::chrono::milliseconds(100)))
        if (ok && !write(row)) ok = false;
      if (Interrupted()) ok = false;
      if (!ok) dispenser.Stop();
    }
    // The runs in flight end before the workers are joined; what they
    // finish in order is kept.
  }
  if (Interrupted())
    for (const std::string& row : rows.Take(std::chrono::milliseconds(0))) write(row);
  return ok;
}

}  // namespace vantor::cli
