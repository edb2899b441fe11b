#include "app/dialogs/gate_formulas.h"

namespace vantor {
namespace {

// V in mV, time in ms; φ is the temperature factor of the row. Boltzmann
// means 1 / (exp((V − G) / H) + 1).
const char* const kFormulas[17] = {
    "mNa: α = A·(V+B) / (1 − exp(−(V+B)/C)), β = D·(V+E) / (1 − exp((V+E)/F)); "
    "m∞ = α/(α+β), τ = 1/((α+β)·φ). G, H unused.",
    "hNa: α = A·exp((B−V)/C), β = D / (exp((E−V)/F) + 1); h∞ = α/(α+β), τ = 1/((α+β)·φ). "
    "G, H unused.",
    "mK: α = A·(B−V) / (exp((B−V)/C) − 1), β = D·exp((E−V)/F); m∞ = α/(α+β), "
    "τ = 1/((α+β)·φ). G, H unused.",
    "mA: τ = (1 / (exp((V−A)/B) + exp((V−C)/D)) + E) / φ; m∞ = 1 / (exp((V−G)/H) + 1). "
    "F unused.",
    "hA: τ = F/φ for V ≥ E, else 1 / (exp((V−A)/B) + exp((V−C)/D)) / φ; "
    "h∞ = 1 / (exp((V−G)/H) + 1).",
    "mT: τ = (1 / (exp((V−A)/B) + exp((V−C)/D)) + E) / φT; m∞ = 1 / (exp((V−G)/H) + 1). "
    "F unused.",
    "hT: τ = (exp((V+D)/E) + F) / φT for V ≥ A, else exp((V+B)/C) / φT; "
    "h∞ = 1 / (exp((V−G)/H) + 1).",
    "mC: α = A·[Ca]·exp(V/B) with [Ca] the L-shell calcium in mol/L, β = C·exp(−V/D); "
    "m∞ = α/(α+β), τ = 1/((α+β)·φ). E .. H unused.",
    "mL: α = A / (exp((V−C)·B) + 1), β = D·(V+E) / (exp((V+E)/F) − 1); τ = 1/((α+β)·φ); "
    "m∞ = 1 / (exp((V−G)/H) + 1).",
    "mH: with s the H shift, m∞ = 1 / (exp((V−G−s)/H) + 1), "
    "τ = A / (exp((V−s)·E + D) + exp((V−s)·C + B)) / φ. F unused.",
    "mM: m∞ = 1 / (exp((V−G)/H) + 1), τ = A / ((exp((V+C)/D) + exp(−(V+E)/F)) · B) / φ.",
    "mNap: α = A·(V+B) / (1 − exp(−(V+B)/C)), β = D·(V+E) / (1 − exp((V+E)/F)); "
    "τ = 1/((α+β)·φ); m∞ = 1 / (exp((V−G)/H) + 1).",
    "mAHP: α = A·1e9·[Ca]^n with n = B cut to a whole number, β = C; m∞ = α/(α+β), "
    "τ = 1/((α+β)·φ). E: calcium removal of the T shell (1/ms); H ≠ 0 shows the T-shell "
    "calcium as [Ca++]-i. D, F, G unused.",
    "AMPA: g = (1 − exp(−s/A)) · exp(−s/B) / C · gEPSP · AMPA weight, s the time since the "
    "event (ms) times φ and the EPSC kinetics factor. A rise, B decay, C divisor; D .. H unused.",
    "NMDA: as AMPA with s taken D ms later; the magnesium block b = E·exp(F·2·V·z/1000) with z the Faraday constant / RT, "
    "open fraction 1 − 1/(b/[Mg]o + 1). A rise, B decay, C divisor, D delay; G, H unused.",
    "GABAa: g = (1 − exp(−s/A)) · exp(−s/B) / C · gIPSP · GABAa weight, s scaled by φ and "
    "the IPSC kinetics factor. A rise, B decay, C divisor; D .. H unused.",
    "GABAb: g = (1 − exp(−s/A))^E · ((1−B)·exp(−s/D) + B·exp(−s/C)) · gIPSP / F · GABAb "
    "weight. A rise, E its power, C and D decays, B the share of C, F divisor; G, H unused.",
};

}  // namespace

QString GateRowFormula(int row) {
  if (row < 1 || row > 17) return {};
  return QString::fromUtf8(kFormulas[row - 1]);
}

}  // namespace vantor
