#include "engine/cell_rates.h"

#include <cmath>

#include "engine/calcium.h"
#include "engine/ghk.h"
#include "engine/kinetics.h"
#include "engine/stage.h"

namespace vantor {
namespace {

// Files one current in the sums and, when asked, in its slot.
struct Currents {
  const ParameterSet& params;
  RunSample* sample;
  double total = 0;  // nA, outward positive

  void Add(int slot, double current, double conductance) {
    total += current;
    if (sample)
      (*sample)[slot] = static_cast<float>(params.Trace(slot).cond != 0 ? conductance : current);
  }
  bool Slots() const { return sample != nullptr; }
};

double ShellRate(double calcium, double current, double area, double depth, double removal) {
  const double rate = -kCalciumInflux * current / (area * depth) - std::fabs(removal) * calcium;
  // The shells never fall below their floor.
  return calcium <= kCalciumFloor && rate < 0.0 ? 0.0 : rate;
}

}  // namespace

CellRates::CellRates(const ParameterSet& params, const GateTable& gates,
                     const RunConstants& constants)
    : params_(params), gates_(gates), constants_(constants) {
  synapses_.Build(params, gates, constants.phi.phi);
}

void CellRates::Evaluate(double t, double iInj, const double* y, double* dy,
                         RunSample* sample) const {
  const ParameterSet& p = params_;
  const RunConstants& k = constants_;
  const ReversalPotentials& e = k.e;
  double v = y[cell::V];
  if (v == 0.0) v = 1e-4;  // keeps the GHK factors away from 0/0
  if (v == -0.5) v = -0.5001;
  for (int i = 0; i < kCellStateSize; ++i) dy[i] = 0.0;

  Currents sum{p, sample};
  const double frt = k.frt;
  // The leak, GHK or ohmic.
  {
    const double pK = p.Value(param::pKleak), pNa = p.Value(param::pNaleak);
    if (k.ohmicLeak) {
      sum.total += pK * (v - e.eK) + pNa * (v - e.eNa);
    } else if (pK != 0.0 || pNa != 0.0) {
      const GhkPoint at = GhkAt(1, v, static_cast<float>(frt), true);
      sum.total += pK * GhkFactor(at, p.Value(param::KIn) / 1000.0, p.Value(param::KOut) / 1000.0) +
                   pNa * GhkFactor(at, p.Value(param::NaIn) / 1000.0, p.Value(param::NaOut) / 1000.0);
    }
  }

  GateContextD context{v, y[cell::CaL], p.Value(param::HShift), k.phi};
  // A sample needs the currents, not how the gates move.
  auto gate = [&](int row) {
    if (!sample) {
      const GateRateD rate = GateSteadyState(row, gates_.Row(row), context);
      dy[row] = rate.drive - rate.decay * y[row];
    }
    return y[row];
  };

  if (const double g0 = p.Value(param::gNa); g0 != 0.0) {
    const double m = gate(gate::mNa), h = gate(gate::hNa);
    const double g = g0 * m * m * m * h;
    sum.Add(slot::INa, g * (v - e.eNa), g);
  }
  if (const double g0 = p.Value(param::gNap); g0 != 0.0) {
    const double g = g0 * gate(gate::mNap);
    sum.Add(slot::INap, g * (v - e.eNa), g);
  }
  const auto syn = synapses_.Conductances(y + kCellStateSize, t);
  if (p.Value(param::gIPSP) != 0.0f && t > p.Value(param::IpscOnset)) {
    sum.Add(slot::IGABAa, syn[synapse::GABAa] * (v - e.eCl), syn[synapse::GABAa]);
    sum.Add(slot::IGABAb, syn[synapse::GABAb] * (v - e.eK), syn[synapse::GABAb]);
  }
  if (p.Value(param::gEPSP) != 0.0f && t > p.Value(param::EpscOnset)) {
    const GateRow& nmda = gates_.Row(gate::NMDA);
    double mg = p.Value(param::MgOut) / 1000.0;
    if (mg < 1e-20) mg = 1e-20;
    const double block = nmda.E * std::exp(nmda.F * 2.0 * v * frt / 1000.0);
    const double gNmda = syn[synapse::NMDA] * (1.0 - 1.0 / (block / mg + 1.0));
    sum.Add(slot::IAMPA, syn[synapse::AMPA] * v, syn[synapse::AMPA]);
    sum.Add(slot::INMDA, gNmda * v, gNmda);
  }
  if (const double g0 = p.Value(param::gK); g0 != 0.0) {
    const double n = gate(gate::mK);
    const double g = g0 * n * n * n * n;
    sum.Add(slot::IK, g * (v - e.eK), g);
  }
  if (const double g0 = p.Value(param::gM); g0 != 0.0) {
    const double g = g0 * gate(gate::mM);
    sum.Add(slot::IM, g * (v - e.eK), g);
  }
  if (const double g0 = p.Value(param::gA); g0 != 0.0) {
    const double m = gate(gate::mA), h = gate(gate::hA);
    const double g = g0 * m * m * m * m * h;
    sum.Add(slot::IA, g * (v - e.eK), g);
  }

  const double caOut = p.Value(param::CaOut) / 1000.0;
  const double caL = y[cell::CaL], caT = y[cell::CaT];
  double iT = 0, iL = 0;
  if (const double g0 = p.Value(param::pT); g0 != 0.0) {
    const double m = gate(gate::mT), h = gate(gate::hT);
    const double g = g0 * m * m * h;
    if (p.Value(param::CaRemoval) < 0.0f) {
      iT = g * (v - 30.0 * std::log10(caOut / caT));
      sum.Add(slot::IT, iT, g);
    } else {
      iT = g * GhkFactor(2, v, caT, caOut, static_cast<float>(frt));
      sum.Add(slot::IT, iT, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caT, caOut,
                                                        static_cast<float>(frt))
                                        : 0.0);
    }
  }
  if (const double g0 = p.Value(param::pL); g0 != 0.0) {
    const double m = gate(gate::mL);
    const double g = g0 * m * m;
    iL = g * GhkFactor(2, v, caL, caOut, static_cast<float>(frt));
    sum.Add(slot::IL, iL, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caL, caOut,
                                                      static_cast<float>(frt))
                                      : 0.0);
  }
  const double area = p.Value(param::MembraneArea);
  dy[cell::CaL] = ShellRate(caL, iL, area, p.Value(param::Depth), p.Value(param::CaRemoval));
  dy[cell::CaT] = ShellRate(caT, iT, area, kTShellDepth, gates_.Row(gate::mAHP).E);

  if (const double g0 = p.Value(param::gH); g0 != 0.0) {
    const double g = g0 * gate(gate::mH);
    sum.Add(slot::IH, g * (v - e.eH), g);
  }
  if (const double g0 = p.Value(param::gC); g0 != 0.0) {
    const double g = g0 * gate(gate::mC);
    sum.Add(slot::IC, g * (v - e.eK), g);
  }
  if (const double g0 = p.Value(param::gAHP); g0 != 0.0) {
    const double m = gate(gate::mAHP);
    const double g = g0 * m * m;
    sum.Add(slot::IAHP, g * (v - e.eK), g);
  }

  // Cm dV/dt = -(I_ion - I_inj); outward positive.
  dy[cell::V] = -(sum.total - iInj) / k.cm;
  if (sample) (*sample)[slot::ICap] = static_cast<float>(k.cm * dy[cell::V]);
  for (int i = 0; i < synapses_.Size(); ++i)
    dy[kCellStateSize + i] = -synapses_.Term(i).rate * y[kCellStateSize + i];
}

}  // namespace vantor
