// Every sample of a run kept as columns of doubles, in the order and with
// the names of the CSV: time (ms), V-m, I-Inj (the protocol's current at the
// row's time), then slots 2 .. 20. For the front ends that hand a whole run
// on at once (NWB files, arrays).
#pragma once

#include <array>
#include <vector>

#include "vantor/engine/protocol.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

constexpr int kSampleColumnCount = kSampleSlots + 1;

class SampleColumns : public RunSink {
 public:
  explicit SampleColumns(const ParameterSet& params) : protocol_(Protocol::Of(params)) {}
  void Sample(const RunSample& sample) override;
  // Model 4's samples in double precision, its current summed the same way.
  void Precise(const RunSample& sample, const PreciseSample& precise) override;

  std::size_t Rows() const { return columns_[0].size(); }
  const std::vector<double>& Column(int c) const { return columns_[c]; }
  // Hands the columns over; the sink is empty afterwards.
  std::vector<std::vector<double>> Take();

 private:
  Protocol protocol_;
  std::array<std::vector<double>, kSampleColumnCount> columns_;
};

}  // namespace vantor
