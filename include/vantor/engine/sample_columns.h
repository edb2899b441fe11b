// Every sample of a run kept as columns of doubles, in the order and with
// the names of the CSV: time (ms), V-m, I-Inj (the protocol's current at the
// row's time), then slots 2 .. 20. For the front ends that hand a whole run
// on at once (NWB files, arrays).
#pragma once

#include <array>
#include <vector>

#include "vantor/engine/protocol.h"
#include "vantor/engine/run_sample.h"
#include "vantor/engine/run_types.h"
#include "vantor/engine/stimulus.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

constexpr int kSampleColumnCount = kSampleSlots + 1;

// Given to a run as its DriveSink too (with a stimulus), I-Inj holds what
// drove each sample, and in voltage clamp two columns follow the others, as
// in the CSV: the command ("V-cmd (mV)") and the clamp current ("I-clamp (nA)").
class SampleColumns : public RunSink, public DriveSink {
 public:
  explicit SampleColumns(const ParameterSet& params, const Stimulus* stimulus = nullptr);
  void Sample(const RunSample& sample) override;
  // Model 4's samples in double precision, its current summed the same way.
  void Precise(const RunSample& sample, const PreciseSample& precise) override;
  void Drive(double command, double current) override;

  std::size_t Rows() const { return columns_[0].size(); }
  int Count() const { return count_; }
  const std::vector<double>& Column(int c) const { return columns_[c]; }
  // Hands the columns over; the sink is empty afterwards (ready for the
  // next run of a family).
  std::vector<std::vector<double>> Take();

 private:
  void Add(double t, const double* slots, double current);

  Protocol protocol_;
  bool driven_ = false;
  int count_ = kSampleColumnCount;
  double drive_[2] = {};  // command and current of the sample to come
  std::array<std::vector<double>, kSampleColumnCount + 2> columns_;
};

}  // namespace vantor
