#include "vantor/engine/sample_columns.h"

namespace vantor {

void SampleColumns::Sample(const RunSample& sample) {
  const double t = sample[slot::Time];
  columns_[0].push_back(t);
  columns_[1].push_back(sample[slot::V]);
  columns_[2].push_back(protocol_.InjectedCurrent(t));
  for (int s = 2; s < kSampleSlots; ++s) columns_[s + 1].push_back(sample[s]);
}

void SampleColumns::Precise(const RunSample&, const PreciseSample& precise) {
  const double t = precise[slot::Time];
  columns_[0].push_back(t);
  columns_[1].push_back(precise[slot::V]);
  columns_[2].push_back(protocol_.InjectedCurrentExact(t));
  for (int s = 2; s < kSampleSlots; ++s) columns_[s + 1].push_back(precise[s]);
}

std::vector<std::vector<double>> SampleColumns::Take() {
  std::vector<std::vector<double>> out;
  for (std::vector<double>& column : columns_) out.push_back(std::move(column));
  for (std::vector<double>& column : columns_) column.clear();
  return out;
}

}  // namespace vantor
