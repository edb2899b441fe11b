// The parameter set: 54 numbers with prompts and limits, the comment line,
// the six dialog groups and the trace table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

constexpr int kParameterCount = 54;  // a version 4 file holds all of them
constexpr int kVersion3Count = 29;   // indices 0 .. 28 belong to a version 3 file
constexpr int kCompanionCount = kParameterCount - kVersion3Count;  // 25, in the .cin file
constexpr int kTraceCount = 21;
constexpr int kGroupCount = 6;
constexpr std::size_t kPromptLimit = 32;   // prompt slot of 33 bytes
constexpr std::size_t kCommentLimit = 79;

// Parameter indices. The index is the parameter's identity everywhere: its
// position in a parameter file and its dialog control id minus 1000.
namespace param {
enum Index : int {
  TrialDuration = 0,
  BaseCurrent = 1,
  StepOnset = 2,
  StepOffset = 3,
  InjectedCurrent = 4,
  gNa = 5,
  gK = 6,
  pT = 7,
  pL = 8,
  gC = 9,
  gA = 10,
  gM = 11,
  gAHP = 12,
  pKleak = 13,
  pNaleak = 14,
  StartingVm = 15,
  IpscOnset = 16,
  gIPSP = 17,
  EpscOnset = 18,
  gEPSP = 19,
  MgOut = 20,
  CaOut = 21,
  CaIn = 22,
  KOut = 23,
  KIn = 24,
  NaOut = 25,
  NaIn = 26,
  ClOut = 27,
  ClIn = 28,
  IpspFrequency = 29,
  IpspCount = 30,
  IpscKinetics = 31,
  GabaAWeight = 32,
  GabaBWeight = 33,
  EpspFrequency = 34,
  EpspCount = 35,
  EpscKinetics = 36,
  AmpaWeight = 37,
  NmdaWeight = 38,
  gNap = 39,
  gH = 40,
  HShift = 41,
  Gate1 = 42,
  Gate2 = 43,
  Gate3 = 44,
  MaxDvForPlot = 45,
  MaxDtForPlot = 46,
  PlotChoice = 47,
  MaxChangeInGates = 48,
  Model = 49,
  MembraneArea = 50,
  Depth = 51,
  CaRemoval = 52,
  Temperature = 53,
};
}  // namespace param

// Trace rows of the trace table, in their fixed order.
namespace trace {
enum Row : int {
  Vm = 0, IInj, ICap, CaIn, IC, IH, IT, IA, IL, INa, IK, IM, IAHP, INap,
  IAMPA, INMDA, IGABAa, IGABAb, G1, G2, G3,
};
}  // namespace trace

struct TraceRow {
  float maximum = 0;
  float minimum = 0;
  float plot = 0;      // row 0: V-m share in per cent; other rows: weight (0 = hidden)
  int32_t cond = 0;    // rows 4 .. 17: nonzero shows the conductance
  std::string unit;    // at most 5 characters, code page 437
  std::string prefix;  // at most 7 characters
  std::string suffix;  // at most 5 characters
  bool operator==(const TraceRow&) const = default;
};

constexpr std::size_t kUnitLimit = 5;
constexpr std::size_t kPrefixLimit = 7;
constexpr std::size_t kSuffixLimit = 5;

struct ParameterGroup {
  const char* templateName;  // "PROTOCOL" ...
  const char* title;         // "Protocol" ...
  std::vector<int> members;  // parameter indices in display order
};

class ParameterSet {
 public:
  ParameterSet();  // the built-in values

  float Value(int k) const { return values_[k]; }
  void SetValue(int k, float v) { values_[k] = v; }
  const std::array<float, kParameterCount>& Values() const { return values_; }

  const std::string& Prompt(int k) const { return prompts_[k]; }
  void SetPrompt(int k, std::string text);  // cut to 32 characters

  float Minimum(int k) const { return minima_[k]; }
  float Maximum(int k) const { return maxima_[k]; }
  void SetLimits(int k, float minimum, float maximum);
  void SetMinimum(int k, float minimum) { minima_[k] = minimum; }
  void SetMaximum(int k, float maximum) { maxima_[k] = maximum; }

  // True exactly when minimum <= v <= maximum; NaN fails.
  bool InRange(int k, float v) const;
  // The prompt up to, not including, the first "(".
  std::string MessageLabel(int k) const;

  const std::string& Comment() const { return comment_; }
  void SetComment(std::string text);  // cut to 79 characters

  const TraceRow& Trace(int i) const { return traces_[i]; }
  TraceRow& Trace(int i) { return traces_[i]; }
  void SetTrace(int i, TraceRow row);  // fields cut to their limits

  static const ParameterGroup& Group(int r);
  // The built-in prompt and the short token ("gNa", "[Ca]o") of index k;
  // the token is empty for parameters that have none.
  static const char* BuiltInPrompt(int k);
  static const char* ShortName(int k);
  // Index of a parameter named by its index, short name or prompt; -1 if none.
  int Find(const std::string& key) const;

  bool operator==(const ParameterSet&) const = default;

 private:
  std::array<float, kParameterCount> values_{};
  std::array<float, kParameterCount> minima_{};
  std::array<float, kParameterCount> maxima_{};
  std::array<std::string, kParameterCount> prompts_;
  std::string comment_;
  std::array<TraceRow, kTraceCount> traces_;
};

}  // namespace vantor
