#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/list_files.h"
#include "vantor/params/preferences.h"

namespace vantor {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

const std::string kBuiltInPreferenceLines =
    "255 \n65280 \n16711680 \n16711935 \n16776960 \n65535 \n32639 \n16777215 \n0 \n0 \n";

std::vector<std::string> Texts(const CollectedMessages& messages) {
  std::vector<std::string> texts;
  for (const auto& entry : messages.entries) {
    EXPECT_EQ(entry.caption, "Error!");
    texts.push_back(entry.text);
  }
  return texts;
}

TEST(CountList, WritesTheTitleAndOneNumberPerLine) {
  ScratchDir dir;
  const Preferences preferences;
  CollectedMessages messages;
  ASSERT_TRUE(WriteCountList(dir / "p.ini", preferences.values.data(), kPreferenceCount, messages));
  const std::string title = std::string(1, '"').append(dir / "p.ini").append("\"\n");
  EXPECT_EQ(ReadAll(dir / "p.ini"), title + kBuiltInPreferenceLines);
  EXPECT_EQ(ReadAll(VANTOR_SOURCE_DIR "/data/VANTORW.INI"),
            "\"VANTORW.INI\"\n" + kBuiltInPreferenceLines);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"p.ini"});

  EXPECT_FALSE(WriteCountList(dir / "missing/VANTORW.INI", preferences.values.data(),
                              kPreferenceCount, messages));
  EXPECT_EQ(Texts(messages),
            std::vector<std::string>{(dir / "missing/VANTORW.INI") + " file not found."});
}

