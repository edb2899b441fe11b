// The plan a front end asks for, checked against the parameters: every key
// must name a parameter, every value must lie within its limits, and a
// grid above kGridLimit runs needs to be forced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vantor/params/parameter_set.h"
#include "vantor/sweep/sweep_plan.h"

namespace vantor {

// Grids above this many runs are refused unless forced.
constexpr long kGridLimit = 100000;

// One varied parameter: named by `key` (UTF-8) or by `index` when that is
// 0 or more; its values as text ("FROM:TO:COUNT" or "V1,V2,...") or, when
// the text is empty, as a list.
struct AxisRequest {
  std::string key;
  int index = -1;
  std::string text;
  std::vector<float> values;
};

struct SweepRequest {
  std::vector<AxisRequest> axes;  // the first varies slowest
  long samples = 0;               // above 0: this many random points
  std::uint64_t seed = 1;
  bool force = false;             // run a grid above kGridLimit
};

// How a front end calls the two settings the refusals point to: the
// command line "--vary" and "--force", Python "vary" and "force=True".
struct SweepTerms {
  std::string vary;
  std::string force;
};

enum class PlanFault {
  None,
  NoSuchParameter,  // a key that names no parameter
  OutOfRange,       // a value outside the limits
  TooManyRuns,      // a grid above the limit, not forced
  BadAxis,          // values that cannot be read, a parameter named twice
};

struct PlanRefusal {
  PlanFault fault = PlanFault::None;
  std::string caption;
  std::string text;  // code page 437
  explicit operator bool() const { return fault != PlanFault::None; }
};

// The plan of `request`, or why it is refused (`plan` is then incomplete).
PlanRefusal MakeSweepPlan(const SweepRequest& request, const ParameterSet& params,
                          const SweepTerms& terms, SweepPlan& plan);

}  // namespace vantor
