#include "app/dialogs/parameter_templates.h"

#include <algorithm>

namespace vantor {
namespace {

constexpr TemplateEntry F(int index, const char* label) {
  return {TemplateEntry::Field, index, label};
}
constexpr TemplateEntry kSeparator{TemplateEntry::Separator, -1, ""};
constexpr TemplateEntry kNextColumn{TemplateEntry::NextColumn, -1, ""};

// The labels are the dialogs' own texts, not the prompts of the parameters,
// which are used only in messages and files.
const ParameterTemplate kTemplates[6] = {
    {"PROTOCOL", "Protocol", 0,
     {F(0, "Trial duration (ms)"), F(1, "Base current (nA)"), F(2, "Onset of step (ms)"),
      F(3, "Offset of step"), F(4, "Injected current (nA)"), F(15, "Starting Vm (mV)")}},
    {"CONDUCTANCES", "Conductances", 1,
     {F(5, "gNa (0 -20 µS)"), F(6, "gK (0-2)"), F(9, "gC (0 - 2)"), F(10, "gA (0 - 2)"),
      F(11, "gM (0 - 0.1)"), F(12, "gAHP (0 - 0.1)"), kSeparator, F(7, "pT ( 0 - 40 pL/sec)"),
      F(8, "pL (0 - 100)"), kSeparator, F(13, "pKleak (0 - 1)"), F(14, "pNaleak (0 - 1)")}},
    {"SYNAPSES", "Synaptic Currents", 2,
     {F(16, "Onset of IPSP"), F(17, "gIPSP (0 - 0.1)"), kSeparator, F(18, "Onset of EPSP"),
      F(19, "gEPSP (0 - 0.1)")}},
    {"IONS", "Ions", 3,
     {F(20, "mM [Mg]o (1)"), kSeparator, F(21, "mM [Ca]o (2)"), F(22, "nM [Ca]i (10)"), kSeparator,
      F(23, "mM [K]o (3.1)"), F(24, "mM [K]i (135)"), kSeparator, F(25, "mM [Na]o (145)"),
      F(26, "mM [Na]i (31)"), kSeparator, F(27, "mM [Cl]o (120)"), F(28, "mM [Cl]i (7)")}},
    {"SYNAPSES2", "Synaptic Currents", 4,
     {F(16, "Onset of IPSP"), F(17, "gIPSP (0 - 0.1)"), F(29, "IPSP frequency (Hz)"),
      F(30, "Number of IPSPs"), F(31, "IPSC kinetics factor"), F(32, "GABAa weight"),
      F(33, "GABAb weight"), kNextColumn, F(18, "Onset of EPSP"), F(19, "gEPSP (0 - 0.1)"),
      F(34, "EPSP frequency (Hz)"), F(35, "Number of EPSPs"), F(36, "EPSC kinetics factor"),
      F(37, "AMPA weight"), F(38, "NMDA weight")}},
    {"EXTRA", "Miscellaneous Parameters", 5,
     {F(39, "gNap (0 - 0.2 nS)"), F(40, "gH (0 - 0.2 nS)"), F(41, "H shift (mV)"),
      F(42, "Gate #1"), F(43, "Gate #2"), F(44, "Gate #3"), F(45, "Max plot dV (mV)"),
      kNextColumn, F(46, "Max plot dt (ms)"), F(48, "Max gate change (%)"),
      F(49, "Mdl(1Step,2Euler,3RK)"), F(50, "Membr. area (sq µ)"), F(51, "depth (µ)"),
      F(52, "Ca removal (ß, 1/ms)"), F(53, "temperature (°C)")}},
};

}  // namespace

FieldNote NoteForField(int index) {
  switch (index) {
    case 39:
    case 40:
      // The labels say nS; the model takes these as every other conductance.
      return {"µS", "In µS, like every conductance of the cell: 0.2 µS is 200 nS."};
    case 49:
      return {"1 .. 4",
              "1 exponential steps, 2 Euler, 3 Runge-Kutta, 4 error-controlled "
              "fifth-order method (the time step follows the accuracy)."};
    case 42:
    case 43:
    case 44:
      return {"1 .. 13",
              "The gating variable drawn as g-1, g-2 or g-3: 1 mNa, 2 hNa, 3 mK, 4 mA, 5 hA, "
              "6 mT, 7 hT, 8 mC, 9 mL, 10 mH, 11 mM, 12 mNap, 13 mAHP."};
    default: return {};
  }
}

const ParameterTemplate& TemplateForGroup(int row) {
  return kTemplates[std::clamp(row, 0, 5)];
}

int GroupRowForCommand(int command, bool extendedMode) {
  switch (command) {
    case command::Protocol: return 0;
    case command::Conductances: return 1;
    case command::SynapticCurrents: return extendedMode ? 4 : 2;
    case command::Ions: return 3;
    case command::MiscParameters: return 5;
    default: return -1;
  }
}

int PictureForCommand(int command) {
  const int offset = command == command::MiscParameters ? 407 - 402 : command - 402;
  return 920 + std::clamp(offset, 0, 3);
}

int PictureForGroup(int row) {
  static const int kCommands[6] = {command::Protocol, command::Conductances,
                                   command::SynapticCurrents, command::Ions,
                                   command::SynapticCurrents, command::MiscParameters};
  return PictureForCommand(kCommands[std::clamp(row, 0, 5)]);
}

std::vector<int> DisplayOrder(const ParameterTemplate& t) {
  std::vector<int> order;
  for (const TemplateEntry& e : t.entries)
    if (e.kind == TemplateEntry::Field) order.push_back(e.index);
  return order;
}

}  // namespace vantor