TEST(CountList, ReadsBackWhatWasWrittenWhateverThePathLength) {
  ScratchDir dir;
  const std::string path = dir / (std::string(200, 'n') + ".INI");
  std::array<int32_t, 10> written = {1, -2, 3, 2147483647, -2147483647 - 1, 0, 7, 8, 9, 10};
  CollectedMessages messages;
  ASSERT_TRUE(WriteCountList(path, written.data(), 10, messages));
  std::array<int32_t, 10> read{};
  ReadCountList(path, read.data(), 10, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(read, written);
}

TEST(CountList, ALineEndInThePathStaysInTheTitleLine) {
  ScratchDir dir;
  const std::string path = dir / "pre\nferences.INI";
  const std::array<int32_t, 3> written = {4, 5, 6};
  CollectedMessages messages;
  ASSERT_TRUE(WriteCountList(path, written.data(), 3, messages));
  std::string expected(1, '"');
  expected.append(dir / "pre ferences.INI").append("\"\n4 \n5 \n6 \n");
  EXPECT_EQ(ReadAll(path), expected);
  std::array<int32_t, 3> read{};
  ReadCountList(path, read.data(), 3, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(read, written);
}

TEST(CountList, ExtraNumbersAreIgnoredAndMissingOnesReported) {
  ScratchDir dir;
  const std::string path = dir / "VANTORW.INI";
  Preferences preferences;
  CollectedMessages messages;
  WriteAll(path, "\"title\"\n1 2 3 4 5 6 7 8 9 10 11 12\n");
  ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(preferences.values[9], 10);

  preferences = Preferences();
  WriteAll(path, "\"VANTORW.INI\"\n");
  ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
  EXPECT_EQ(Texts(messages),
            std::vector<std::string>{path + " file has wrong number of parameters."});
  EXPECT_EQ(preferences.values, Preferences().values);
}

TEST(CountList, NonNumbersStopTheRead) {
  ScratchDir dir;
  const std::string path = dir / "VANTORW.INI";
  for (const char* bad : {"x", "1.5", "99999999999", "nan"}) {
    Preferences preferences;
    CollectedMessages messages;
    WriteAll(path, std::string("t\n11 22 ") + bad + " 44\n");
    ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
    EXPECT_EQ(Texts(messages),
              (std::vector<std::string>{path + " file could not be read.",
                                        path + " file has wrong number of parameters."}))
        << bad;
    EXPECT_EQ(preferences.values[1], 22);
    // "1.5" is read as 1 before the "." stops the read.
    EXPECT_EQ(preferences.values[2], std::string(bad) == "1.5" ? 1 : 0xFF0000) << bad;
    EXPECT_EQ(preferences.values[3], 0xFF00FF) << bad;
  }
  // A non-number after all ten is reported alone.
  Preferences preferences;
  CollectedMessages messages;
  WriteAll(path, "t\n" + kBuiltInPreferenceLines + "end\n");
  ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
  EXPECT_EQ(Texts(messages), std::vector<std::string>{path + " file could not be read."});
}

TEST(CountList, TheWholeTitleLineIsSkipped) {
  ScratchDir dir;
  const std::string path = dir / "VANTORW.INI";
  Preferences preferences;
  CollectedMessages messages;
  WriteAll(path, "\"" + std::string(500, 'x') + " 5 6\"\n" + kBuiltInPreferenceLines);
  ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(preferences.values, Preferences().values);

  ReadCountList(dir / "none.ini", preferences.values.data(), kPreferenceCount, messages);
  EXPECT_EQ(Texts(messages), std::vector<std::string>{(dir / "none.ini") + " file not found."});
}

TEST(ValueFile, TrueOnlyForExactlyTheCount) {
  ScratchDir dir;
  const std::string path = dir / "a.cin";
  float values[3] = {-1, -1, -1};
  CollectedMessages messages;
  WriteAll(path, "\"a.vts\"\n0.5\n1e-3\n-7\n");
  EXPECT_TRUE(ReadValueFile(path, values, 3, messages));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(values[1], 0.001f);
  EXPECT_EQ(values[2], -7.0f);

  float few[3] = {-1, -1, -1};
  WriteAll(path, "t\n4 5\n");
  EXPECT_FALSE(ReadValueFile(path, few, 3, messages));
  EXPECT_EQ(few[1], 5.0f);
  EXPECT_EQ(few[2], -1.0f);
  float many[3] = {-1, -1, -1};
  WriteAll(path, "t\n4 5 6 7\n");
  EXPECT_FALSE(ReadValueFile(path, many, 3, messages));
  EXPECT_EQ(many[2], 6.0f);
  EXPECT_EQ(Texts(messages),
            std::vector<std::string>(2, path + " file has wrong number of parameters."));
}

TEST(ValueFile, BadEntriesAndMissingFilesAreReported) {
  ScratchDir dir;
  const std::string path = dir / "a.cin";
  for (const char* bad : {"x", "nan", "1e999", "-"}) {
    float values[3] = {-1, -1, -1};
    CollectedMessages messages;
    WriteAll(path, std::string("t\n4 ") + bad + " 6\n");
    EXPECT_FALSE(ReadValueFile(path, values, 3, messages)) << bad;
    EXPECT_EQ(Texts(messages), std::vector<std::string>{path + " file in bad format."});
    EXPECT_EQ(values[0], 4.0f);
    EXPECT_EQ(values[1], -1.0f);
  }
  float values[1] = {-1};
  CollectedMessages messages;
  EXPECT_FALSE(ReadValueFile(dir / "none.cin", values, 1, messages));
  EXPECT_EQ(Texts(messages), std::vector<std::string>{(dir / "none.cin") + " file not found."});
}

TEST(InitFile, ShippedLimitsKeepTheBuiltInRangesAndOpenTheRest) {
  ParameterSet params;
  CollectedMessages messages;
  ReadInitFile(VANTOR_SOURCE_DIR "/data/VANTOR.cin", params, messages);
  EXPECT_TRUE(messages.entries.empty());
  const ParameterSet builtIn;
  for (int k = 0; k < kVersion3Count; ++k) {
    EXPECT_EQ(params.Minimum(k), builtIn.Minimum(k)) << k;
    EXPECT_EQ(params.Maximum(k), builtIn.Maximum(k)) << k;
  }
  // Every built-in value now lies in its range.
  for (int k = 0; k < kParameterCount; ++k) {
    EXPECT_LT(params.Minimum(k), params.Maximum(k)) << k;
    EXPECT_TRUE(params.InRange(k, builtIn.Value(k))) << k;
  }
  EXPECT_GT(params.Minimum(param::MembraneArea), 0.0f);
  EXPECT_GT(params.Minimum(param::Depth), 0.0f);
  EXPECT_EQ(params.Maximum(param::Model), 4.0f);
  EXPECT_EQ(params.Minimum(param::HShift), -50.0f);
  EXPECT_EQ(params.Maximum(param::MembraneArea), 1e9f);
}

std::string Pairs(int count) {
  std::string text;
  for (int k = 0; k < count; ++k) text += std::to_string(k + 100) + " " + std::to_string(-k) + "\n";
  return text;
}

TEST(InitFile, ShortFilesKeepThePairsRead) {
  ScratchDir dir;
  WriteAll(dir / "VANTOR.mnx", Pairs(53));
  ParameterSet params;
  CollectedMessages messages;
  ReadInitFile(dir / "VANTOR.cin", params, messages);
  EXPECT_EQ(Texts(messages), std::vector<std::string>{"Could not find initialization file: " +
                                                      (dir / "VANTOR.mnx")});
  EXPECT_EQ(params.Maximum(52), 152.0f);
  EXPECT_EQ(params.Minimum(52), -52.0f);
  EXPECT_EQ(params.Maximum(53), 0.0f);

  // Only the maximum of the 3rd pair: that maximum stays.
  WriteAll(dir / "VANTOR.mnx", Pairs(2) + "7");
  ParameterSet partial;
  ReadInitFile(dir / "VANTOR.cin", partial, messages);
  EXPECT_EQ(partial.Maximum(1), 101.0f);
  EXPECT_EQ(partial.Maximum(2), 7.0f);
  EXPECT_EQ(partial.Minimum(2), 0.0f);
  EXPECT_EQ(partial.Maximum(3), 1000000.0f);
  EXPECT_EQ(messages.entries.size(), 2u);

  WriteAll(dir / "VANTOR.mnx", Pairs(5) + "1e999 0\n" + Pairs(54));
  ParameterSet overflow;
  ReadInitFile(dir / "VANTOR.cin", overflow, messages);
  EXPECT_EQ(overflow.Maximum(4), 104.0f);
  EXPECT_EQ(overflow.Maximum(5), 200.0f);
  EXPECT_EQ(messages.entries.size(), 3u);
}

TEST(InitFile, OnlyTheMnxFileIsOpened) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "pro.gram");
  const std::string directory = dir / "pro.gram";
  WriteAll(directory + "/VANTOR.cin", Pairs(54));
  ParameterSet params;
  CollectedMessages messages;
  ReadInitFile(directory + "/VANTOR.cin", params, messages);
  EXPECT_EQ(
      Texts(messages),
      std::vector<std::string>{"Could not find initialization file: " + directory + "/VANTOR.mnx"});
  EXPECT_TRUE(params == ParameterSet());

  WriteAll(directory + "/VANTOR.mnx", Pairs(54) + "extra words are ignored\n");
  messages.entries.clear();
  ReadInitFile(directory + "/VANTOR.cin", params, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(params.Maximum(53), 153.0f);
}

TEST(ReplaceExtension, LooksOnlyAtTheFileName) {
  EXPECT_EQ(ReplaceExtension("a.vts", ".cin"), "a.cin");
  EXPECT_EQ(ReplaceExtension("/x/y.z/VANTOR.cin", ".mnx"), "/x/y.z/VANTOR.mnx");
  EXPECT_EQ(ReplaceExtension("/x/y.z/VANTOR", ".mnx"), "/x/y.z/VANTOR.mnx");
  EXPECT_EQ(ReplaceExtension("a.b.c", ".d"), "a.b.d");
  EXPECT_EQ(ReplaceExtension("dir/.hidden", ".cin"), "dir/.cin");
  EXPECT_EQ(ReplaceExtension("", ".cin"), ".cin");
}

}  // namespace
}  // namespace vantor
