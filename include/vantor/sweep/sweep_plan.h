// What a sweep varies and the points it runs: a full grid in a fixed order,
// or random points drawn per run from a seed, so that any run can be made
// on its own (threads, shards, MPI ranks, a resumed sweep) with the same
// values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vantor/analysis/measures.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct SweepAxis {
  int index = -1;           // the parameter varied
  std::string name;         // its column name
  std::string given;         // the values as given: "0:2:11" or "1,2,5"
  std::vector<float> values;  // the grid values, in order
  float from = 0;           // the range random points are drawn from
  float to = 0;
  bool list = false;        // a list: random points pick one of the values
};

// Parses "FROM:TO:COUNT" (COUNT evenly spaced values, ends included) or
// "V1,V2,...". False with a one-line error otherwise (COUNT below 1 or not a
// whole number, a value that is not a number).
bool ParseAxisValues(const std::string& text, SweepAxis& axis, std::string& error);

struct SweepPlan {
  std::vector<SweepAxis> axes;  // the first varies slowest
  long samples = 0;             // above 0: this many random points instead of the grid
  std::uint64_t seed = 0;

  // The number of runs; the grid size saturates at the largest long.
  long Runs() const;
  // The values of each axis for run `run` (0 .. Runs() - 1).
  std::vector<float> Point(long run) const;
};

// The runs of shard k of n (1 <= k <= n): every n-th run from run k - 1.
std::vector<long> ShardRuns(long total, int k, int n);

// A fingerprint of everything besides the plan that decides a sweep's rows:
// the parameter values and limits and the gate table.
std::uint64_t InputsFingerprint(const ParameterSet& params, const GateTable& gates);

// The first line of a sweep file, naming the plan and the inputs; a resumed
// sweep and the shards of one merge must agree on it: the spike rule and the
// window (the default rule, or the one given) are part of it. `shard` is "" for a
// whole sweep or "K/N".
std::string SweepSignature(const SweepPlan& plan, std::uint64_t fingerprint,
                           const MeasureSettings& settings, const std::string& shard);

}  // namespace vantor
