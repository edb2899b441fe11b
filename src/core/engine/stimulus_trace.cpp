#include "vantor/engine/stimulus_trace.h"

#include <algorithm>
#include <cmath>

#include "engine/stimulus_drive.h"
#include "vantor/engine/protocol.h"

namespace vantor {

StimulusTrace SampleStimulus(const Stimulus& stimulus, const ParameterSet& params,
                             std::optional<double> parameterStep, int points, int maxEdges) {
  StimulusTrace trace;
  const double trial = params.Value(param::TrialDuration);
  if (!(trial > 0) || points < 2) return trace;
  const StimulusDrive drive(stimulus, trial);
  Protocol protocol = Protocol::Of(params);
  if (parameterStep) protocol.amplitude = static_cast<float>(*parameterStep);
  const bool voltage = stimulus.mode == ClampMode::Voltage;
  // The value at t, pieces chosen at `within` (just before or after an edge).
  auto level = [&](double t, double within) {
    const double own = voltage ? 0.0 : protocol.InjectedCurrentExact(within);
    return own + drive.Level(t, within);
  };

  std::vector<double> edges;
  if (!voltage)
    for (const double t : {static_cast<double>(protocol.onset), static_cast<double>(protocol.offset)})
      if (t > 0 && t < trial) edges.push_back(t);
  for (double t = drive.NextEdge(0.0); t < trial && static_cast<int>(edges.size()) <= maxEdges;
       t = drive.NextEdge(t))
    edges.push_back(t);
  if (static_cast<int>(edges.size()) > maxEdges) edges.clear();  // too many to show apart
  std::sort(edges.begin(), edges.end());

  std::size_t e = 0;
  auto add = [&](double t, double within) {
    trace.times.push_back(t);
    trace.levels.push_back(level(t, within));
  };
  for (int i = 0; i < points; ++i) {
    const double t = trial * i / (points - 1);
    for (; e < edges.size() && edges[e] <= t; ++e) {
      const double d = 1e-9 * std::max(1.0, edges[e]);
      add(edges[e], edges[e] - d);
      add(edges[e], edges[e] + d);
    }
    if (i == 0) add(t, std::min(trial, 1e-9));
    else if (i == points - 1) add(t, t - 1e-9 * trial);
    else add(t, t);
  }
  return trace;
}

}  // namespace vantor
