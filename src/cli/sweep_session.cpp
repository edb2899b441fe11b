#include "cli/sweep_session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "analysis/sweep_rows.h"
#include "cli/commands.h"
#include "cli/picture_output.h"
#include "cli/sweep_chart.h"
#include "device/picture_file.h"
#include "encode/output_file.h"
#include "encode/text_helpers.h"
#include "params/list_files.h"
#include "params/parameter_file.h"

namespace vantor::cli {
namespace {

}  // namespace

int LoadSweepInputs(const RunOptions& options, ParameterSet& params, GateTable& gates,
                    Messages& messages) {
  CollectedMessages seen;
  const std::string directory = ProgramDirectory();
  if (options.limitsFile.empty()) {
    SilentMessages quiet;
    ReadInitFile(directory + "VANTOR.mnx", params, quiet);
  } else {
    if (ReplaceExtension(options.limitsFile, ".mnx") != options.limitsFile) {
      messages.Warn(kShellCaption, "--limits needs a limits file named *.mnx: " + options.limitsFile);
      return 2;
    }
    ReadInitFile(options.limitsFile, params, seen);
  }
  if (seen.entries.empty() && !options.parameterFile.empty())
    ReadParameterFile(options.parameterFile, params, seen);
  if (seen.entries.empty()) ApplySettings(options, params, seen);
  const std::string gatesPath =
      options.gatesFile.empty() ? directory + "vmodels.val" : options.gatesFile;
  if (seen.entries.empty() && !LoadGateTable(gatesPath, gates, seen))
    seen.Warn(kShellCaption, "The gate table " + gatesPath + " cannot be used.");
  for (const auto& entry : seen.entries) messages.Warn(entry.caption, entry.text);
  return seen.entries.empty() ? 0 : 1;
}

namespace {

SweepChart MakeChart(const SweepSetup& setup, const std::vector<std::string>& rows) {
  SweepChart chart;
  const SweepPlan& plan = setup.plan;
  for (const SweepAxis& axis : plan.axes) {
    chart.axisNames.push_back(Utf8ToCp437(axis.name));
    if (plan.samples == 0) chart.gridValues.push_back(axis.values);
  }
  for (const MeasureInfo& info : MeasureTable())
    if (info.id == setup.options.plot)
      chart.measureName = std::string(info.label) + (*info.unit ? std::string(" (") + info.unit + ")" : "");
  const std::size_t first = 1 + plan.axes.size();
  const std::size_t column = first + static_cast<std::size_t>(setup.options.plot);
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

int SweepError(int status, const std::string& text) {
  std::fprintf(stderr, "vantor-cli sweep: %s\n", text.c_str());
  return status;
}

int PrepareSweep(const std::vector<std::string>& args, bool fi, SweepSetup& setup,
                 Messages& messages, bool loud) {
  std::string error;
  SweepOptions& o = setup.options;
  auto usage = [&](const std::string& text) {
    if (loud) std::fprintf(stderr, "vantor-cli %s: %s\n(see vantor-cli --help)\n", fi ? "fi" : "sweep", text.c_str());
    return 2;
  };
  if (!ParseSweepOptions(args, fi, o, error)) return usage(error);
  if (!o.size.empty() && !ParsePictureSize(o.size, setup.chartWidth, setup.chartHeight))
    return usage("--size needs WxH, each 1 to 8000: " + o.size);
  for (const std::string* file : {&o.png, &o.svg})
    if (!file->empty() && !PictureFormatForPath(*file))
      return usage("a chart file ends in .png or .svg: " + *file);
  if (const int status = LoadSweepInputs(o.inputs, setup.params, setup.gates, messages); status != 0)
    return status;
  if (const int status = MakePlan(o, setup.params, setup.plan, messages, error); status != 0)
    return status == 2 ? usage(error) : status;
  if ((!o.png.empty() || !o.svg.empty()) && setup.plan.axes.size() > 2)
    return usage("a chart shows one or two varied parameters, not " +
                 std::to_string(setup.plan.axes.size()));
  if (o.resume && o.out.empty()) return usage("--resume needs --out");
  const long runs = setup.plan.Runs();
  setup.order = o.shardCount > 0 ? ShardRuns(runs, o.shardIndex, o.shardCount) : ShardRuns(runs, 1, 1);
  const std::string shard =
      o.shardCount > 0 ? std::to_string(o.shardIndex) + "/" + std::to_string(o.shardCount) : "";
  setup.signature = SweepSignature(setup.plan, InputsFingerprint(setup.params, setup.gates),
                                   o.threshold, shard);
  setup.header = SweepHeader(setup.plan);
  if (o.jobs == 0) {
    // One thread per core; an MPI rank is given one core unless told.
    const unsigned cores = std::thread::hardware_concurrency();
    o.jobs = o.mpi ? 1 : static_cast<int>(cores == 0 ? 1 : cores);
  }
  return 0;
}

int CheckChartFiles(const SweepSetup& setup) {
  for (const std::string* file : {&setup.options.png, &setup.options.svg}) {
    if (file->empty()) continue;
    OutputFile probe;
    if (!probe.Open(*file)) return SweepError(1, "cannot write " + *file);
  }
  return 0;
}

int WriteCharts(const SweepSetup& setup, const std::vector<std::string>& rows) {
  const SweepChart chart = MakeChart(setup, rows);
  for (const std::string* file : {&setup.options.png, &setup.options.svg}) {
    if (file->empty()) continue;
    std::string error;
    if (!SavePicture(*PictureFormatForPath(*file), *file, setup.chartWidth, setup.chartHeight,
                     0xFFFFFF, [&](Device& d) { DrawSweepChart(d, chart); }, error))
      return SweepError(1, "cannot write " + *file + (error.empty() ? "" : ": " + error));
  }
  return 0;
}

void PrintFiTable(const SweepSetup& setup, const std::vector<std::string>& rows) {
  std::printf("%14s %12s %8s  %s\n", "current (nA)", "rate (Hz)", "spikes", "activity");
  for (const std::string& row : rows) {
    const std::vector<std::string> f = SplitCsv(row);
    if (f.size() < 2 + kMeasureCount + 1) continue;
    const std::string& error = f.back();
    if (!error.empty()) {
      std::printf("%14s %s\n", f[1].c_str(), error.c_str());
      continue;
    }
    std::printf("%14s %12s %8s  %s\n", f[1].c_str(), f[3].c_str(), f[2].c_str(),
                f[2 + static_cast<int>(MeasureId::Class)].c_str());
  }
  (void)setup;
}

bool RunOnThreads(const SweepJob& job, int jobs, const std::function<bool(const std::string&)>& write) {
  BlockDispenser dispenser(job.Count());
  OrderedRows rows(job.Count());
  bool ok = true;
  {
    SweepWorkers workers(std::max(1, std::min<int>(jobs, static_cast<int>(std::max(1L, job.Count())))),
                         job, dispenser, rows);
    while (ok && !rows.AllTaken())
      for (const std::string& row : rows.Take(std::chrono::milliseconds(200)))
        if (ok && !write(row)) {
          ok = false;
          dispenser.Stop();
        }
  }
  return ok;
}

}  // namespace vantor::cli
