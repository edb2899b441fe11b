// vantor-cli ions: the reversal potentials and the leaks' resting potential
// of a parameter set's concentrations at its temperature.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/json_text.h"
#include "cli/run_inputs.h"
#include "cli/run_options.h"
#include "vantor/engine/ion_potentials.h"
#include "vantor/text/number_format.h"

namespace vantor::cli {
namespace {

std::string Mv(float v) { return FormatShort(v, 5) + " mV"; }

int Ions(const std::vector<std::string>& args) {
  bool json = false;
  std::vector<std::string> rest;
  for (const std::string& word : args) {
    if (word == "--json") json = true;
    else rest.push_back(word);
  }
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(rest, options, error)) return UsageError("ions", error);
  if (!options.pictureSize.empty() || !options.drugs.empty() || !options.overlayFiles.empty() ||
      !options.csvFile.empty() || !options.pngFile.empty() || !options.svgFile.empty() ||
      !options.pdfFile.empty() || !options.recordFile.empty() || !options.fromFile.empty() ||
      !options.nwbFile.empty() || !options.phaseFile.empty() || !options.cgmFile.empty() ||
      !options.pltFile.empty() || options.meta || !options.tolerance.empty() || !options.csvStep.empty())
    return UsageError("ions", "ions takes a parameter file, --set, --limits and --json only");
  RunInputs inputs;
  if (const int status = LoadRunInputs(options, inputs); status != 0) return status;
  const IonPotentials p = ComputeIonPotentials(inputs.params);
  const char* leak = p.ohmicLeak ? "ohmic" : "GHK";
  std::string out;
  if (json) {
    out = "{\"E_Na_mV\": " + JsonNumber(p.eNa) + ", \"E_K_mV\": " + JsonNumber(p.eK) +
          ", \"E_Cl_mV\": " + JsonNumber(p.eCl) + ", \"E_Ca_mV\": " + JsonNumber(p.eCa) +
          ", \"E_Ca_run_mV\": " + JsonNumber(p.eCaRun) + ", \"E_H_mV\": " + JsonNumber(p.eH) +
          ", \"leak_rest_mV\": " + JsonNumber(p.leakRest) + ", \"leak\": \"" + leak + "\"}\n";
  } else {
    out = "E_Na                 " + Mv(p.eNa) + "\nE_K                  " + Mv(p.eK) +
          "\nE_Cl                 " + Mv(p.eCl) + "\nE_Ca                 " + Mv(p.eCa) +
          " (Nernst; the run's T current takes " + Mv(p.eCaRun) + ", 30 mV per decade)" +
          "\nE_H                  " + Mv(p.eH) + " (0.445 E_Na + 0.555 E_K)" +
          "\nleak rest            " + Mv(p.leakRest) + " (pKleak and pNaleak, " + leak + " form)\n";
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

const CommandRegistration kIons(
    {"ions", "[PARAMFILE] [--set KEY=VALUE ...] [--json]",
     "print the reversal potentials and the leaks' resting potential",
     "For the concentrations and the temperature of the parameters (after the floor a run\n"
     "applies): E_Na, E_K, E_Cl and E_Ca by the Nernst equation, E_H, and the potential at\n"
     "which pKleak and pNaleak carry no current, by the GHK voltage equation (or the\n"
     "weighted mean of E_K and E_Na when Gate #1 equals Gate #2, the ohmic leak).\n"
     "  --set KEY=VALUE, --limits FILE: as for 'run'\n",
     25, Ions});

}  // namespace
}  // namespace vantor::cli
