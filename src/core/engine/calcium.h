// The two intracellular calcium shells: the L shell, filled by I-L and read by
// mC, mAHP and the L channel's GHK factor, and the T shell, filled by I-T and
// read by the T channel and E_Ca.
#pragma once

#include "engine/cell_state.h"
#include "engine/ghk.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// Converts nA per µm³ into mol/L per ms (1 / (2 F) with the unit scalings).
constexpr double kCalciumInflux = 0.00518;
// The T shell's depth is fixed (µm).
constexpr float kTShellDepth = 0.1f;

// Γ(2, V, shell calcium, [Ca]o / 1000) of a calcium channel.
float CalciumGhk(float v, float shellCalcium, float caOutMilliMolar, float frt);
// The 0.5 mV forward-difference slope of the same factor.
float CalciumGhkSlope(float v, float shellCalcium, float caOutMilliMolar, float frt);
// Both at once for a channel whose potential is shared with the other one:
// `at` and `above` are GhkAt(2, V) and GhkAt(2, V + 0.5 mV), so the two
// channels of a stage take their exponentials once (same values as above).
struct CalciumGhkValue {
  float factor = 0;
  float slope = 0;
};
CalciumGhkValue CalciumGhkAt(const GhkPoint& at, const GhkPoint& above, float shellCalcium,
                             float caOutMilliMolar);

// E_Ca = 30 log10(([Ca]o / 1000) / T-shell calcium) mV: a fixed 30 mV per decade.
float CalciumReversal(float caOutMilliMolar, float tShellCalcium);

// One forward-Euler step of a shell: influx from `current` (nA, inward
// negative) into a volume of area · depth µm³, removal at `rate` 1/ms; the
// result never falls below kCalciumFloor.
float AdvanceShell(float calcium, float current, float dt, float area, float depth, float rate);

// Floors a value at kCalciumFloor (a value that is not a number stays so, so
// that a broken run is noticed rather than hidden).
inline float FloorCalcium(float calcium) {
  return calcium < kCalciumFloor ? kCalciumFloor : calcium;
}

struct ShellCurrents {
  float iL = 0;  // nA, 0 when the channel is off
  float iT = 0;
};

// Advances both shells from the working-point values over dt:
// L shell with Membrane area · depth and |Ca removal|, T shell with
// Membrane area · 0.1 and |mAHP.E|.
void AdvanceCalciumShells(const ParameterSet& params, const GateTable& gates,
                          const ShellCurrents& currents, float dt, float workingL,
                          float workingT, float& newL, float& newT);

}  // namespace vantor
