#include <cctype>
#include <cmath>
#include <cstdlib>

#include "vantor/params/pharmacology.h"
#include "vantor/params/parameter_names.h"
#include "vantor/text/number_text.h"

namespace vantor {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct Unit {
  const char* suffix;
  double scale;
};
// Longest first: "mM" before "M".
constexpr Unit kUnits[] = {{"pM", 1e-12}, {"nM", 1e-9}, {"uM", 1e-6}, {"\xC2\xB5M", 1e-6},
                           {"\xCE\xBCM", 1e-6}, {"mM", 1e-3}, {"M", 1.0}};

// Above this nothing is dissolved any more.
constexpr double kLargestConcentration = 10.0;

}  // namespace

const Drug* FindDrug(const std::string& name) {
  const std::string key = Lower(name);
  for (const Drug& drug : DrugTable()) {
    if (Lower(drug.name) == key) return &drug;
    for (const std::string& alias : drug.aliases)
      if (Lower(alias) == key) return &drug;
  }
  return nullptr;
}

std::string ParseConcentration(const std::string& text, double& molar) {
  std::string number = text;
  while (!number.empty() && number.back() == ' ') number.pop_back();
  double scale = 0;
  for (const Unit& unit : kUnits) {
    const std::string suffix = unit.suffix;
    if (number.size() > suffix.size() &&
        number.compare(number.size() - suffix.size(), suffix.size(), suffix) == 0) {
      number.resize(number.size() - suffix.size());
      scale = unit.scale;
      break;
    }
  }
  if (scale == 0)
    return "\"" + text + "\" needs a unit: pM, nM, uM, mM or M (as in 300nM)";
  while (!number.empty() && number.back() == ' ') number.pop_back();
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !std::isfinite(value))
    return "\"" + text + "\" is not a concentration (a number and a unit, as in 300nM)";
  if (value < 0) return "a concentration cannot be negative: " + text;
  molar = value * scale;
  if (molar > kLargestConcentration) return "a concentration above 10 M is not a solution: " + text;
  return {};
}

std::string ConcentrationText(double molar) {
  struct Step {
    double scale;
    const char* unit;
  };
  constexpr Step steps[] = {{1.0, "M"}, {1e-3, "mM"}, {1e-6, "\xC2\xB5M"}, {1e-9, "nM"}};
  for (const Step& s : steps)
    if (molar >= s.scale * (1 - 1e-9))
      return FormatShortest(static_cast<float>(molar / s.scale)) + " " + s.unit;
  return FormatShortest(static_cast<float>(molar / 1e-12)) + " pM";
}

double RemainingShare(const DrugTarget& t, double molar) {
  if (!(molar > 0)) return 1.0;
  if (t.ic50 <= 0) return molar >= t.fullFrom ? 1.0 - t.maxBlock : 1.0;
  const double cn = std::pow(molar / t.ic50, t.hill);
  return 1.0 - t.maxBlock * cn / (1.0 + cn);
}

std::string ParseDrugDose(const std::string& text, DrugDose& dose) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) return "--drug " + text + ": expected NAME=CONCENTRATION (TTX=300nM)";
  const std::string name = text.substr(0, eq);
  const Drug* drug = FindDrug(name);
  if (drug == nullptr) {
    std::string known;
    for (const Drug& d : DrugTable()) known += std::string(known.empty() ? "" : ", ") + d.name;
    return "there is no drug called \"" + name + "\"; the drugs are " + known;
  }
  double molar = 0;
  if (std::string problem = ParseConcentration(text.substr(eq + 1), molar); !problem.empty())
    return problem;
  for (const DrugTarget& t : drug->targets)
    if (t.ic50 <= 0 && molar > 0 && molar < t.fullFrom * (1 - 1e-9))
      return std::string(drug->name) + " has no known dose-response; give at least " +
             ConcentrationText(t.fullFrom) + ", which blocks " +
             CommandLineName(t.parameter) + " completely";
  dose = {drug, molar};
  return {};
}

DrugWashout ApplyDrugs(ParameterSet& params, const std::vector<DrugDose>& doses) {
  DrugWashout washout;
  const auto saved = [&](int k) {
    for (const auto& [index, value] : washout.saved)
      if (index == k) return true;
    return false;
  };
  for (const DrugDose& dose : doses) {
    if (dose.drug == nullptr) continue;
    for (const DrugTarget& t : dose.drug->targets) {
      const int k = t.parameter;
      if (!saved(k)) washout.saved.emplace_back(k, params.Value(k));
      params.SetValue(k, static_cast<float>(params.Value(k) * RemainingShare(t, dose.molar)));
    }
  }
  return washout;
}

void WashOut(ParameterSet& params, const DrugWashout& washout) {
  for (const auto& [k, value] : washout.saved) params.SetValue(k, value);
}

std::string DrugSummary(const std::vector<DrugDose>& doses) {
  std::string text;
  for (const DrugDose& dose : doses) {
    if (dose.drug == nullptr) continue;
    if (!text.empty()) text += ", ";
    text += std::string(dose.drug->name) + " " + ConcentrationText(dose.molar);
  }
  return text;
}

}  // namespace vantor
