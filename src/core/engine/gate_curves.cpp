#include "vantor/engine/gate_curves.h"

#include <cctype>
#include <cmath>

#include "engine/kinetics.h"
#include "engine/temperature.h"

namespace vantor {
namespace {

// Beyond these the exponentials of the rates overflow and nothing is learnt.
constexpr double kLargestPotential = 500;  // mV either way
constexpr double kLargestCalcium = 1e6;    // µM
constexpr int kMostPoints = 100000;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

GateAxis AxisOf(int row) {
  return row == gate::mC || row == gate::mAHP ? GateAxis::Calcium : GateAxis::Voltage;
}

int GateRowByName(const std::string& name) {
  for (int r = gate::mNa; r <= gate::mAHP; ++r)
    if (Lower(GateTable::GateName(r)) == Lower(name) || std::to_string(r) == name) return r;
  return 0;
}

std::string GateCurveRefusal(const GateCurveRequest& q) {
  for (int row : q.rows)
    if (row < gate::mNa || row > gate::mAHP) return "gate rows with curves are 1 (mNa) .. 13 (mAHP)";
  if (!(q.vFrom < q.vTo) || !(std::fabs(q.vFrom) <= kLargestPotential) ||
      !(std::fabs(q.vTo) <= kLargestPotential))
    return "the potential range needs FROM < TO, each between -500 and 500 mV";
  if (!(q.caFrom >= 0 && q.caFrom < q.caTo && q.caTo <= kLargestCalcium))
    return "the calcium range needs 0 <= FROM < TO <= 1e6 uM";
  if (q.points < 2 || q.points > kMostPoints) return "a curve has 2 .. 100000 points";
  if (!(std::isfinite(q.celsius) && q.celsius > -273.0f && q.celsius < 1000.0f))
    return "the temperature must lie between -273 and 1000 degrees C";
  if (!std::isfinite(q.vForCalcium) || std::fabs(q.vForCalcium) > kLargestPotential)
    return "the potential of the calcium gates must lie between -500 and 500 mV";
  if (!std::isfinite(q.hShift)) return "the H shift must be a finite number";
  return {};
}

std::vector<GateCurve> ComputeGateCurves(const GateTable& gates, const GateCurveRequest& q) {
  std::vector<int> rows = q.rows;
  if (rows.empty())
    for (int r = gate::mNa; r <= gate::mAHP; ++r) rows.push_back(r);
  GateContextD in;
  in.factors = ComputeTemperatureFactors(q.celsius);
  in.hShift = q.hShift;
  std::vector<GateCurve> curves;
  for (int row : rows) {
    GateCurve c;
    c.row = row;
    c.name = GateTable::GateName(row);
    c.axis = AxisOf(row);
    const bool calcium = c.axis == GateAxis::Calcium;
    const double from = calcium ? q.caFrom : q.vFrom, to = calcium ? q.caTo : q.vTo;
    for (int i = 0; i < q.points; ++i) {
      const double x = from + (to - from) * i / (q.points - 1);
      in.v = calcium ? q.vForCalcium : x;
      in.caL = calcium ? x * 1e-6 : 0;  // mol/L
      const GateRateD rate = GateSteadyState(row, gates.Row(row), in);
      c.x.push_back(x);
      // dx/dt = drive - decay x: x∞ = drive / decay, τ = 1 / decay.
      c.inf.push_back(rate.decay != 0 ? rate.drive / rate.decay : NAN);
      c.tau.push_back(rate.decay != 0 ? 1.0 / rate.decay : NAN);
    }
    curves.push_back(std::move(c));
  }
  return curves;
}

}  // namespace vantor
