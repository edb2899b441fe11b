// The reversal potentials of the ions and the resting potential of the two
// leaks for a parameter set's concentrations and temperature, as a run
// would compute them.
#pragma once

#include "vantor/params/parameter_set.h"

namespace vantor {

struct IonPotentials {
  float eNa = 0, eK = 0, eCl = 0;  // mV, Nernst
  float eCa = 0;     // mV, Nernst with z = 2 at the temperature, [Ca]i from its parameter
  float eCaRun = 0;  // mV, as the run's T current takes it: a fixed 30 mV per decade
  float eH = 0;      // mV, 0.445 E_Na + 0.555 E_K
  // mV: where the two leaks carry no current (pKleak, pNaleak), in their GHK
  // form, or in their ohmic form when Gate #1 equals Gate #2 as in a run.
  float leakRest = 0;
  bool ohmicLeak = false;
  float frt = 0;  // 1/V
};

// After the concentration floor a run applies (on a copy).
IonPotentials ComputeIonPotentials(const ParameterSet& params);

}  // namespace vantor
