#include "vantor/engine/sample_columns.h"

namespace vantor {

SampleColumns::SampleColumns(const ParameterSet& params, const Stimulus* stimulus)
    : protocol_(Protocol::Of(params)),
      driven_(stimulus != nullptr),
      count_(stimulus && stimulus->mode == ClampMode::Voltage ? kSampleColumnCount + 2
                                                              : kSampleColumnCount) {}

void SampleColumns::Drive(double command, double current) {
  drive_[0] = command;
  drive_[1] = current;
}

void SampleColumns::Add(double t, const double* slots, double current) {
  columns_[0].push_back(t);
  columns_[1].push_back(slots[slot::V]);
  columns_[2].push_back(driven_ ? drive_[1] : current);
  for (int s = 2; s < kSampleSlots; ++s) columns_[s + 1].push_back(slots[s]);
  if (count_ > kSampleColumnCount) {
    columns_[kSampleColumnCount].push_back(drive_[0]);
    columns_[kSampleColumnCount + 1].push_back(drive_[1]);
  }
}

void SampleColumns::Sample(const RunSample& sample) {
  double widened[kSampleSlots];
  for (int s = 0; s < kSampleSlots; ++s) widened[s] = sample[s];
  Add(widened[slot::Time], widened, driven_ ? 0.0 : protocol_.InjectedCurrent(widened[slot::Time]));
}

void SampleColumns::Precise(const RunSample&, const PreciseSample& precise) {
  const double t = precise[slot::Time];
  Add(t, precise.data(), driven_ ? 0.0 : protocol_.InjectedCurrentExact(t));
}

std::vector<std::vector<double>> SampleColumns::Take() {
  std::vector<std::vector<double>> out;
  for (int c = 0; c < count_; ++c) {
    out.push_back(std::move(columns_[c]));
    columns_[c].clear();
  }
  return out;
}

}  // namespace vantor
