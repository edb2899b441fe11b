#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/gate_table.h"

namespace vantor {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

const std::string kShipped = VANTOR_SOURCE_DIR "/data/vmodels.val";

// A well-formed table: row r holds r.1 .. r.8 so every coefficient is told
// apart.
std::string Rows(int count, const std::string& name = "", const char* separator = "\n") {
  std::string text;
  for (int r = 1; r <= count; ++r) {
    text += name.empty() ? GateTable::GateName(r).empty() ? "row" + std::to_string(r)
                                                          : GateTable::GateName(r)
                         : name;
    for (int c = 1; c <= 8; ++c)
      text.append(" ").append(std::to_string(r)).append(".").append(std::to_string(c));
    text += separator;
  }
  return text;
}

struct Load {
  GateTable table;
  CollectedMessages messages;
  bool loaded = false;
  explicit Load(const std::string& path) { loaded = LoadGateTable(path, table, messages); }
};

void ExpectOnlyMessage(const Load& load, const std::string& text) {
  ASSERT_EQ(load.messages.entries.size(), 1u);
  EXPECT_EQ(load.messages.entries[0].caption, "Error!");
  EXPECT_EQ(load.messages.entries[0].text, text);
}

TEST(GateTableFile, ShippedTableLoads) {
  Load load(kShipped);
  EXPECT_TRUE(load.loaded);
  EXPECT_TRUE(load.table.Loaded());
  EXPECT_TRUE(load.messages.entries.empty());
  EXPECT_EQ(load.table.Coefficient(gate::mNa, 0), 0.091f);
  EXPECT_EQ(load.table.Coefficient(gate::NMDA, 4), 3.57e-3f);
  EXPECT_EQ(load.table.Coefficient(gate::mC, 0), 2.5e5f);
  EXPECT_EQ(load.table.Row(gate::GABAb).F, 0.443547f);
}

TEST(GateTableFile, LayoutAndRowNamesDoNotMatter) {
  ScratchDir dir;
  WriteAll(dir / "lines.val", Rows(17));
  WriteAll(dir / "one.val", Rows(17, "same", " ") + "\n\n   \n");
  Load lines(dir / "lines.val");
  Load one(dir / "one.val");
  ASSERT_TRUE(lines.loaded);
  ASSERT_TRUE(one.loaded);
  EXPECT_TRUE(one.messages.entries.empty());
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) {
      EXPECT_EQ(lines.table.Coefficient(r, c),
                std::stof(std::to_string(r) + "." + std::to_string(c + 1)));
      EXPECT_EQ(one.table.Coefficient(r, c), lines.table.Coefficient(r, c));
    }
}

TEST(GateTableFile, ExponentFormAndLongestNameAreAccepted) {
  ScratchDir dir;
  std::string text = Rows(17);
  text.replace(text.find("1.1"), 3, "1e-3");
  text.replace(0, 3, std::string(255, 'n'));  // "mNa" becomes a 255-character name
  WriteAll(dir / "t.val", text);
  Load load(dir / "t.val");
  EXPECT_TRUE(load.loaded);
  EXPECT_EQ(load.table.Coefficient(1, 0), 0.001f);
}

TEST(GateTableFile, MissingFileIsReportedAndLeavesZeros) {
  ScratchDir dir;
  Load load(dir / "vmodels.val");
  EXPECT_FALSE(load.loaded);
  EXPECT_FALSE(load.table.Loaded());
  ExpectOnlyMessage(load, "vmodels.val file not found.");
  for (int r = 1; r <= kGateRowCount; ++r)
    for (int c = 0; c < kGateColumnCount; ++c) EXPECT_EQ(load.table.Coefficient(r, c), 0.0f);

  Load directory(dir.Path().string());
  ExpectOnlyMessage(directory, "vmodels.val file not found.");
}

TEST(GateTableFile, ShortFileKeepsTheRowsItHad) {
  ScratchDir dir;
  WriteAll(dir / "t.val", Rows(16));
  Load load(dir / "t.val");
  EXPECT_FALSE(load.loaded);
  EXPECT_FALSE(load.table.Loaded());
  ExpectOnlyMessage(load, "Unreadable vmodels.val file!");
  EXPECT_EQ(load.table.Coefficient(16, 7), 16.8f);
  EXPECT_EQ(load.table.Coefficient(17, 0), 0.0f);
}

TEST(GateTableFile, AnythingAfterTheLastRowIsRefused) {
  ScratchDir dir;
  WriteAll(dir / "t.val", Rows(17) + "\n; end of table\n");
  Load load(dir / "t.val");
  EXPECT_FALSE(load.loaded);
  ExpectOnlyMessage(load, "Unreadable vmodels.val file!");
  EXPECT_EQ(load.table.Coefficient(17, 7), 17.8f);  // all 17 rows kept
}

TEST(GateTableFile, BadCoefficientsStopTheReadWhereTheyStand) {
  ScratchDir dir;
  for (const char* bad : {"x", "nan", "1e999", "-inf", "--1"}) {
    std::string text = Rows(17);
    text.replace(text.find("3.4"), 3, bad);
    WriteAll(dir / "t.val", text);
    Load load(dir / "t.val");
    EXPECT_FALSE(load.loaded) << bad;
    ExpectOnlyMessage(load, "Unreadable vmodels.val file!");
    EXPECT_EQ(load.table.Coefficient(3, 2), 3.3f) << bad;  // read before the failure
    EXPECT_EQ(load.table.Coefficient(3, 3), 0.0f) << bad;
  }
  // A row that ends inside its coefficients.
  WriteAll(dir / "t.val", Rows(2) + "mK 1 2 3\n");
  Load shortRow(dir / "t.val");
  EXPECT_FALSE(shortRow.loaded);
  EXPECT_EQ(shortRow.table.Coefficient(3, 2), 3.0f);
}

TEST(GateTableFile, OverlongRowNameIsRefused) {
  ScratchDir dir;
  std::string text = Rows(17);
  text.replace(text.find("hNa"), 3, std::string(256, 'h'));
  WriteAll(dir / "t.val", text);
  Load load(dir / "t.val");
  EXPECT_FALSE(load.loaded);
  ExpectOnlyMessage(load, "Unreadable vmodels.val file!");
  EXPECT_EQ(load.table.Coefficient(1, 7), 1.8f);
  EXPECT_EQ(load.table.Coefficient(2, 0), 0.0f);
}

TEST(GateTableFile, SavedTableReadsBackExactlyAndABadOneLeavesTheFile) {
  ScratchDir dir;
  Load shipped(kShipped);
  GateTable table = shipped.table;
  table.SetCoefficient(gate::mNa, 1, 1.0f / 3.0f);
  table.SetCoefficient(gate::GABAb, 7, -1.17549435e-38f);
  ASSERT_TRUE(SaveGateTable(dir / "saved.val", table));
  Load back(dir / "saved.val");
  EXPECT_TRUE(back.loaded);
  EXPECT_TRUE(back.table.SameCoefficients(table));
  const std::string before = ReadAll(dir / "saved.val");
  table.SetCoefficient(gate::mK, 2, std::numeric_limits<float>::infinity());
  EXPECT_FALSE(SaveGateTable(dir / "saved.val", table));
  EXPECT_EQ(ReadAll(dir / "saved.val"), before);
  EXPECT_FALSE(SaveGateTable(dir.Path().string(), shipped.table));  // a folder
}

}  // namespace
}  // namespace vantor
