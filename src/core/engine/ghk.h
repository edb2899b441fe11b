// The Goldman-Hodgkin-Katz current factor and its slope, used by the two leak
// permeabilities and the T and L calcium channels.
#pragma once

#include <cmath>

namespace vantor {

constexpr double kFaraday = 96480.0;
constexpr double kGasConstant = 8.314;
// The step of the forward difference that gives a GHK current's slope (mV).
constexpr float kGhkSlopeStep = 0.5f;

// F / (R (T + 273)) in 1/V for a temperature in °C.
float ComputeFrt(float celsius);

// Γ(z, V, ci, co) = z F u (ci - co e^-u) / (1 - e^-u) / 1000 with u = z V FRT / 1000;
// concentrations in mol/L, V in mV. A permeability times Γ is a current in nA.
double GhkFactor(int z, double v, double ci, double co, float frt);
// The same with |u| < 1e-4 replaced by 1e-4, as the leak uses it at V.
double GhkFactorGuarded(int z, double v, double ci, double co, float frt);

// (Γ(V + 0.5) - Γ(V)) / 0.5, the slope per unit permeability (µS per unit).
double GhkSlope(int z, float v, double ci, double co, float frt);

// Γ of several ions of one valence at one potential: u and e^-u are shared.
struct GhkPoint {
  int z = 1;
  double u = 0;
  double expMinusU = 1;
};
inline GhkPoint GhkAt(int z, double v, float frt, bool guarded = false) {
  double u = z * v * frt / 1000.0;
  // At u = 0 the factor is 0/0; the leak evaluates it a hair away instead.
  if (guarded && std::fabs(u) < 1e-4) u = 1e-4;
  return {z, u, std::exp(-u)};
}
double GhkFactor(const GhkPoint& at, double ci, double co);

// pA Γ(ciA, coA) + pB Γ(ciB, coB) at one point with a single division (the
// leak of the continuous method, where round-off is all that differs).
inline double GhkPairSum(const GhkPoint& at, double pA, double ciA, double coA, double pB,
                         double ciB, double coB) {
  const double e = at.expMinusU;
  const double scale = at.z * kFaraday * at.u / ((1.0 - e) * 1000.0);
  return scale * (pA * (ciA - coA * e) + pB * (ciB - coB * e));
}

}  // namespace vantor
