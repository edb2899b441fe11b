// The steady state and time constant of each gate of the gate table, over a
// range of membrane potential (or, for the calcium-gated mC and mAHP, of
// intracellular calcium) at a temperature, from the kinetics a run uses.
#pragma once

#include <string>
#include <vector>

#include "vantor/params/gate_table.h"

namespace vantor {

enum class GateAxis { Voltage, Calcium };

// What a gate's curves run along: calcium for mC and mAHP, else V-m.
GateAxis AxisOf(int row);

struct GateCurveRequest {
  std::vector<int> rows;   // gate rows 1 .. 13; empty: all thirteen
  double vFrom = -100, vTo = 50;   // mV
  double caFrom = 0, caTo = 5;     // µM
  int points = 301;                // per curve, at least 2
  float celsius = 35;
  double vForCalcium = 0;  // mV at which the calcium gates are evaluated
  double hShift = 0;       // "H shift (mV)", read by mH
};

struct GateCurve {
  int row = 0;
  std::string name;  // "mNa"
  GateAxis axis = GateAxis::Voltage;
  std::vector<double> x;    // mV, or µM
  std::vector<double> inf;  // steady state 0 .. 1
  std::vector<double> tau;  // ms, the temperature applied
};

// Empty when the request can be computed; otherwise why not.
std::string GateCurveRefusal(const GateCurveRequest& request);
std::vector<GateCurve> ComputeGateCurves(const GateTable& gates, const GateCurveRequest& request);

// The row of a gate's name ("mNa", case ignored) or its number "1" .. "13"; 0 when none.
int GateRowByName(const std::string& name);

}  // namespace vantor
