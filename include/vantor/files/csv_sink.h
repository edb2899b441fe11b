// The samples of a run as comma-separated text: a header row with the time
// and the 21 traces by name and unit, then one row per sample (or, with a
// grid step, one row per grid time).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "vantor/engine/protocol.h"
#include "vantor/engine/run_sample.h"
#include "vantor/engine/run_types.h"
#include "vantor/engine/stimulus.h"
#include "vantor/files/grid_resampler.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// The I-Inj column is the protocol's injected current at the row's time: the
// base current, plus the step strictly between its onset and its offset.
// Times rise strictly from row to row; at a step edge V is continuous and the
// row at the edge holds what the run reached there.
// "time (ms)", "V-m (mV)", "I-Inj (nA)", "I-cap (nA)", "[Ca++]-i (µM)",
// "I-C (nA)" or "g-C (µS)" when the trace shows the conductance, ...,
// "g-1 (mC)": UTF-8, made from the trace table and the gate selections as
// they are now.
std::vector<std::string> CsvColumnNames(const ParameterSet& params);

// Given to a run as its DriveSink too (with a stimulus), the I-Inj column
// holds what drove each sample: the injected current, or in voltage clamp the
// clamp current, and two columns follow the others there: "V-cmd (mV)" and
// "I-clamp (nA)". A family's runs follow one another with a last column
// "run" (1, 2, ...).
class CsvSink : public RunSink, public DriveSink {
 public:
  // Writes the header; the stream belongs to the caller. With `gridStep`
  // the rows are the samples interpolated linearly onto 0, step, 2 step,
  // ... up to the end of the recorded time; without, one row per sample at
  // the times the run recorded (irregularly spaced).
  CsvSink(std::FILE* stream, const ParameterSet& params,
          std::optional<double> gridStep = std::nullopt, const Stimulus* stimulus = nullptr,
          bool family = false);
  void Sample(const RunSample& sample) override;
  void Drive(double command, double current) override;
  // The next run of a family begins (its rows start again at time 0).
  void NextRun();
  // Model 4's samples: their rows carry the double-precision time and values
  // (the shortest text that reads back the same double; grid times to 15
  // significant digits) and the current summed in double precision.
  void Precise(const RunSample& sample, const PreciseSample& precise) override;
  // Writes what is still held back; call once after the run.
  void Finish();
  bool Failed() const { return failed_; }
  // The errno of the first failed write; 0 when none said.
  int Error() const { return error_; }

 private:
  void Take(const PreciseSample& now);
  void Row(double t, const double* slots, const double* drive, bool grid);
  void Number(double value);
  void Flush();

  std::FILE* stream_;
  Protocol protocol_;                   // for the I-Inj column
  std::optional<GridResampler> grid_;
  bool precise_ = false;                   // the row in hand is Model 4's
  bool driven_ = false, clamp_ = false, family_ = false;
  int run_ = 1;
  double drive_[2] = {};  // command and current
  std::string buffer_;
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace vantor
