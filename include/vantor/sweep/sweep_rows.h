// The rows of a sweep file: a signature line (sweep_plan.h), a header, and
// one row per run: its number, the varied values, every measure and the
// message of a run that was refused or failed.
#pragma once

#include <string>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_result.h"

namespace vantor {

// "run,gA,gK,spikes,rate_hz,...,class,onset_mv,...,ahp_time_ms,window_from_ms,
// window_to_ms,error": the window each run was measured over
std::string SweepHeader(const SweepPlan& plan);
// One row with its line end. Values round-trip (nine digits for a float);
// a measure that does not exist is left empty.
std::string SweepRow(long run, const std::vector<float>& point, const MeasuredRun& result);
std::string SweepRow(const SweepResult& result);

// The texts a row holds: a varied value (the shortest that reads back as
// the same float) and a measure (seven digits; "" for none).
std::string PointText(float v);
std::string MeasureText(double v);
// A varied value as the row's text reads back in double precision.
double WrittenValue(float v);

// A row read back (`axes` varied parameters): false when it is not one.
// The measures are as precise as the row holds them; a run whose row has
// no class did not complete.
bool ParseSweepRow(const std::string& line, std::size_t axes, SweepResult& result);

// A result as its row reads back: what charts and tables show, so that
// they are the same from fresh runs and from the rows of a resumed sweep.
SweepResult AsWritten(const SweepResult& result);

// The fields of one CSV line (quotes as written by SweepRow).
std::vector<std::string> SplitCsv(const std::string& line);

struct SweepFile {
  std::string signature;
  std::string header;
  struct Row {
    long run;
    std::string text;  // the whole line with its line end
  };
  std::vector<Row> rows;
  // Bytes of whole lines read: a last line without its end (a write cut
  // short) is not taken.
  long long completeBytes = 0;
};

// Reads a sweep file. False with a message naming the file when it cannot be
// read or is not a sweep file (no signature or header, a row without a run
// number).
bool ReadSweepFile(const std::string& path, SweepFile& file, std::string& error);

}  // namespace vantor
