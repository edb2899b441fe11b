// The gated channels of the cell, once: which parameter switches each on and
// scales it, which gates open it with which powers, what drives it and which
// sample slot shows it. The stage evaluation of methods 1 to 3 and the rates
// of Model 4 both walk this table; each keeps its own precision.
#pragma once

#include <utility>

#include "engine/ions.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// What a channel's current is driven by: an ohmic reversal potential, or
// calcium through the shells (GHK, or the log reversal for I-T).
enum class Drive { Na, K, H, Calcium };

struct ChannelGate {
  int row = 0;    // gate-table row, 0 for none
  int power = 0;  // the gate's exponent in the open fraction
};

struct Channel {
  int conductance;  // the parameter: maximal conductance (µS) or permeability
  ChannelGate first, second;
  Drive drive;
  int slot;
};

// In the order the currents are summed (float sums depend on it).
inline constexpr Channel kChannels[] = {
    {param::gNa, {gate::mNa, 3}, {gate::hNa, 1}, Drive::Na, slot::INa},
    {param::gNap, {gate::mNap, 1}, {}, Drive::Na, slot::INap},
    {param::gK, {gate::mK, 4}, {}, Drive::K, slot::IK},
    {param::gM, {gate::mM, 1}, {}, Drive::K, slot::IM},
    {param::gA, {gate::mA, 4}, {gate::hA, 1}, Drive::K, slot::IA},
    {param::pT, {gate::mT, 2}, {gate::hT, 1}, Drive::Calcium, slot::IT},
    {param::pL, {gate::mL, 2}, {}, Drive::Calcium, slot::IL},
    {param::gH, {gate::mH, 1}, {}, Drive::H, slot::IH},
    {param::gC, {gate::mC, 1}, {}, Drive::K, slot::IC},
    {param::gAHP, {gate::mAHP, 2}, {}, Drive::K, slot::IAHP},
};
inline constexpr int kChannelCount = sizeof kChannels / sizeof kChannels[0];

// Positions in the table. The synaptic currents are summed after Nap, the
// calcium channels come next to the shells they fill, and C and AHP (with
// H) after the shells have moved, since their gates read the new calcium.
namespace channel {
enum : int { Na, Nap, K, M, A, T, L, H, C, AHP };
}  // namespace channel

// The ohmic reversal potential of a channel's drive.
template <Drive D>
constexpr float ReversalOf(const ReversalPotentials& e) {
  static_assert(D != Drive::Calcium, "calcium currents are driven through the shells");
  if constexpr (D == Drive::Na) return e.eNa;
  else if constexpr (D == Drive::K) return e.eK;
  else return e.eH;
}

// x m^N, multiplied left to right.
template <int N>
constexpr double TimesPower(double x, double m) {
  if constexpr (N == 0) return x;
  else return TimesPower<N - 1>(x * m, m);
}

// The open fraction m^a h^b, multiplied left to right, from gate(row)
// called once for each gate in order (the stages advance the gate there).
template <Channel C, class GateValue>
__attribute__((always_inline)) inline double OpenFraction(GateValue&& gate) {
  const double m = gate(C.first.row);
  const double mPower = TimesPower<C.first.power - 1>(m, m);
  if constexpr (C.second.power == 0) return mPower;
  else return TimesPower<C.second.power>(mPower, gate(C.second.row));
}

// gmax m^a h^b, multiplied left to right from gmax, as Model 4 forms it.
template <Channel C>
__attribute__((always_inline)) inline double ConductanceOf(double gmax, const double* y) {
  const double g = TimesPower<C.first.power>(gmax, y[C.first.row]);
  if constexpr (C.second.power == 0) return g;
  else return TimesPower<C.second.power>(g, y[C.second.row]);
}

// f(std::integral_constant<int, i>) for each table position First <= i < Last,
// in order, unrolled.
template <int First, int Last, class F>
__attribute__((always_inline)) inline void ForEachChannel(F&& f) {
  [&]<int... I>(std::integer_sequence<int, I...>) __attribute__((always_inline)) {
    (f(std::integral_constant<int, First + I>{}), ...);
  }(std::make_integer_sequence<int, Last - First>{});
}

}  // namespace vantor
