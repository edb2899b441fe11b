// The samples of a run as comma-separated text: a header row with the time
// and the 20 recorded traces by name and unit, then one row per sample.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/run_sample.h"
#include "params/gate_table.h"
#include "params/parameter_set.h"

namespace vantor::cli {

// "time (ms)", "V-m (mV)", "I-cap (nA)", "[Ca++]-i (µM)", "I-C (nA)" or
// "g-C (µS)" when the trace shows the conductance, ..., "g-1 (mC)": UTF-8,
// made from the trace table and the gate selections as they are now.
std::vector<std::string> CsvColumnNames(const ParameterSet& params);

class CsvSink : public RunSink {
 public:
  // Writes the header at once; the stream belongs to the caller.
  CsvSink(std::FILE* stream, const ParameterSet& params);
  void Sample(const RunSample& sample) override;
  bool Failed() const { return failed_; }

 private:
  std::FILE* stream_;
  bool failed_ = false;
};

}  // namespace vantor::cli
