// An explicit embedded Runge-Kutta pair 5(4) of seven stages, the last the
// first of the next step (first same as last), with an error estimate and a
// continuous (dense) output of order 4, on a state of at most
// kMaxContinuousState values in double precision. Its coefficients were
// chosen for small fifth-order error terms under the simplifying row
// conditions alone (c2 = 0.161), which lets it take longer steps than the
// classic 5(4) pairs at the same tolerance. Nothing is allocated: the stages
// live in the object.
#pragma once

#include <array>

#include "engine/cell_rates.h"

namespace vantor {

using ContinuousState = std::array<double, kMaxContinuousState>;

class RungeKuttaPair {
 public:
  explicit RungeKuttaPair(const CellRates& rates)
      : rates_(rates), n_(rates.Size()), end_((n_ + 3) / 4 * 4) {}

  int Size() const { return n_; }

  // Takes y at t as the start and evaluates the first stage there (again
  // after a discontinuity: the last stage of the previous step no longer
  // holds).
  void Restart(double t, const ContinuousState& y, double iInj);

  // One attempt of length h from the start. Returns the error norm with
  // tolerance atol_i + rtol · max(|y0_i|, |y1_i|) (1 is at the limit; not a
  // finite number when the attempt blew up). Parameters that changed since
  // the last attempt (CellRates::Refresh) restart the pair first. atol holds
  // a positive tolerance for every value up to Size() rounded up to four.
  double Attempt(double h, double iInj, double rtol, const ContinuousState& atol);

  // Makes the attempt the new start at time `end` (t + h, or the landing
  // point it was cut to, exactly) and prepares its dense output.
  void Accept(double end);

  const ContinuousState& State() const { return y0_; }
  double Time() const { return t0_; }
  // dy/dt at the start (the first stage).
  const ContinuousState& Slope() const { return k_[0]; }

  // One value's dense output over the last accepted step as a polynomial in
  // θ = (s - start) / h, power basis: c[0] + c[1] θ + ... + c[4] θ⁴.
  struct Quartic {
    double start = 0, h = 1;
    double c[5] = {};
    double Value(double s) const { return Poly((s - start) / h); }
    double Slope(double s) const { return PolySlope((s - start) / h) / h; }  // per ms
    // The same in θ: value, slope and second derivative per unit θ.
    double Poly(double x) const { return c[0] + x * (c[1] + x * (c[2] + x * (c[3] + x * c[4]))); }
    double PolySlope(double x) const {
      return c[1] + x * (2 * c[2] + x * (3 * c[3] + x * 4 * c[4]));
    }
    double PolyCurvature(double x) const { return 2 * c[2] + x * (6 * c[3] + x * 12 * c[4]); }
  };
  Quartic DenseQuartic(int i) const;

  // The tableau, for the checks of its order conditions: nodes c, stage
  // coefficients a (row i uses a[i][0 .. i-1]), fifth-order weights b, the
  // error weights (fifth minus fourth order) and the dense output's weight
  // polynomials, b_i(θ) = Σ_m dense[i][m] θ^(m+1).
  struct Tableau {
    double c[7];
    double a[7][6];
    double b[7];
    double error[7];
    double dense[7][4];
  };
  static const Tableau& Coefficients();

  // The dense output of the last accepted step [t, t + h] at time s, every
  // value.
  void DenseState(double s, ContinuousState& y) const;
  double DenseStart() const { return denseT_; }
  double DenseEnd() const { return denseT_ + denseH_; }

  long Evaluations() const { return evaluations_; }

 private:
  const CellRates& rates_;
  // The loops run over two spans of whole vectors of four (rk_pair.cpp):
  // [0, gatesEnd_) and [shellsFrom_, end_).
  static constexpr int kShellsFrom = cell::CaL / 4 * 4;
  int n_;
  int end_;                      // the size rounded up to four
  int gatesEnd_ = kShellsFrom;   // past the last value before the shells that may move
  int shellsFrom_ = kShellsFrom;  // where the second span starts (end_: none)
  long generation_ = -1;  // of the rates at the last restart
  double t0_ = 0, h_ = 0;
  ContinuousState y0_{}, y1_{}, scratch_{};
  // The stages' slopes. A value that does not move has slope 0 at every
  // stage (set at each restart; the rates never write it), so every
  // combination runs over the whole state in one contiguous loop and leaves
  // such a value exactly as it was.
  std::array<ContinuousState, 7> k_{};
  // The dense output's power-basis coefficients of θ¹ .. θ⁴ (θ⁰ is the start).
  ContinuousState denseStart_{};
  std::array<ContinuousState, 4> dense_{};
  double denseT_ = 0, denseH_ = 0;
  long evaluations_ = 0;
};

}  // namespace vantor
