#include "engine/calcium.h"

#include <cmath>

#include "engine/ghk.h"

namespace vantor {

CalciumGhkValue CalciumGhkAt(const GhkPoint& at, const GhkPoint& above, float shellCalcium,
                             float caOutMilliMolar) {
  const double ci = shellCalcium, co = caOutMilliMolar / 1000.0;
  const double gamma = GhkFactor(at, ci, co);
  return {static_cast<float>(gamma),
          static_cast<float>((GhkFactor(above, ci, co) - gamma) / kGhkSlopeStep)};
}

float CalciumReversal(float caOutMilliMolar, float tShellCalcium) {
  return static_cast<float>(
      30.0 * std::log10((caOutMilliMolar / 1000.0) / static_cast<double>(tShellCalcium)));
}

float AdvanceShell(float calcium, float current, float dt, float area, float depth, float rate) {
  const double volume = static_cast<double>(area) * depth;
  const double change = -kCalciumInflux * current / volume - std::fabs(rate) * calcium;
  return FloorCalcium(static_cast<float>(calcium + dt * change));
}

void AdvanceCalciumShells(const ParameterSet& params, const GateTable& gates,
                          const ShellCurrents& currents, float dt, float workingL,
                          float workingT, float& newL, float& newT) {
  const float area = params.Value(param::MembraneArea);
  newL = AdvanceShell(workingL, currents.iL, dt, area, params.Value(param::Depth),
                      params.Value(param::CaRemoval));
  newT = AdvanceShell(workingT, currents.iT, dt, area, kTShellDepth, gates.Row(gate::mAHP).E);
}

}  // namespace vantor
