#include <gtest/gtest.h>

#include <cmath>

#include "vantor/params/pharmacology.h"

namespace vantor {
namespace {

// Every drug, at a dose that acts, changes exactly its targets (downwards)
// and nothing else; the washout brings every value back bit for bit.
TEST(Pharmacology, EachDrugChangesOnlyItsTargets) {
  struct Case {
    const char* drug;
    std::vector<int> targets;
  };
  using namespace param;
  const Case cases[] = {
      {"TTX", {gNa, gNap}},        {"TEA", {gK, gC, gM}},       {"4-AP", {gA}},
      {"XE991", {gM}},             {"linopirdine", {gM}},       {"apamin", {gAHP}},
      {"iberiotoxin", {gC}},       {"paxilline", {gC}},         {"ZD7288", {gH}},
      {"Cs+", {gH}},               {"nickel", {pT}},            {"mibefradil", {pT}},
      {"TTA-P2", {pT}},            {"nifedipine", {pL, pT}},    {"bicuculline", {GabaAWeight}},
      {"gabazine", {GabaAWeight}}, {"picrotoxin", {GabaAWeight}}, {"CGP55845", {GabaBWeight}},
      {"CGP35348", {GabaBWeight}}, {"CNQX", {AmpaWeight}},      {"NBQX", {AmpaWeight}},
      {"D-AP5", {NmdaWeight}},
  };
  ASSERT_EQ(std::size(cases), DrugTable().size());
  ParameterSet control;
  for (int k = 0; k < kParameterCount; ++k) control.SetValue(k, 1.0f + k);  // every value nonzero
  for (const Case& c : cases) {
    DrugDose dose;
    ASSERT_EQ(ParseDrugDose(std::string(c.drug) + "=10mM", dose), "") << c.drug;
    ParameterSet p = control;
    const DrugWashout washout = ApplyDrugs(p, {dose});
    for (int k = 0; k < kParameterCount; ++k) {
      const bool target = std::find(c.targets.begin(), c.targets.end(), k) != c.targets.end();
      if (target) EXPECT_LT(p.Value(k), control.Value(k)) << c.drug << " " << k;
      else EXPECT_EQ(p.Value(k), control.Value(k)) << c.drug << " " << k;
    }
    WashOut(p, washout);
    EXPECT_EQ(p, control) << c.drug;
  }
}

TEST(Pharmacology, DoseResponseFollowsIc50AndHill) {
  const Drug* apv = FindDrug("apv");
  ASSERT_NE(apv, nullptr);
  const DrugTarget& t = apv->targets[0];
  EXPECT_NEAR(RemainingShare(t, 0.35e-6), 0.5, 1e-12);  // at the IC50
  // Hill 0.78: ten times the IC50 leaves 1 / (1 + 10^0.78).
  EXPECT_NEAR(RemainingShare(t, 3.5e-6), 1 / (1 + std::pow(10.0, 0.78)), 1e-12);
  EXPECT_EQ(RemainingShare(t, 0), 1.0);
  // TEA leaves the fifth of I-K that is insensitive, however much is given.
  const DrugTarget& kdr = FindDrug("TEA")->targets[0];
  EXPECT_NEAR(RemainingShare(kdr, 1.0), 0.2, 1e-3);
  // Two drugs on one target multiply: TTX at its Kd twice over is a quarter.
  ParameterSet p;
  DrugDose ttx;
  ASSERT_EQ(ParseDrugDose("TTX=1nM", ttx), "");
  ApplyDrugs(p, {ttx, ttx});
  EXPECT_FLOAT_EQ(p.Value(param::gNa), ParameterSet().Value(param::gNa) * 0.25f);
}

TEST(Pharmacology, ConcentrationsAndRefusals) {
  double molar = 0;
  EXPECT_EQ(ParseConcentration("300nM", molar), "");
  EXPECT_DOUBLE_EQ(molar, 300e-9);
  EXPECT_EQ(ParseConcentration("2 mM", molar), "");
  EXPECT_DOUBLE_EQ(molar, 2e-3);
  EXPECT_EQ(ParseConcentration("1\xC2\xB5M", molar), "");
  EXPECT_DOUBLE_EQ(molar, 1e-6);
  EXPECT_EQ(ParseConcentration("0.5M", molar), "");
  EXPECT_DOUBLE_EQ(molar, 0.5);
  for (const char* bad : {"3", "nM", "-1uM", "1e999uM", "nanuM", "1 kg", "20M", ""})
    EXPECT_NE(ParseConcentration(bad, molar), "") << bad;
  DrugDose dose;
  EXPECT_NE(ParseDrugDose("coffee=1uM", dose).find("no drug"), std::string::npos);
  EXPECT_NE(ParseDrugDose("TTX", dose), "");
  // Without a sourced potency, doses below the working concentration are refused.
  EXPECT_NE(ParseDrugDose("Cs=1uM", dose).find("at least 2 mM"), std::string::npos);
  EXPECT_EQ(ConcentrationText(300e-9), "300 nM");
  EXPECT_EQ(ConcentrationText(83e-12), "83 pM");
}

}  // namespace
}  // namespace vantor
