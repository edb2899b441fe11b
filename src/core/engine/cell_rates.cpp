#include "engine/cell_rates.h"

#include <cmath>
#include <cstring>

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

// influx: mol/L per ms per nA of the shell.
double ShellRate(double calcium, double current, double influx, double removal) {
  const double rate = -influx * current - removal * calcium;
  // The shells never fall below their floor.
  return calcium <= kCalciumFloor && rate < 0.0 ? 0.0 : rate;
}

// The gates (one or two rows, 0 for none) that each conductance switches on.
struct ChannelGates {
  int conductance, first, second;
};
constexpr ChannelGates kChannelGates[] = {
    {param::gNa, gate::mNa, gate::hNa}, {param::gNap, gate::mNap, 0}, {param::gK, gate::mK, 0},
    {param::gM, gate::mM, 0},           {param::gA, gate::mA, gate::hA}, {param::pT, gate::mT, gate::hT},
    {param::pL, gate::mL, 0},           {param::gH, gate::mH, 0},        {param::gC, gate::mC, 0},
    {param::gAHP, gate::mAHP, 0}};

}  // namespace

CellRates::CellRates(const ParameterSet& params, const GateTable& gates,
                     const RunConstants& constants)
    : params_(params), gates_(gates), constants_(constants) {
  synapses_.Build(params, gates, constants.phi.phi);
  Refresh();
}

void CellRates::Refresh() {
  const ParameterSet& p = params_;
  const float ahpE = gates_.Row(gate::mAHP).E;
  // Most samples change nothing: the values compared bit for bit.
  if (taken_ && std::memcmp(seen_.data(), p.Values().data(), sizeof seen_) == 0 &&
      std::memcmp(&seenAhpE_, &ahpE, sizeof ahpE) == 0)
    return;
  seen_ = p.Values();
  seenAhpE_ = ahpE;
  taken_ = true;
  Snapshot& s = p_;
  s.pK = p.Value(param::pKleak);
  s.pNa = p.Value(param::pNaleak);
  s.kIn = p.Value(param::KIn) / 1000.0;
  s.kOut = p.Value(param::KOut) / 1000.0;
  s.naIn = p.Value(param::NaIn) / 1000.0;
  s.naOut = p.Value(param::NaOut) / 1000.0;
  s.gNa = p.Value(param::gNa);
  s.gNap = p.Value(param::gNap);
  s.gK = p.Value(param::gK);
  s.gM = p.Value(param::gM);
  s.gA = p.Value(param::gA);
  s.pT = p.Value(param::pT);
  s.pL = p.Value(param::pL);
  s.gH = p.Value(param::gH);
  s.gC = p.Value(param::gC);
  s.gAHP = p.Value(param::gAHP);
  s.hShift = p.Value(param::HShift);
  s.ipsp = p.Value(param::gIPSP) != 0.0f;
  s.epsp = p.Value(param::gEPSP) != 0.0f;
  s.ipscOnset = p.Value(param::IpscOnset);
  s.epscOnset = p.Value(param::EpscOnset);
  s.mg = p.Value(param::MgOut) / 1000.0;
  if (s.mg < 1e-20) s.mg = 1e-20;
  s.caOut = p.Value(param::CaOut) / 1000.0;
  s.logReversal = p.Value(param::CaRemoval) < 0.0f;
  s.area = p.Value(param::MembraneArea);
  s.lInflux = kCalciumInflux / (s.area * p.Value(param::Depth));
  s.tInflux = kCalciumInflux / (s.area * kTShellDepth);
  s.perCm = 1.0 / constants_.cm;
  s.leakU = static_cast<double>(static_cast<float>(constants_.frt)) / 1000.0;
  s.lRemoval = std::fabs(static_cast<double>(p.Value(param::CaRemoval)));
  s.tRemoval = std::fabs(static_cast<double>(gates_.Row(gate::mAHP).E));

  bool moves[kCellStateSize] = {};
  for (const ChannelGates& c : kChannelGates)
    if (p.Value(c.conductance) != 0.0f)
      for (int r : {c.first, c.second})
        if (r != 0) moves[r] = true;
  gateCount_ = 0;
  moves[cell::V] = moves[cell::CaL] = moves[cell::CaT] = true;
  activeCount_ = stillCount_ = 0;
  for (int i = 0; i < kCellStateSize; ++i) {
    (moves[i] ? active_[activeCount_++] : still_[stillCount_++]) = i;
    if (moves[i] && i >= cell::FirstGate && i <= cell::LastGate) gateRows_[gateCount_++] = i;
  }
  for (int i = 0; i < synapses_.Size(); ++i) active_[activeCount_++] = kCellStateSize + i;
}

