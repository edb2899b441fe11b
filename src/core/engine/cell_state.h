// The state of the cell: the membrane potential, the thirteen gating
// variables and the two calcium shells, all single precision.
#pragma once

#include <array>

namespace vantor {

constexpr int kCellStateSize = 16;
using CellState = std::array<float, kCellStateSize>;

// Indices into a CellState. The gating variables sit at the index of their
// gate-table row (mNa = 1 .. mAHP = 13), so gate::Row values index them too.
namespace cell {
enum Index : int {
  V = 0,
  FirstGate = 1,
  LastGate = 13,
  CaL = 14,  // calcium of the shell filled by I-L (mol/L)
  CaT = 15,  // calcium of the shell filled by I-T (mol/L)
};
}  // namespace cell

// Both shells start every run here and never fall below it (mol/L).
constexpr float kCalciumFloor = 5e-8f;

// The name of a state value, for messages ("V", "mNa", ..., "L-shell calcium").
const char* CellStateName(int index);

}  // namespace vantor
