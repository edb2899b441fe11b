#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/parameter_set.h"

namespace vantor {
namespace {

TEST(ParameterSet, RangeTestIncludesBothLimitsAndRefusesNaN) {
  const ParameterSet params;
  EXPECT_TRUE(params.InRange(param::TrialDuration, 1.0f));
  EXPECT_TRUE(params.InRange(param::TrialDuration, 1000000.0f));
  EXPECT_FALSE(params.InRange(param::TrialDuration, std::nextafter(1.0f, 0.0f)));
  EXPECT_FALSE(params.InRange(param::TrialDuration, std::nextafter(1000000.0f, 2e6f)));
  EXPECT_TRUE(params.InRange(param::BaseCurrent, -200.0f));
  EXPECT_FALSE(params.InRange(param::BaseCurrent, -200.01f));
  EXPECT_FALSE(params.InRange(param::BaseCurrent, std::nanf("")));
  EXPECT_FALSE(params.InRange(param::BaseCurrent, INFINITY));

  // [Ca]i is the one parameter whose built-in minimum is not 0 or below.
  EXPECT_TRUE(params.InRange(param::CaIn, 10.0f));
  EXPECT_TRUE(params.InRange(param::CaIn, 1e10f));
  EXPECT_FALSE(params.InRange(param::CaIn, 9.99f));
}

TEST(ParameterSet, VersionFourParametersAcceptOnlyZeroWithoutALimitsFile) {
  const ParameterSet params;
  for (int k = kVersion3Count; k < kParameterCount; ++k) {
    EXPECT_TRUE(params.InRange(k, 0.0f)) << k;
    EXPECT_FALSE(params.InRange(k, 1.0f)) << k;
    EXPECT_FALSE(params.InRange(k, -1e-30f)) << k;
  }
  // The built-in Gate #1 (1) is refused while gNap, gH and H shift (0) pass.
  EXPECT_TRUE(params.InRange(param::gNap, params.Value(param::gNap)));
  EXPECT_TRUE(params.InRange(param::HShift, params.Value(param::HShift)));
  EXPECT_FALSE(params.InRange(param::Gate1, params.Value(param::Gate1)));
}

TEST(ParameterSet, MessageLabelStopsBeforeTheFirstParenthesis) {
  ParameterSet params;
  EXPECT_EQ(params.MessageLabel(param::TrialDuration), "Trial duration ");
  EXPECT_EQ(params.MessageLabel(param::gK), "gK  ");
  EXPECT_EQ(params.MessageLabel(param::gNap), "gNap");
  EXPECT_EQ(params.MessageLabel(param::StepOffset), "Offset of step");
  EXPECT_EQ(params.MessageLabel(param::PlotChoice), "Plot");
  params.SetPrompt(param::gK, "(all of it");
  EXPECT_EQ(params.MessageLabel(param::gK), "");
}

TEST(ParameterSet, PromptsFromAFileServeLabelsAndTheNextFile) {
  testing::ScratchDir dir;
  CollectedMessages messages;
  ASSERT_TRUE(WriteParameterFile(dir / "p.vt4", ParameterSet(), messages).ok);
  std::string text = testing::ReadAll(dir / "p.vt4");
  const std::string builtIn = "Trial duration (ms)";
  text.replace(text.find(builtIn), builtIn.size(), "Length of trial [ms] (1-1e6)");
  testing::WriteAll(dir / "p.vt4", text);
  ParameterSet params;
  ASSERT_TRUE(ReadParameterFile(dir / "p.vt4", params, messages));
  EXPECT_EQ(params.MessageLabel(param::TrialDuration), "Length of trial [ms] ");
  ASSERT_TRUE(WriteParameterFile(dir / "q.vt4", params, messages).ok);
  EXPECT_EQ(testing::Lines(testing::ReadAll(dir / "q.vt4"))[1],
            "  80 Length of trial [ms] (1-1e6)");
  EXPECT_TRUE(messages.entries.empty());
}

TEST(ParameterSet, TextsKeepTheirSlotSizes) {
  ParameterSet params;
  params.SetComment(std::string(200, 'c'));
  EXPECT_EQ(params.Comment(), std::string(79, 'c'));
  params.SetPrompt(3, std::string(40, 'p'));
  EXPECT_EQ(params.Prompt(3), std::string(32, 'p'));
  params.SetTrace(2, {1, 0, 1, 0, "abcdefgh", "abcdefghij", "abcdefgh"});
  EXPECT_EQ(params.Trace(2), (TraceRow{1, 0, 1, 0, "abcde", "abcdefg", "abcde"}));
}

TEST(ParameterSet, GroupsCoverEveryIndexButThePlotChoiceOnce) {
  const int counts[kGroupCount] = {6, 10, 4, 9, 14, 14};
  std::multiset<int> seen;
  for (int r = 0; r < kGroupCount; ++r) {
    const ParameterGroup& group = ParameterSet::Group(r);
    EXPECT_EQ(static_cast<int>(group.members.size()), counts[r]) << r;
    // Row 4 is the extended synaptic dialog: it repeats row 2.
    if (r != 2) seen.insert(group.members.begin(), group.members.end());
  }
  for (int k = 0; k < kParameterCount; ++k)
    EXPECT_EQ(seen.count(k), k == param::PlotChoice ? 0u : 1u) << k;
  EXPECT_EQ(ParameterSet::Group(4).members[7], param::EpscOnset);
  EXPECT_STREQ(ParameterSet::Group(5).templateName, "EXTRA");
}

TEST(ParameterSet, BuiltInTracesDrawVoltageAndInjectedCurrentOnly) {
  const ParameterSet params;
  for (int i = 0; i < kTraceCount; ++i) {
    const TraceRow& row = params.Trace(i);
    EXPECT_EQ(row.plot != 0, i <= trace::IInj) << i;
    const bool conductance = i == trace::INa || (i >= trace::IAMPA && i <= trace::IGABAb);
    EXPECT_EQ(row.cond != 0, conductance) << i;
  }
  EXPECT_EQ(params.Trace(trace::Vm).plot, 75.0f);
  EXPECT_EQ(params.Trace(trace::CaIn).unit, "\xE6M");
}

TEST(ParameterSet, PromptsHoldCodePage437Bytes) {
  const ParameterSet params;
  EXPECT_EQ(params.Prompt(param::gNa), "gNa (0-20 \xE6S)");
  EXPECT_EQ(params.Prompt(param::CaRemoval), "Ca removal (\xE1.F, 1/ms)");
  EXPECT_EQ(params.Prompt(param::Temperature), "temperature (\xF8" "C)");
  EXPECT_EQ(params.Prompt(param::Model).size(), 31u);
}

TEST(GateTable, GateNamesOnlyForTheFirstThirteenRows) {
  EXPECT_EQ(GateTable::GateName(1), "mNa");
  EXPECT_EQ(GateTable::GateName(8), "mC");
  EXPECT_EQ(GateTable::GateName(13), "mAHP");
  for (int number : {0, 14, 17, -1, 1000}) EXPECT_EQ(GateTable::GateName(number), "") << number;
  EXPECT_STREQ(GateTable::EditorLabel(10), "10 - mH");
  EXPECT_STREQ(GateTable::EditorLabel(16), "16-GABAa");
}

TEST(GateTable, ColumnsIndexTheNamedCoefficients) {
  GateTable table;
  EXPECT_FALSE(table.Loaded());
  for (int c = 0; c < kGateColumnCount; ++c) table.SetCoefficient(gate::mNap, c, 10.0f + c);
  const GateRow& row = table.Row(gate::mNap);
  EXPECT_EQ(row.A, 10.0f);
  EXPECT_EQ(row.D, 13.0f);
  EXPECT_EQ(row.H, 17.0f);
  EXPECT_EQ(table.Row(gate::mM).H, 0.0f);
  EXPECT_EQ(table.Row(gate::mAHP).A, 0.0f);
}

}  // namespace
}  // namespace vantor
