#include "engine/synaptic_accumulators.h"

#include <cmath>
#include <limits>

#include "engine/synapses.h"
#include "engine/temperature.h"

namespace vantor {
namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
// Beyond this the binomial expansion of the GABAb rise would need too many
// accumulators and cancel too badly.
constexpr int kLargestExpandedPower = 8;

ContinuousTrain MakeTrain(float g, float onset, float frequency, float count) {
  ContinuousTrain train;
  train.count = SynapticEventCount(count);
  train.on = g != 0.0f && train.count > 0 && std::isfinite(onset);
  train.onset = onset;
  const double period = frequency != 0.0f ? 1000.0 / frequency : 0.0;
  if (period > 0.0 && std::isfinite(period) && train.count > 1) train.period = period;
  else train.count = train.count > 0 ? 1 : 0;
  return train;
}

double Binomial(int n, int k) {
  double c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

}  // namespace

void SynapticAccumulators::AddTerm(int component, double coefficient, double rate, double onEvent,
                                   int group) {
  if (size_ >= kMaxAccumulators || coefficient == 0.0) return;
  terms_[size_] = {component, coefficient, rate, onEvent};
  group_[size_] = group;
  byComponent_[component][componentSize_[component]++] = size_;
  ++size_;
}

void SynapticAccumulators::Build(const ParameterSet& params, const GateTable& gates, float phi) {
  size_ = 0;
  componentSize_.fill(0);
  next_ = {};
  ipsp_ = MakeTrain(params.Value(param::gIPSP), params.Value(param::IpscOnset),
                    params.Value(param::IpspFrequency), params.Value(param::IpspCount));
  epsp_ = MakeTrain(params.Value(param::gEPSP), params.Value(param::EpscOnset),
                    params.Value(param::EpspFrequency), params.Value(param::EpspCount));
  directGabaB_ = false;

  // (1 - e^(-s/A)) e^(-s/B) / C = (e^(-s/B) - e^(-s (1/A + 1/B))) / C, s = κ (t - event).
  auto dualExponential = [&](int component, const GateRow& row, double kappa, double scale,
                             double delay, int group) {
    const double slow = kappa / row.B, fast = kappa * (1.0 / row.A + 1.0 / row.B);
    // A negative delay starts the component part-way through its course.
    const double head = delay < 0.0 ? -delay : 0.0;
    AddTerm(component, scale / row.C, slow, std::exp(-slow * head), group);
    AddTerm(component, -scale / row.C, fast, std::exp(-fast * head), group);
  };

  if (epsp_.on) {
    const double kappa = phi * static_cast<double>(params.Value(param::EpscKinetics));
    const double g = params.Value(param::gEPSP);
    dualExponential(synapse::AMPA, gates.Row(gate::AMPA), kappa,
                    g * params.Value(param::AmpaWeight), 0.0, 1);
    nmdaDelay_ = gates.Row(gate::NMDA).D;
    dualExponential(synapse::NMDA, gates.Row(gate::NMDA), kappa,
                    g * params.Value(param::NmdaWeight), nmdaDelay_, 2);
  }
  if (ipsp_.on) {
    const double kappa = phi * static_cast<double>(params.Value(param::IpscKinetics));
    const double g = params.Value(param::gIPSP);
    dualExponential(synapse::GABAa, gates.Row(gate::GABAa), kappa,
                    g * params.Value(param::GabaAWeight), 0.0, 0);
    // (1 - e^(-sb/A))^n ((1 - B) e^(-sb/D) + B e^(-sb/C)) expanded for a whole n.
    const GateRow& b = gates.Row(gate::GABAb);
    gabaB_ = b;
    gabaBPhi_ = GabaBTemperatureFactor(params.Value(param::Temperature));
    gabaBScale_ = g / b.F * params.Value(param::GabaBWeight);
    const float power = b.E;
    if (power >= 0.0f && power <= kLargestExpandedPower && power == std::trunc(power)) {
      const int n = static_cast<int>(power);
      for (int i = 0; i <= n; ++i) {
        const double c = Binomial(n, i) * ((i % 2) ? -1.0 : 1.0) * gabaBScale_;
        AddTerm(synapse::GABAb, c * (1.0 - b.B), gabaBPhi_ * (i / b.A + 1.0 / b.D), 1.0, 0);
        AddTerm(synapse::GABAb, c * b.B, gabaBPhi_ * (i / b.A + 1.0 / b.C), 1.0, 0);
      }
    } else {
      directGabaB_ = gabaBScale_ != 0.0;
    }
  }
}

double SynapticAccumulators::DirectGabaB(double t) const {
  double sum = 0;
  const GateRow& b = gabaB_;
  for (long j = 0; j < ipsp_.count; ++j) {
    const double since = t - ipsp_.EventTime(j);
    if (since <= 0.0) break;
    const double sb = since * gabaBPhi_;
    const double rise = std::pow(1.0 - std::exp(-sb / b.A), static_cast<double>(b.E));
    sum += rise * ((1.0 - b.B) * std::exp(-sb / b.D) + b.B * std::exp(-sb / b.C));
  }
  return sum * gabaBScale_;
}

std::array<double, synapse::Count> SynapticAccumulators::Conductances(const double* acc,
                                                                       double t) const {
  std::array<double, synapse::Count> g{};
  // Component by component, each sum in a register.
  for (int c = 0; c < synapse::Count; ++c) {
    double sum = 0.0;
    for (int j = 0; j < componentSize_[c]; ++j) {
      const int i = byComponent_[c][j];
      sum += terms_[i].coefficient * acc[i];
    }
    g[c] = sum;
  }
  if (directGabaB_) g[synapse::GABAb] = DirectGabaB(t);
  return g;
}

void SynapticAccumulators::AddEventsUpTo(double t, double* acc) {
  for (int group = 0; group < 3; ++group) {
    const ContinuousTrain& train = Train(group);
    if (!train.on) continue;
    long added = 0;
    for (; next_[group] < train.count && GroupTime(group, next_[group]) <= t; ++next_[group])
      ++added;
    if (added == 0) continue;
    for (int i = 0; i < size_; ++i)
      if (group_[i] == group) acc[i] += static_cast<double>(added) * terms_[i].onEvent;
  }
}

double SynapticAccumulators::NextEvent() const {
  double next = kNever;
  for (int group = 0; group < 3; ++group)
    if (Train(group).on && next_[group] < Train(group).count)
      next = std::fmin(next, GroupTime(group, next_[group]));
  return next;
}

}  // namespace vantor