void CellRates::Evaluate(double t, double iInj, const double* y, double* dy,
                         RunSample* sample) const {
  const Snapshot& p = p_;
  const RunConstants& k = constants_;
  const ReversalPotentials& e = k.e;
  double v = y[cell::V];
  if (v == 0.0) v = 1e-4;  // keeps the GHK factors away from 0/0
  if (v == -0.5) v = -0.5001;
  // The gates that do not move (every other value is written below).
  for (int j = 0; j < stillCount_; ++j) dy[still_[j]] = 0.0;

  Currents sum{params_, sample};
  const double frt = k.frt;
  // The leak, GHK or ohmic.
  if (k.ohmicLeak) {
    sum.total += p.pK * (v - e.eK) + p.pNa * (v - e.eNa);
  } else if (p.pK != 0.0 || p.pNa != 0.0) {
    // u = V F/(RT) / 1000 with the division taken once per parameter read.
    double u = v * p.leakU;
    if (std::fabs(u) < 1e-4) u = 1e-4;  // 0/0 at u = 0: a hair away instead
    const GhkPoint at{1, u, std::exp(-u)};
    sum.total += GhkPairSum(at, p.pK, p.kIn, p.kOut, p.pNa, p.naIn, p.naOut);
  }

  // How the gates of the enabled channels move, in one call; a sample needs
  // the currents only.
  if (!sample) {
    const GateContextD context{v, y[cell::CaL], p.hShift, k.phi};
    GateDerivatives(gates_, gateRows_, gateCount_, context, y, dy);
  }

  if (const double g0 = p.gNa; g0 != 0.0) {
    const double m = y[gate::mNa], h = y[gate::hNa];
    const double g = g0 * m * m * m * h;
    sum.Add(slot::INa, g * (v - e.eNa), g);
  }
  if (const double g0 = p.gNap; g0 != 0.0) {
    const double g = g0 * y[gate::mNap];
    sum.Add(slot::INap, g * (v - e.eNa), g);
  }
  const bool ipsp = p.ipsp && t > p.ipscOnset, epsp = p.epsp && t > p.epscOnset;
  if (ipsp || epsp) {
    const auto syn = synapses_.Conductances(y + kCellStateSize, t);
    if (ipsp) {
      sum.Add(slot::IGABAa, syn[synapse::GABAa] * (v - e.eCl), syn[synapse::GABAa]);
      sum.Add(slot::IGABAb, syn[synapse::GABAb] * (v - e.eK), syn[synapse::GABAb]);
    }
    if (epsp) {
      const GateRow& nmda = gates_.Row(gate::NMDA);
      const double block = nmda.E * std::exp(nmda.F * 2.0 * v * frt / 1000.0);
      const double gNmda = syn[synapse::NMDA] * (1.0 - 1.0 / (block / p.mg + 1.0));
      sum.Add(slot::IAMPA, syn[synapse::AMPA] * v, syn[synapse::AMPA]);
      sum.Add(slot::INMDA, gNmda * v, gNmda);
    }
  }
  if (const double g0 = p.gK; g0 != 0.0) {
    const double n = y[gate::mK];
    const double g = g0 * n * n * n * n;
    sum.Add(slot::IK, g * (v - e.eK), g);
  }
  if (const double g0 = p.gM; g0 != 0.0) {
    const double g = g0 * y[gate::mM];
    sum.Add(slot::IM, g * (v - e.eK), g);
  }
  if (const double g0 = p.gA; g0 != 0.0) {
    const double m = y[gate::mA], h = y[gate::hA];
    const double g = g0 * m * m * m * m * h;
    sum.Add(slot::IA, g * (v - e.eK), g);
  }

  const double caOut = p.caOut;
  const double caL = y[cell::CaL], caT = y[cell::CaT];
  double iT = 0, iL = 0;
  // Both calcium channels' GHK factors share u and e^-u (z = 2 once taken).
  GhkPoint calcium{0, 0.0, 1.0};
  if (const double g0 = p.pT; g0 != 0.0) {
    const double m = y[gate::mT], h = y[gate::hT];
    const double g = g0 * m * m * h;
    if (p.logReversal) {
      iT = g * (v - 30.0 * std::log10(caOut / caT));
      sum.Add(slot::IT, iT, g);
    } else {
      calcium = GhkAt(2, v, static_cast<float>(frt));
      iT = g * GhkFactor(calcium, caT, caOut);
      sum.Add(slot::IT, iT, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caT, caOut,
                                                        static_cast<float>(frt))
                                        : 0.0);
    }
  }
  if (const double g0 = p.pL; g0 != 0.0) {
    const double m = y[gate::mL];
    const double g = g0 * m * m;
    if (calcium.z != 2) calcium = GhkAt(2, v, static_cast<float>(frt));
    iL = g * GhkFactor(calcium, caL, caOut);
    sum.Add(slot::IL, iL, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caL, caOut,
                                                      static_cast<float>(frt))
                                      : 0.0);
  }
  dy[cell::CaL] = ShellRate(caL, iL, p.lInflux, p.lRemoval);
  dy[cell::CaT] = ShellRate(caT, iT, p.tInflux, p.tRemoval);

  if (const double g0 = p.gH; g0 != 0.0) {
    const double g = g0 * y[gate::mH];
    sum.Add(slot::IH, g * (v - e.eH), g);
  }
  if (const double g0 = p.gC; g0 != 0.0) {
    const double g = g0 * y[gate::mC];
    sum.Add(slot::IC, g * (v - e.eK), g);
  }
  if (const double g0 = p.gAHP; g0 != 0.0) {
    const double m = y[gate::mAHP];
    const double g = g0 * m * m;
    sum.Add(slot::IAHP, g * (v - e.eK), g);
  }

  // Cm dV/dt = -(I_ion - I_inj); outward positive.
  dy[cell::V] = -(sum.total - iInj) * p.perCm;
  if (sample) (*sample)[slot::ICap] = static_cast<float>(k.cm * dy[cell::V]);
  for (int i = 0; i < synapses_.Size(); ++i)
    dy[kCellStateSize + i] = -synapses_.Term(i).rate * y[kCellStateSize + i];
}

}  // namespace vantor
