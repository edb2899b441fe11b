// Blockers: named drugs that each scale only their target conductances or
// synaptic weights, by a concentration through a dose-response, and the
// washout that puts the values back exactly.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "vantor/params/parameter_set.h"

namespace vantor {

// How one drug acts on one parameter.
struct DrugTarget {
  int parameter;  // param::gNa ...
  // Half-blocking concentration (mol/L); 0 when no potency is known: then
  // the block is complete from `fullFrom` on, and lower doses are refused.
  double ic50 = 0;
  double hill = 1;        // Hill coefficient of the block
  double maxBlock = 1;    // the share of the parameter the drug can block at most
  bool approximate = false;  // potency or Hill coefficient not sourced for this target
  double fullFrom = 0;    // mol/L, for a target without a potency
};

struct Drug {
  const char* name;           // "TTX"
  std::vector<std::string> aliases;  // further names matched without regard to case
  std::vector<DrugTarget> targets;
  const char* potency;        // the sourced values, as the help page gives them
  const char* caveats;        // off-target effects and conditions
  const char* sources;        // "S1-S4"
};

// Every drug the program knows, in the order of the help page.
const std::vector<Drug>& DrugTable();
// The drug a name or alias means (case ignored); null when none.
const Drug* FindDrug(const std::string& name);

// "1uM", "300nM", "2 mM", "83pM", "1µM", "0.5M": a concentration in mol/L.
// Empty when it could be read; otherwise why not.
std::string ParseConcentration(const std::string& text, double& molar);
// 1e-6 -> "1 µM" (UTF-8), with the largest unit that keeps the number >= 1.
std::string ConcentrationText(double molar);

// The share of a target left unblocked at a concentration:
// 1 - maxBlock · c^n / (c^n + IC50^n); for a target without a potency 1 - maxBlock.
double RemainingShare(const DrugTarget& target, double molar);

struct DrugDose {
  const Drug* drug = nullptr;
  double molar = 0;
};

// "NAME=CONCENTRATION" as the command line gives it. Empty when it names a
// known drug and a concentration it can act at; otherwise the message.
std::string ParseDrugDose(const std::string& text, DrugDose& dose);

// The values a washout puts back: each changed parameter with its value
// before the first drug.
struct DrugWashout {
  std::vector<std::pair<int, float>> saved;
};

// Scales each dose's targets in `params` (several drugs on one target
// multiply their remaining shares) and returns what restores them.
DrugWashout ApplyDrugs(ParameterSet& params, const std::vector<DrugDose>& doses);
// Puts back exactly the values saved by ApplyDrugs.
void WashOut(ParameterSet& params, const DrugWashout& washout);

// "TTX 300 nM, TEA 2 mM": what a run was given, for its title or record.
std::string DrugSummary(const std::vector<DrugDose>& doses);

}  // namespace vantor
