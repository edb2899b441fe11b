#include "vantor/nwb/nwb_columns.h"

#include <cctype>
#include <set>

namespace vantor::nwb {
namespace {

struct Unit {
  const char* text;
  const char* si;
  double conversion;
};

// The units the program's columns end in.
constexpr Unit kUnits[] = {
    {"mV", "volts", 1e-3},        {"nA", "amperes", 1e-9},  {"\xC2\xB5S", "siemens", 1e-6},
    {"\xC2\xB5M", "mol/m^3", 1e-3}, {"M", "mol/m^3", 1e3},
};

// "g-2 (V-m, mV)": the unit is the last word in the parentheses.
std::string UnitText(const std::string& label) {
  const std::size_t open = label.rfind(" (");
  if (open == std::string::npos || label.back() != ')') return "";
  std::string inside = label.substr(open + 2, label.size() - open - 3);
  const std::size_t comma = inside.rfind(", ");
  return comma == std::string::npos ? inside : inside.substr(comma + 2);
}

// "[Ca++]-i (µM)" -> "Ca_i": letters and digits, runs of anything else one "_".
std::string GroupName(const std::string& label) {
  const std::size_t open = label.rfind(" (");
  const std::string stem = open == std::string::npos ? label : label.substr(0, open);
  std::string name;
  for (unsigned char c : stem) {
    if (std::isalnum(c)) {
      name += static_cast<char>(c);
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? "trace" : name;
}

}  // namespace

Trace TraceOfColumn(const std::string& label, std::vector<double> values) {
  Trace trace{GroupName(label), label, "1", 1.0, std::move(values)};
  const std::string unit = UnitText(label);
  for (const Unit& u : kUnits)
    if (unit == u.text) {
      trace.siUnit = u.si;
      trace.conversion = u.conversion;
    }
  return trace;
}

namespace {

// The sweep with columns `response` and `stimulus` as its two series.
Sweep SweepOf(std::uint32_t number, const std::vector<std::string>& names,
              std::vector<std::vector<double>>& columns, std::optional<double> rateHz,
              std::size_t response, std::size_t stimulus) {
  Sweep sweep;
  sweep.number = number;
  sweep.rateHz = rateHz;
  if (!rateHz) sweep.timeMs = std::move(columns[0]);
  sweep.response = TraceOfColumn(names[response], std::move(columns[response]));
  sweep.stimulus = TraceOfColumn(names[stimulus], std::move(columns[stimulus]));
  std::set<std::string> taken{sweep.response.name, sweep.stimulus.name};
  for (std::size_t c = 1; c < columns.size(); ++c) {
    if (c == response || c == stimulus) continue;
    Trace trace = TraceOfColumn(names[c], std::move(columns[c]));
    if (!taken.insert(trace.name).second) {
      trace.name += "_" + std::to_string(c);
      taken.insert(trace.name);
    }
    sweep.others.push_back(std::move(trace));
  }
  return sweep;
}

}  // namespace

Sweep CurrentClampSweep(std::uint32_t number, const std::vector<std::string>& names,
                        std::vector<std::vector<double>> columns, std::optional<double> rateHz) {
  return SweepOf(number, names, columns, rateHz, 1, 2);
}

Sweep VoltageClampSweep(std::uint32_t number, const std::vector<std::string>& names,
                        std::vector<std::vector<double>> columns, std::optional<double> rateHz) {
  std::size_t command = 0, current = 0;
  for (std::size_t c = 1; c < names.size(); ++c) {
    if (names[c] == "V-cmd (mV)") command = c;
    if (names[c] == "I-clamp (nA)") current = c;
  }
  if (command == 0 || current == 0) return CurrentClampSweep(number, names, std::move(columns), rateHz);
  Sweep sweep = SweepOf(number, names, columns, rateHz, current, command);
  sweep.voltageClamp = true;
  return sweep;
}

}  // namespace vantor::nwb
