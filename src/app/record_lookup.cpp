#include "app/record_lookup.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "vantor/render/run_record.h"

namespace vantor::app {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadSample(std::FILE* file, long index, RunSample& sample) {
  unsigned char bytes[kSampleBytes];
  if (std::fseek(file, index * kSampleBytes, SEEK_SET) != 0) return false;
  if (std::fread(bytes, 1, kSampleBytes, file) != static_cast<std::size_t>(kSampleBytes)) return false;
  sample = DecodeRunSample(bytes);
  return true;
}

}  // namespace

std::optional<std::pair<float, float>> RecordLookup::At(float t) const {
  const std::optional<RunSample> sample = SampleAt(t);
  if (!sample) return std::nullopt;
  return std::make_pair(t, (*sample)[1]);
}

std::optional<RunSample> RecordLookup::SampleAt(float t) const {
  if (path_.empty() || !std::isfinite(t)) return std::nullopt;
  File file(std::fopen(path_.c_str(), "rb"));
  if (!file) return std::nullopt;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long count = std::ftell(file.get()) / kSampleBytes;
  if (count <= 0) return std::nullopt;

  RunSample first, last;
  if (!ReadSample(file.get(), 0, first) || !ReadSample(file.get(), count - 1, last)) return std::nullopt;
  if (t < first[0] || t > last[0]) return std::nullopt;

  // The first sample at or after t (times never decrease along a record).
  long lo = 0, hi = count - 1;
  RunSample probe;
  while (lo < hi) {
    const long mid = lo + (hi - lo) / 2;
    if (!ReadSample(file.get(), mid, probe)) return std::nullopt;
    if (probe[0] < t) lo = mid + 1;
    else hi = mid;
  }
  RunSample after;
  if (!ReadSample(file.get(), lo, after)) return std::nullopt;
  RunSample result = after;
  if (lo > 0) {
    RunSample before;
    if (!ReadSample(file.get(), lo - 1, before)) return std::nullopt;
    const float span = after[0] - before[0];
    if (span > 0)
      for (int s = 1; s < kSampleSlots; ++s)
        result[s] = before[s] + (after[s] - before[s]) * (t - before[0]) / span;
  }
  result[0] = t;
  return result;
}

}  // namespace vantor::app
