#include "engine/ghk.h"

#include <cmath>

namespace vantor {

double GhkFactor(const GhkPoint& at, double ci, double co) {
  const double e = at.expMinusU;
  return at.z * kFaraday * at.u * (ci - co * e) / (1.0 - e) / 1000.0;
}

float ComputeFrt(float celsius) {
  return static_cast<float>(kFaraday / (kGasConstant * (static_cast<double>(celsius) + 273.0)));
}

double GhkFactor(int z, double v, double ci, double co, float frt) {
  return GhkFactor(GhkAt(z, v, frt), ci, co);
}

double GhkFactorGuarded(int z, double v, double ci, double co, float frt) {
  return GhkFactor(GhkAt(z, v, frt, true), ci, co);
}

double GhkSlope(int z, float v, double ci, double co, float frt) {
  const double v0 = v;
  return (GhkFactor(z, v0 + kGhkSlopeStep, ci, co, frt) - GhkFactor(z, v0, ci, co, frt)) /
         kGhkSlopeStep;
}

}  // namespace vantor
