#include "engine/cell_rates.h"

#include <cmath>
#include <cstring>

#include "engine/calcium.h"
#include "engine/channels.h"
#include "engine/gate_batch_rows.h"
#include "engine/ghk.h"
#include "engine/kinetics.h"
#include "engine/stage.h"

namespace vantor {
namespace {

// The leak's, the calcium channels' and the NMDA block's exponentials and the
// gates', rounded up to whole batches.
constexpr int kMaxExponents = RoundedExpCount(3 + kMaxGateExponents) + 3;

// Files one current in the sums and, when asked, in its slot.
template <bool kSlots>
struct Currents {
  const ParameterSet& params;
  RunSample* sample;
  PreciseSample* precise;  // only with `sample`
  double total = 0;  // nA, outward positive

  void Add(int slot, double current, double conductance) {
    total += current;
    if constexpr (kSlots) {
      const double shown = params.Trace(slot).cond != 0 ? conductance : current;
      (*sample)[slot] = static_cast<float>(shown);
      if (precise) (*precise)[slot] = shown;
    }
  }
  static constexpr bool Slots() { return kSlots; }
};

// influx: mol/L per ms per nA of the shell.
double ShellRate(double calcium, double current, double influx, double removal) {
  const double rate = -influx * current - removal * calcium;
  // The shells never fall below their floor.
  return calcium <= kCalciumFloor && rate < 0.0 ? 0.0 : rate;
}

// The same with no current: the shell decays to its floor and stays there
// (the values ShellRate gives, without the current's terms).
double ShellDecay(double calcium, double removal) {
  return calcium <= kCalciumFloor ? 0.0 : -(removal * calcium);
}

}  // namespace

CellRates::CellRates(const ParameterSet& params, const GateTable& gates,
                     const RunConstants& constants)
    : params_(params), gates_(gates), constants_(constants) {
  synapses_.Build(params, gates, constants.phi.phi);
  Refresh();
}

void CellRates::Refresh() {
  const ParameterSet& p = params_;
  // Most samples change nothing: the values compared bit for bit.
  if (taken_ && std::memcmp(seen_.data(), p.Values().data(), sizeof seen_) == 0 &&
      std::memcmp(&seenGates_.Row(1), &gates_.Row(1), sizeof(GateRow) * kGateRowCount) == 0)
    return;
  seen_ = p.Values();
  seenGates_ = gates_;
  taken_ = true;
  ++generation_;
  Snapshot& s = p_;
  s.pK = p.Value(param::pKleak);
  s.pNa = p.Value(param::pNaleak);
  s.kIn = p.Value(param::KIn) / 1000.0;
  s.kOut = p.Value(param::KOut) / 1000.0;
  s.naIn = p.Value(param::NaIn) / 1000.0;
  s.naOut = p.Value(param::NaOut) / 1000.0;
  s.on = 0;
  for (int c = 0; c < kChannelCount; ++c) {
    s.gmax[c] = p.Value(kChannels[c].conductance);
    if (s.gmax[c] != 0.0) s.on |= 1u << c;
  }
  s.hShift = p.Value(param::HShift);
  s.ipsp = p.Value(param::gIPSP) != 0.0f;
  s.epsp = p.Value(param::gEPSP) != 0.0f;
  s.ghkLeak = !constants_.ohmicLeak && (s.pK != 0.0 || s.pNa != 0.0);
  s.plain = (s.on & ~((1u << channel::Na) | (1u << channel::K))) == 0 && !s.ipsp && !s.epsp;
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
  for (const Channel& c : kChannels)
    if (p.Value(c.conductance) != 0.0f)
      for (const ChannelGate& g : {c.first, c.second})
        if (g.power != 0) moves[g.row] = true;
  int gateRows[kCellStateSize] = {};
  int gateCount = 0;
  moves[cell::V] = moves[cell::CaL] = moves[cell::CaT] = true;
  activeCount_ = 0;
  gatesEnd_ = 1;
  for (int i = 0; i < kCellStateSize; ++i) {
    if (moves[i]) active_[activeCount_++] = i;
    if (moves[i] && i < cell::CaL) gatesEnd_ = i + 1;
    if (moves[i] && i >= cell::FirstGate && i <= cell::LastGate) gateRows[gateCount++] = i;
  }
  for (int i = 0; i < synapses_.Size(); ++i) active_[activeCount_++] = kCellStateSize + i;

  // Exponentials shared between rates where the rows allow it: mNa's two
  // rates with one centre and slope, and mK's alpha with the same slope or
  // hNa's with three times it.
  const GateRow& na = gates_.Row(gate::mNa);
  const GateRow& kr = gates_.Row(gate::mK);
  const GateRow& hr = gates_.Row(gate::hNa);
  auto factor = [](double x) { return x > 0.0 && std::isfinite(x) ? x : 0.0; };
  SharedGateExponentials shared;
  if (moves[gate::mNa] && na.B == na.E && na.C == na.F && na.C != 0.0f) {
    if (moves[gate::mK] && kr.C == na.C)
      shared.mK = factor(std::exp((static_cast<double>(kr.B) + na.B) / na.C));
    if (moves[gate::hNa] && static_cast<double>(hr.C) == 3.0 * na.C)
      shared.hNa = factor(std::exp((static_cast<double>(hr.B) + na.B) / hr.C));
  }
  batch_.Build(gates_, gateRows, gateCount, shared);
  calciumGhk_ = (s.gmax[channel::T] != 0.0 && !s.logReversal) || s.gmax[channel::L] != 0.0;
}

void CellRates::Evaluate(double t, double iInj, const double* y, double* dy,
                         RunSample* sample, PreciseSample* precise) const {
  // The stages' evaluations, far the most, without any of a sample's work,
  // and for sodium and potassium alone without the tests for the others.
  if (sample && p_.plain)
    Rates<true, true>(t, iInj, y, dy, sample, precise);
  else if (sample)
    Rates<true, false>(t, iInj, y, dy, sample, precise);
  else if (p_.plain)
    Rates<false, true>(t, iInj, y, dy, nullptr, nullptr);
  else
    Rates<false, false>(t, iInj, y, dy, nullptr, nullptr);
}

template <bool kSample, bool kPlain>
void CellRates::Rates(double t, double iInj, const double* y, double* dy, RunSample* sample,
                      PreciseSample* precise) const {
  const Snapshot& p = p_;
  const RunConstants& k = constants_;
  const ReversalPotentials& e = k.e;
  double v = y[cell::V];
  bool ideal = false;
  if (drive_) {
    if (!drive_->VoltageClamp()) {
      iInj += drive_->Level(t, within_);
    } else if (const double rs = drive_->SeriesResistance(); rs > 0.0) {
      iInj = (drive_->Level(t, within_) - v) / rs;
    } else {
      ideal = true;
      v = drive_->Level(t, within_);
    }
  }
  if (v == 0.0) v = 1e-4;  // keeps the GHK factors away from 0/0
  if (v == -0.5) v = -0.5001;

  Currents<kSample> sum{params_, sample, precise};
  const double frt = k.frt;
  const GateContextD context{v, y[cell::CaL], p.hShift, k.phi};
  // Every exponential this evaluation needs, in one batch: the leak's, the
  // calcium channels', the NMDA block's and (a sample needs the currents
  // only) the gates'.
  double x[kMaxExponents], ex[kMaxExponents];
  int n = 0;
  const bool ghkLeak = p.ghkLeak;
  double u = 0, uCa = 0;
  if (ghkLeak) {
    // u = V F/(RT) / 1000 with the division taken once per parameter read.
    u = v * p.leakU;
    if (std::fabs(u) < 1e-4) u = 1e-4;  // 0/0 at u = 0: a hair away instead
    x[n++] = -u;
  }
  const int caAt = n;
  if (!kPlain && calciumGhk_) {
    uCa = 2 * v * static_cast<float>(frt) / 1000.0;
    x[n++] = -uCa;
  }
  const int nmdaAt = n;
  const GateRow& nmda = gates_.Row(gate::NMDA);
  if (!kPlain && p.epsp) x[n++] = nmda.F * 2.0 * v * frt / 1000.0;
  const int gatesAt = n;
  if constexpr (!kSample) {
    batch_.Exponents<kPlain>(context, x + n);
    n += batch_.ExponentCount();
  }
  // One alone (a sample's leak) costs less on its own than a batch.
  if (n == 1) {
    ex[0] = std::exp(x[0]);
  } else if (n > 1) {
    if (n % 4 != 0) x[n] = x[n + 1] = x[n + 2] = 0.0;  // the rest of the last batch
    exp_(x, ex, n);
  }

  // The leak, GHK or ohmic.
  if (k.ohmicLeak) {
    sum.total += p.pK * (v - e.eK) + p.pNa * (v - e.eNa);
  } else if (ghkLeak) {
    const GhkPoint at{1, u, ex[0]};
    sum.total += GhkPairSum(at, p.pK, p.kIn, p.kOut, p.pNa, p.naIn, p.naOut);
  }

  // How the gates of the enabled channels move.
  if constexpr (!kSample) batch_.Derivatives<kPlain>(context, ex + gatesAt, y, dy);

  // An ohmic channel of the table.
  auto ohmic = [&](auto index) __attribute__((always_inline)) {
    constexpr Channel c = kChannels[decltype(index)::value];
    if (p.on & (1u << decltype(index)::value)) {
      const double g = ConductanceOf<c>(p.gmax[decltype(index)::value], y);
      sum.Add(c.slot, g * (v - ReversalOf<c.drive>(e)), g);
    }
  };

  // Sodium and potassium alone (the built-in cell, and many others): the
  // same sums in the same order without a test for each other current.
  if constexpr (kPlain) {
    ForEachChannel<channel::Na, channel::Nap>(ohmic);
    ForEachChannel<channel::K, channel::M>(ohmic);
    dy[cell::CaL] = ShellDecay(y[cell::CaL], p.lRemoval);
    dy[cell::CaT] = ShellDecay(y[cell::CaT], p.tRemoval);
  } else {
    ForEachChannel<channel::Na, channel::K>(ohmic);
    const bool ipsp = p.ipsp && t > p.ipscOnset, epsp = p.epsp && t > p.epscOnset;
    if (ipsp || epsp) {
      const auto syn = synapses_.Conductances(y + kCellStateSize, t);
      if (ipsp) {
        sum.Add(slot::IGABAa, syn[synapse::GABAa] * (v - e.eCl), syn[synapse::GABAa]);
        sum.Add(slot::IGABAb, syn[synapse::GABAb] * (v - e.eK), syn[synapse::GABAb]);
      }
      if (epsp) {
        const double block = nmda.E * ex[nmdaAt];
        const double gNmda = syn[synapse::NMDA] * (1.0 - 1.0 / (block / p.mg + 1.0));
        sum.Add(slot::IAMPA, syn[synapse::AMPA] * v, syn[synapse::AMPA]);
        sum.Add(slot::INMDA, gNmda * v, gNmda);
      }
    }
    ForEachChannel<channel::K, channel::T>(ohmic);

    const double caOut = p.caOut;
    const double caL = y[cell::CaL], caT = y[cell::CaT];
    double iT = 0, iL = 0;
    // Both calcium channels' GHK factors share u and e^-u (z = 2 once taken).
    const GhkPoint calcium{2, uCa, ex[caAt]};
    constexpr Channel cT = kChannels[channel::T], cL = kChannels[channel::L];
    if (const double g0 = p.gmax[channel::T]; g0 != 0.0) {
      const double g = ConductanceOf<cT>(g0, y);
      if (p.logReversal) {
        iT = g * (v - 30.0 * std::log10(caOut / caT));
        sum.Add(cT.slot, iT, g);
      } else {
        iT = g * GhkFactor(calcium, caT, caOut);
        sum.Add(cT.slot, iT, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caT, caOut,
                                                        static_cast<float>(frt))
                                        : 0.0);
      }
    }
    if (const double g0 = p.gmax[channel::L]; g0 != 0.0) {
      const double g = ConductanceOf<cL>(g0, y);
      iL = g * GhkFactor(calcium, caL, caOut);
      sum.Add(cL.slot, iL, sum.Slots() ? g * GhkSlope(2, static_cast<float>(v), caL, caOut,
                                                      static_cast<float>(frt))
                                      : 0.0);
    }
    dy[cell::CaL] = ShellRate(caL, iL, p.lInflux, p.lRemoval);
    dy[cell::CaT] = ShellRate(caT, iT, p.tInflux, p.tRemoval);

    ForEachChannel<channel::H, kChannelCount>(ohmic);
  }

  // Cm dV/dt = -(I_ion - I_inj); outward positive.
  dy[cell::V] = -(sum.total - iInj) * p.perCm;
  if (ideal) {
    dy[cell::V] = drive_->Slope(t, within_);
    clampCurrent_ = sum.total;
  } else {
    clampCurrent_ = iInj;
  }
  if constexpr (kSample) {
    (*sample)[slot::ICap] = static_cast<float>(k.cm * dy[cell::V]);
    if (precise) (*precise)[slot::ICap] = k.cm * dy[cell::V];
  }
  for (int i = 0; i < synapses_.Size(); ++i)
    dy[kCellStateSize + i] = -synapses_.Term(i).rate * y[kCellStateSize + i];
}

}  // namespace vantor
