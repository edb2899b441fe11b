// A stimulus sampled over a trial, for pictures of it: the injected current
// (nA, the parameters' base current and step included) in current clamp,
// the command (mV) in voltage clamp.
#pragma once

#include <optional>
#include <vector>

#include "vantor/engine/stimulus.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct StimulusTrace {
  std::vector<double> times;   // ms, ascending; a jump gives two points at one time
  std::vector<double> levels;  // nA or mV
};

// `points` evenly spaced samples over [0, trial], and each edge of the
// stimulus (and of the parameters' step) from both sides while there are at
// most `maxEdges` of them. `parameterStep` replaces the parameters' step
// amplitude (a family varying it).
StimulusTrace SampleStimulus(const Stimulus& stimulus, const ParameterSet& params,
                             std::optional<double> parameterStep = std::nullopt,
                             int points = 1000, int maxEdges = 4000);

}  // namespace vantor
