#include "vantor/params/parameter_set.h"

#include <cmath>
#include <cstdlib>

namespace vantor {
namespace {

struct BuiltIn {
  const char* prompt;  // code page 437: \xE6 is µ, \xF8 is °, \xE1 is ß
  const char* token;
  float value;
  float minimum;
  float maximum;
};

// Indices 29 .. 53 have built-in limits 0 .. 0: without a limits file they
// accept only 0.
const BuiltIn kBuiltIn[kParameterCount] = {
    {"Trial duration (ms)", "", 80.0f, 1.0f, 1000000.0f},
    {"Base current (nA)", "", 0.0f, -200.0f, 200.0f},
    {"Onset of step (ms)", "", 10.0f, 0.0f, 1000000.0f},
    {"Offset of step", "", 60.0f, 0.0f, 1000000.0f},
    {"Injected current (nA)", "", 2.0f, -200.0f, 200.0f},
    {"gNa (0-20 \xE6S)", "gNa", 20.0f, 0.0f, 200.0f},
    {"gK  (0-4)", "gK", 2.0f, 0.0f, 200.0f},
    {"pT (0-40 pL/sec)", "pT", 0.0f, 0.0f, 200.0f},
    {"pL (0-100)", "pL", 0.0f, 0.0f, 200.0f},
    {"gC (0-2)", "gC", 0.0f, 0.0f, 200.0f},
    {"gA (0-2)", "gA", 0.0f, 0.0f, 200.0f},
    {"gM (0-0.1)", "gM", 0.0f, 0.0f, 200.0f},
    {"gAHP (0-0.1)", "gAHP", 0.0f, 0.0f, 200.0f},
    {"pKleak (0-1)", "pKleak", 1.0f, 0.0f, 200.0f},
    {"pNaleak (0-0.1)", "pNaleak", 0.06f, 0.0f, 200.0f},
    {"Starting Vm (mV)", "", -65.0f, -125.0f, 125.0f},
    {"onset of ipsc", "", 200.0f, 0.0f, 1000000.0f},
    {"gIPSP (0-0.1)", "gIPSP", 0.0f, 0.0f, 200.0f},
    {"onset of epsc", "", 500.0f, 0.0f, 1000000.0f},
    {"gEPSP (0-0.1)", "gEPSP", 0.0f, 0.0f, 200.0f},
    {"mM [Mg]o (1)", "[Mg]o", 1.0f, 0.0f, 200.0f},
    {"mM [Ca]o (2)", "[Ca]o", 2.0f, 0.0f, 200.0f},
    {"nM [Ca]i (10)", "[Ca]i", 10.0f, 10.0f, 1e10f},
    {"mM [K]o (3.1)", "[K]o", 3.1f, 0.0f, 200.0f},
    {"mM [K]i (135)", "[K]i", 135.0f, 0.0f, 200.0f},
    {"mM [Na]o (145)", "[Na]o", 145.0f, 0.0f, 200.0f},
    {"mM [Na]i (31)", "[Na]i", 31.0f, 0.0f, 200.0f},
    {"mM [Cl]o (120)", "[Cl]o", 120.0f, 0.0f, 200.0f},
    {"mM [Cl]i (7)", "[Cl]i", 7.0f, 0.0f, 200.0f},
    {"IPSP frequency (Hz)", "", 2.5f, 0.0f, 0.0f},
    {"Number of IPSPs", "", 0.0f, 0.0f, 0.0f},
    {"IPSC kinetics factor", "", 0.5f, 0.0f, 0.0f},
    {"GABAa weight", "", 1.0f, 0.0f, 0.0f},
    {"GABAb weight", "", 0.1f, 0.0f, 0.0f},
    {"EPSP frequency (Hz)", "", 0.0f, 0.0f, 0.0f},
    {"Number of EPSPs", "", 0.0f, 0.0f, 0.0f},
    {"EPSC kinetics factor", "", 1.0f, 0.0f, 0.0f},
    {"AMPA weight", "", 1.0f, 0.0f, 0.0f},
    {"NMDA weight", "", 1.0f, 0.0f, 0.0f},
    {"gNap", "gNap", 0.0f, 0.0f, 0.0f},
    {"gH", "gH", 0.0f, 0.0f, 0.0f},
    {"H shift (mV)", "", 0.0f, 0.0f, 0.0f},
    {"Gate #1 (mC)", "", 1.0f, 0.0f, 0.0f},
    {"Gate #2 (hNa)", "", 2.0f, 0.0f, 0.0f},
    {"Gate #3 (mK)", "", 3.0f, 0.0f, 0.0f},
    {"Maximum dV for plot (mV)", "", 1.0f, 0.0f, 0.0f},
    {"Maximum dt for plot (ms)", "", 1.0f, 0.0f, 0.0f},
    {"Plot(1-LPT1.F,2-LJ3.F,3-file)", "", 0.0f, 0.0f, 0.0f},
    {"Max %change in gates", "", 50.0f, 0.0f, 0.0f},
    {"Model (1=Step.F,2=Euler.F,3=RK)", "", 1.0f, 0.0f, 0.0f},
    {"Membrane area (sq \xE6)", "", 29000.0f, 0.0f, 0.0f},
    {"depth (\xE6)", "", 0.1f, 0.0f, 0.0f},
    {"Ca removal (\xE1.F, 1/ms)", "", 1.0f, 0.0f, 0.0f},
    {"temperature (\xF8" "C)", "", 35.0f, 0.0f, 0.0f},
};

const TraceRow kBuiltInTraces[kTraceCount] = {
    {20.0f, -100.0f, 75.0f, 0, "mV", "V", "m"},
    {5.0f, -5.0f, 1.0f, 0, "nA", "I", "Inj"},
    {5.0f, 0.0f, 0.0f, 0, "nA", "I", "cap"},
    {3.0f, 0.0f, 0.0f, 0, "\xE6M", "[Ca++]", "i"},
    {100.0f, 0.0f, 0.0f, 0, "nA", "I", "C"},
    {0.4f, -0.5f, 0.0f, 0, "nA", "I", "H"},
    {0.0f, -2.0f, 0.0f, 0, "nA", "I", "T"},
    {5.0f, 0.0f, 0.0f, 0, "nA", "I", "A"},
    {0.0f, -2.0f, 0.0f, 0, "nA", "I", "L"},
    {0.0f, -50.0f, 0.0f, 1, "nA", "I", "Na"},
    {100.0f, 0.0f, 0.0f, 0, "nA", "I", "K"},
    {0.5f, 0.0f, 0.0f, 0, "nA", "I", "M"},
    {0.5f, 0.0f, 0.0f, 0, "nA", "I", "AHP"},
    {0.2f, 0.0f, 0.0f, 0, "nA", "I", "Nap"},
    {0.1f, 0.0f, 0.0f, 1, "nA", "I", "AMPA"},
    {0.1f, 0.0f, 0.0f, 1, "nA", "I", "NMDA"},
    {0.04f, 0.0f, 0.0f, 1, "nA", "I", "GABAa"},
    {0.005f, 0.0f, 0.0f, 1, "nA", "I", "GABAb"},
    {1.0f, 0.0f, 0.0f, 0, "O", "g", "1"},
    {1.0f, 0.0f, 0.0f, 0, "O", "g", "2"},
    {1.0f, 0.0f, 0.0f, 0, "O", "g", "3"},
};

const ParameterGroup kGroups[kGroupCount] = {
    {"PROTOCOL", "Protocol", {0, 1, 2, 3, 4, 15}},
    {"CONDUCTANCES", "Conductances", {5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
    {"SYNAPSES", "Synaptic Currents", {16, 17, 18, 19}},
    {"IONS", "Ions", {20, 21, 22, 23, 24, 25, 26, 27, 28}},
    {"SYNAPSES2", "Synaptic Currents",
     {16, 17, 29, 30, 31, 32, 33, 18, 19, 34, 35, 36, 37, 38}},
    {"EXTRA", "Miscellaneous Parameters",
     {39, 40, 41, 42, 43, 44, 45, 46, 48, 49, 50, 51, 52, 53}},
};

std::string Cut(std::string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

}  // namespace

ParameterSet::ParameterSet() {
  for (int k = 0; k < kParameterCount; ++k) {
    values_[k] = kBuiltIn[k].value;
    minima_[k] = kBuiltIn[k].minimum;
    maxima_[k] = kBuiltIn[k].maximum;
    prompts_[k] = kBuiltIn[k].prompt;
  }
  comment_ = "Train of action potentials";
  for (int i = 0; i < kTraceCount; ++i) traces_[i] = kBuiltInTraces[i];
}

void ParameterSet::SetPrompt(int k, std::string text) {
  prompts_[k] = Cut(std::move(text), kPromptLimit);
}

void ParameterSet::SetLimits(int k, float minimum, float maximum) {
  minima_[k] = minimum;
  maxima_[k] = maximum;
}

bool ParameterSet::InRange(int k, float v) const {
  // Written so that NaN fails both comparisons.
  return v >= minima_[k] && v <= maxima_[k];
}

std::string ParameterSet::MessageLabel(int k) const {
  const std::string& p = prompts_[k];
  return p.substr(0, p.find('('));
}

void ParameterSet::SetComment(std::string text) {
  comment_ = Cut(std::move(text), kCommentLimit);
}

void ParameterSet::SetTrace(int i, TraceRow row) {
  row.unit = Cut(std::move(row.unit), kUnitLimit);
  row.prefix = Cut(std::move(row.prefix), kPrefixLimit);
  row.suffix = Cut(std::move(row.suffix), kSuffixLimit);
  traces_[i] = std::move(row);
}

const ParameterGroup& ParameterSet::Group(int r) { return kGroups[r]; }

const char* ParameterSet::BuiltInPrompt(int k) { return kBuiltIn[k].prompt; }

const char* ParameterSet::ShortName(int k) { return kBuiltIn[k].token; }

int ParameterSet::Find(const std::string& key) const {
  if (key.empty()) return -1;
  char* end = nullptr;
  long n = std::strtol(key.c_str(), &end, 10);
  if (*end == '\0') return (n >= 0 && n < kParameterCount) ? static_cast<int>(n) : -1;
  for (int k = 0; k < kParameterCount; ++k)
    if (key == kBuiltIn[k].token) return k;
  for (int k = 0; k < kParameterCount; ++k)
    if (key == prompts_[k] || key == kBuiltIn[k].prompt) return k;
  return -1;
}

}  // namespace vantor
