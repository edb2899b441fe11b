// An independent reference for the built-in cell (Na, K and the two GHK leaks
// under a base current and a current step): the same equations written out
// plainly in double precision and integrated with the classical fourth-order
// Runge-Kutta method at a fixed, very small step that lands on the step's
// onset and offset. Nothing of the engine is used. Spike times come from a
// cubic through both ends of the step that crosses 0 mV and their slopes.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace vantor::test {

class ReferenceCell {
 public:
  ReferenceCell() = default;
  ReferenceCell(double base, double step, double onset, double offset)
      : base_(base), step_(step), onset_(onset), offset_(offset) {}

  // Spike times (upward crossings of 0 mV) over the trial.
  std::vector<double> SpikeTimes(double trial = 80.0, double dt = 0.0005) {
    State y = Rest(-65.0);
    std::vector<double> spikes;
    double t = 0.0;
    while (t < trial) {
      double end = std::min(trial, t + dt);
      // Land on the onset and offset: the current jumps there.
      for (double tp : {onset_, offset_})
        if (t < tp && end > tp) end = tp;
      const State next = Step(y, t, end - t);
      if (y[0] < 0.0 && next[0] >= 0.0) spikes.push_back(Crossing(y, next, t, end));
      y = next;
      t = end;
    }
    return spikes;
  }

 private:
  using State = std::array<double, 4>;  // V, m, h, n

  // Parameters, coefficients and run constants are single precision
  // numbers, as the program stores them; everything else is double.
  static constexpr double kF = 96480.0, kR = 8.314, kCelsius = 35.0;
  static double Single(double x) { return static_cast<float>(x); }
  const double frt = Single(kF / (kR * (kCelsius + 273.0)));
  const double phi = Single(std::pow(3.0, (kCelsius - 23.5) / 10.0));
  const double eNa = Single(1000.0 * std::log(Single(145.0 / 31.0)) / frt);
  const double eK = Single(1000.0 * std::log(Single(3.1f / 135.0f)) / frt);
  static constexpr double kCm = 0.29f;
  static constexpr double kNaLeak = 0.06f;

  // Rates of the shipped gate table at 23.5 °C (1/ms).
  static double AlphaM(double v) { return 0.091f * (v + 38.0) / (1.0 - std::exp(-(v + 38.0) / 5.0)); }
  static double BetaM(double v) { return -0.062f * (v + 38.0) / (1.0 - std::exp((v + 38.0) / 5.0)); }
  static double AlphaH(double v) { return 0.016f * std::exp((-55.0 - v) / 15.0); }
  static double BetaH(double v) { return 2.07f / (std::exp((17.0 - v) / 21.0) + 1.0); }
  static double AlphaN(double v) { return 0.01f * (-45.0 - v) / (std::exp((-45.0 - v) / 5.0) - 1.0); }
  static double BetaN(double v) { return 0.17f * std::exp((-50.0 - v) / 40.0); }

  // Goldman-Hodgkin-Katz current of a monovalent ion per unit permeability.
  double Ghk(double v, double inside, double outside) const {
    const double u = v * frt / 1000.0;
    return kF * u * (inside - outside * std::exp(-u)) / (1.0 - std::exp(-u)) / 1000.0;
  }

  State Rest(double v) const {
    auto inf = [](double a, double b) { return a / (a + b); };
    return {v, inf(AlphaM(v), BetaM(v)), inf(AlphaH(v), BetaH(v)), inf(AlphaN(v), BetaN(v))};
  }

  State Derivative(const State& y, double t) const {
    const double v = y[0], m = y[1], h = y[2], n = y[3];
    const double injected = base_ + ((t > onset_ && t < offset_) ? step_ : 0.0);
    const double leak = 1.0 * Ghk(v, 0.135, 3.1f / 1000.0) + kNaLeak * Ghk(v, 0.031, 0.145);
    const double ionic = leak + 20.0 * m * m * m * h * (v - eNa) + 2.0 * n * n * n * n * (v - eK);
    auto gate = [&](double x, double a, double b) { return phi * (a * (1.0 - x) - b * x); };
    return {-(ionic - injected) / kCm, gate(m, AlphaM(v), BetaM(v)), gate(h, AlphaH(v), BetaH(v)),
            gate(n, AlphaN(v), BetaN(v))};
  }

  // Where V crosses 0 mV between a and b: Newton on the cubic Hermite
  // interpolant of V through both ends and their slopes.
  double Crossing(const State& a, const State& b, double t0, double t1) const {
    const double h = t1 - t0;
    const double v0 = a[0], v1 = b[0];
    const double d0 = Derivative(a, t0 + h / 2)[0] * h, d1 = Derivative(b, t1 - h / 2)[0] * h;
    auto v = [&](double s) {
      const double s2 = s * s, s3 = s2 * s;
      return (2 * s3 - 3 * s2 + 1) * v0 + (s3 - 2 * s2 + s) * d0 + (-2 * s3 + 3 * s2) * v1 +
             (s3 - s2) * d1;
    };
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; ++i) {
      const double mid = (lo + hi) / 2;
      (v(mid) >= 0.0 ? hi : lo) = mid;
    }
    return t0 + h * (lo + hi) / 2;
  }

  double base_ = 0.0, step_ = 2.0, onset_ = 10.0, offset_ = 60.0;

  State Step(const State& y, double t, double dt) const {
    auto add = [](const State& a, const State& b, double s) {
      State r;
      for (int i = 0; i < 4; ++i) r[i] = a[i] + s * b[i];
      return r;
    };
    // The current is read once per step, inside it: no step straddles a jump.
    const double mid = t + dt / 2;
    const State k1 = Derivative(y, mid);
    const State k2 = Derivative(add(y, k1, dt / 2), mid);
    const State k3 = Derivative(add(y, k2, dt / 2), mid);
    const State k4 = Derivative(add(y, k3, dt), mid);
    State r;
    for (int i = 0; i < 4; ++i) r[i] = y[i] + dt / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
    return r;
  }
};

}  // namespace vantor::test
