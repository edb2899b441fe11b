// Ion concentrations: the floor applied before a run, the reversal
// potentials, and the two leak permeabilities in their GHK or ohmic form.
#pragma once

#include "vantor/params/parameter_set.h"

namespace vantor {

// Concentrations below this (mM, nM for [Ca]i), and those that are not a
// number, are replaced by kConcentrationReplacement before a run.
constexpr float kConcentrationMinimum = 1e-6f;
constexpr float kConcentrationReplacement = 1e-9f;

// Writes the floor into the parameter set itself, so it persists after the run.
void ApplyConcentrationFloor(ParameterSet& params);

struct ReversalPotentials {
  float eNa = 0, eK = 0, eCl = 0, eH = 0;  // mV
};

// (1000 / (z FRT)) ln(outside / inside) in mV, the ratio formed in single
// precision; an anion's is taken with z = 1 and the concentrations swapped.
float NernstPotential(int z, float outside, float inside, float frt);

// Nernst potentials at the given FRT (1/V); E_H = 0.445 E_Na + 0.555 E_K.
ReversalPotentials ComputeReversalPotentials(const ParameterSet& params, float frt);

struct LeakCurrent {
  float current = 0;      // nA
  float conductance = 0;  // µS, the slope that enters the membrane step
};

// pKleak and pNaleak through the GHK factor, conductance = the two 0.5 mV slopes.
LeakCurrent GhkLeak(const ParameterSet& params, float v, float frt);
// pKleak (V - E_K) + pNaleak (V - E_Na), conductance pKleak + pNaleak.
LeakCurrent OhmicLeak(const ParameterSet& params, float v, const ReversalPotentials& e);

}  // namespace vantor
