// Two current-clamp analyses: the rheobase from a current ramp (the current
// at the first spike), and the impedance profile from a chirp (|Z(f)| =
// |FFT(V)| / |FFT(I)| over the chirp's band) with its resonance frequency.
#pragma once

#include <string>
#include <vector>

#include "vantor/analysis/spikes.h"
#include "vantor/engine/run_types.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct Ramp {
  double from = 0, to = 0;  // nA added to the base current
  double onset = 0;         // ms
  double duration = 0;      // ms
  double Rate() const { return (to - from) / duration; }  // nA/ms
};

struct Rheobase {
  bool ok = false;
  std::string error;   // no spike in the ramp, or why the run failed
  double current = 0;  // nA of the ramp at the first spike (the base current not included)
  double spikeTime = 0;  // ms
  double rate = 0;       // nA/ms
};

// The ramp's current at the first spike found between its onset and its end.
Rheobase RheobaseFromSpikes(const Ramp& ramp, const std::vector<Spike>& spikes);
// Runs the ramp (the parameters' own step switched off) and finds it.
Rheobase RunRampRheobase(const ParameterSet& params, const GateTable& gates, const Ramp& ramp,
                         const SpikeRule& rule, RunFlags& flags, VmTrace* trace = nullptr);

struct Chirp {
  double f0 = 0, f1 = 0;  // Hz
  double onset = 0, duration = 0;  // ms
  double amplitude = 0;   // nA
  bool logSweep = false;
};

struct ImpedanceProfile {
  bool ok = false;
  std::string error;
  std::vector<double> frequency;  // Hz, inside the chirp's band
  std::vector<double> magnitude;  // MOhm (mV / nA)
  double peakFrequency = 0;       // Hz, the largest |Z| of its running mean over five bins
  double peakMagnitude = 0;       // MOhm, that mean
  int spikes = 0;                 // a chirp that fires makes a profile that means little
};

// From samples (time ms, V mV, I nA), over [from, to] ms: both resampled
// linearly onto 2^n equal steps, their means removed, transformed by GSL's
// real FFT, and |Z| kept at the frequencies between f0 and f1.
ImpedanceProfile ImpedanceFrom(const std::vector<double>& times, const std::vector<double>& v,
                               const std::vector<double>& i, double from, double to, double f0,
                               double f1);
// Runs the chirp (the parameters' own step switched off) and measures it.
ImpedanceProfile RunChirpImpedance(const ParameterSet& params, const GateTable& gates,
                                   const Chirp& chirp, RunFlags& flags, VmTrace* trace = nullptr);

}  // namespace vantor
