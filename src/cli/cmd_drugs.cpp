// vantor-cli drugs: the blockers --drug knows, with their targets, potencies
// and the sources the help page lists.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "vantor/params/parameter_names.h"
#include "vantor/params/pharmacology.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {
namespace {

std::string TargetText(const DrugTarget& t) {
  std::string text = CommandLineName(t.parameter) + ": ";
  if (t.ic50 <= 0) return text + "complete from " + ConcentrationText(t.fullFrom);
  text += "IC50 " + ConcentrationText(t.ic50) + ", Hill " + FormatShortest(static_cast<float>(t.hill));
  if (t.maxBlock < 1) text += ", at most " + FormatShortest(static_cast<float>(t.maxBlock * 100)) + " %";
  if (t.approximate) text += " (approximate)";
  return text;
}

int Drugs(const std::vector<std::string>& args) {
  std::vector<std::string> words;
  std::string error;
  if (!PositionalWords(args, words, error)) return UsageError("drugs", error);
  if (!words.empty()) return UsageError("drugs", "drugs takes no file names");
  std::string out;
  for (const Drug& drug : DrugTable()) {
    out += drug.name;
    for (const std::string& alias : drug.aliases) out += " / " + alias;
    out += "\n";
    for (const DrugTarget& t : drug.targets) out += "  " + TargetText(t) + "\n";
    out += "  potency: " + std::string(drug.potency) + "\n";
    if (*drug.caveats) out += "  note: " + std::string(drug.caveats) + "\n";
    out += "  sources: " + std::string(drug.sources) + " (the help page lists them)\n";
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

const CommandRegistration kDrugs(
    {"drugs", "", "list the blockers of --drug: targets, IC50, Hill coefficient, sources",
     "A drug scales each target by 1 - max · c^n / (c^n + IC50^n). 'approximate' marks a\n"
     "potency or Hill coefficient that was not found in a source (Hill 1 is then taken).\n",
     22, Drugs});

}  // namespace
}  // namespace vantor::cli
