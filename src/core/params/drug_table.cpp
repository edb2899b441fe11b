// The blockers and their potencies. Only values found in the literature list
// of the help page are used; where no Hill coefficient was found the block is
// taken as one-to-one (Hill 1) and marked approximate, and where no potency
// was found at all the drug blocks completely from its usual working
// concentration on and refuses lower doses.
#include "vantor/params/pharmacology.h"

namespace vantor {
namespace {

constexpr double nM = 1e-9, uM = 1e-6, mM = 1e-3, pM = 1e-12;

DrugTarget Potency(int parameter, double ic50, double hill, bool approximate,
                   double maxBlock = 1) {
  DrugTarget t;
  t.parameter = parameter;
  t.ic50 = ic50;
  t.hill = hill;
  t.approximate = approximate;
  t.maxBlock = maxBlock;
  return t;
}

// A one-to-one block whose Hill coefficient was not found.
DrugTarget Approximate(int parameter, double ic50, double maxBlock = 1) {
  return Potency(parameter, ic50, 1, true, maxBlock);
}

// No potency found: complete from the working concentration on.
DrugTarget FullFrom(int parameter, double molar) {
  DrugTarget t;
  t.parameter = parameter;
  t.fullFrom = molar;
  t.approximate = true;
  return t;
}

std::vector<Drug> MakeTable() {
  using namespace param;
  return {
      {"TTX", {"tetrodotoxin"}, {Approximate(gNa, 1 * nM), Approximate(gNap, 1 * nM)},
       "Kd ~1 nM (cationic form, frog myelinated nerve); NaP: no IC50 found, the Na value is used",
       "0.3 uM blocks I-Na; the persistent current is TTX-sensitive", "S1-S4"},
      {"TEA", {"tetraethylammonium"},
       {Approximate(gK, 0.98 * mM, 0.8), Potency(gC, 196 * uM, 1, false),
        Approximate(gM, 3.8 * mM)},
       "K-DR 0.98 mM (rat CA1, +30 mV), about 20 % of I-K insensitive; BK Kd 196 uM (rat, 0 mV), "
       "Hill 1; M: KCNQ2/3 3.8 mM",
       "0.5-2 mM blocks only the fast AHP (I-C); 3-30 mM for I-K; KCNQ2 alone 0.3 mM",
       "S5-S10"},
      {"4-AP", {"4AP", "4-aminopyridine"}, {Approximate(gA, 0.2 * mM)},
       "I-to closed-state Kd ~0.2 mM (ferret myocytes); Kv1.5 0.14 mM; 1:1 in molluscan I-K",
       "I-A 3-5 mM, I-D 30 uM; 100 uM blocks ~30 % of I-K (not modelled); relieved by "
       "depolarisation",
       "S5, S7-S9, S11-S14"},
      {"XE991", {}, {Approximate(gM, 0.71 * uM)},
       "KCNQ2 0.71 uM, KCNQ1 0.75 uM (vendor page)", "state-dependent; poor washout in cells",
       "S15-S17"},
      {"linopirdine", {}, {Approximate(gM, 8.5 * uM)}, "8.5 uM (rat CA1 slice)",
       "no effect on I-H, the slow AHP or spike width", "S18, S19"},
      {"apamin", {}, {Approximate(gAHP, 83 * pM)},
       "rSK2 83 pM (HEK293), used; hSK1 3.3 nM",
       "4-100 nM in slices (50 nM in CA1); the slow AHP is apamin-insensitive", "S20-S22"},
      {"iberiotoxin", {"IbTX"}, {Potency(gC, 1.16 * nM, 1, false)},
       "Kd 1.16 nM (muscle BK in bilayers), bimolecular", "25-100 nM; BK with beta4 resists",
       "S23-S25"},
      {"paxilline", {}, {FullFrom(gC, 10 * uM)}, "no potency found: a complete block from 10 uM",
       "", "S19, S26"},
      {"ZD7288", {"ZD-7288"}, {Approximate(gH, 2 * uM)},
       "~2 uM (guinea-pig substantia nigra), used; ~0.2 uM (rat facial motoneurones)",
       "10-50 uM; slow, not reversed after 1 h in cells; depresses transmission at high doses",
       "S27-S29"},
      {"Cs", {"Cs+", "caesium", "cesium"}, {FullFrom(gH, 2 * mM)},
       "no potency found: a complete block from 2 mM (external)", "2-5 mM; also blocks Kir",
       "S27, S28, S30"},
      {"Ni", {"Ni2+", "nickel"}, {Approximate(pT, 13 * uM)},
       "Cav3.2 13 uM, used; Cav3.3 216 uM; Cav3.1 250 uM (10 mM Ba2+)",
       "100 uM; selective only for Cav3.2; R-type also blocked", "S31, S32"},
      {"mibefradil", {}, {Approximate(pT, 5 * uM)},
       "5 uM (spermatogenic-cell T current); neuronal value not found",
       "Na channels Ki 17 nM and L-type binding 2.5 nM (not modelled)", "S33, S34"},
      {"TTA-P2", {"TTAP2"}, {Approximate(pT, 100 * nM)}, "100 nM (rat DRG T current)",
       "1 uM; L-type and Na 100-1000x less sensitive", "S35, S36"},
      {"nifedipine", {"nimodipine"}, {FullFrom(pL, 5 * uM), Approximate(pT, 10 * uM)},
       "no potency found for the drug itself: a complete block of pL from 5 uM (half-block of "
       "the related nitrendipine 100-700 nM from -80 mV, ~0.3 nM from -10 mV); 10 uM halves "
       "the T current, used as its IC50",
       "nifedipine 5 uM, nimodipine up to 10 uM; block depends strongly on holding potential",
       "S37-S40"},
      {"bicuculline", {}, {Approximate(GabaAWeight, 1.7 * uM)},
       "1.7 uM (retina, vendor page); methochloride vs muscimol 7 uM",
       "1-10 uM; methiodide salts block SK at 15-25 uM (not modelled)", "S19, S20, S41, S42"},
      {"gabazine", {"SR95531"}, {Approximate(GabaAWeight, 100 * nM)},
       "synaptic IC50 50-100 nM (a1b1g2S), 100 nM used; vs muscimol 2 uM",
       "10 uM; no effect on the AHP up to 100 uM", "S41, S43, S44"},
      {"picrotoxin", {}, {Approximate(GabaAWeight, 12 * uM)},
       "vs muscimol 12 uM, used; a2b2g2 10.3, a3b2g2 5.1, a6b2g2 7.2 uM",
       "100 uM; use-dependent; also glycine, GABAc and 5-HT3 receptors", "S41, S45-S47"},
      {"CGP55845", {"CGP"}, {FullFrom(GabaBWeight, 2 * uM)},
       "no potency found: a complete block from 2 uM", "2-10 uM", "S44"},
      {"CGP35348", {}, {Approximate(GabaBWeight, 34 * uM)}, "binding IC50 34 uM",
       "blocks the late IPSP (CA1)", "S48"},
      {"CNQX", {}, {Approximate(AmpaWeight, 0.3 * uM)},
       "AMPA 0.3 uM, kainate 1.5 uM (vendor page)", "10 uM; also the NMDA glycine site",
       "S49-S51"},
      {"NBQX", {}, {Approximate(AmpaWeight, 0.15 * uM)}, "CA1 field EPSP half-block 0.15 uM",
       "no NMDA effect up to 10 uM", "S52, S53"},
      {"APV", {"D-AP5", "AP5", "D-APV"}, {Potency(NmdaWeight, 0.35 * uM, 0.78, false)},
       "0.35 uM, Hill 0.78 (functional, habenula slice)", "50 uM", "S54, S55"},
  };
}

}  // namespace

const std::vector<Drug>& DrugTable() {
  static const std::vector<Drug> table = MakeTable();
  return table;
}

}  // namespace vantor
