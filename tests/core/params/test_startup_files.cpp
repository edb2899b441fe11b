#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/startup_files.h"

namespace vantor {
namespace {

using testing::ScratchDir;
using testing::WriteAll;

const std::string kData = VANTOR_SOURCE_DIR "/data";

std::vector<std::string> Texts(const CollectedMessages& messages) {
  std::vector<std::string> texts;
  for (const auto& entry : messages.entries) texts.push_back(entry.text);
  return texts;
}

void CopyShipped(const ScratchDir& dir, const std::string& name) {
  std::filesystem::copy_file(kData + "/" + name, dir / name);
}

TEST(StartupFiles, ShippedFilesLoadWithoutAWord) {
  ParameterSet params;
  GateTable gates;
  CollectedMessages messages;
  const StartupFiles loaded = StartupFiles::Load(kData, params, gates, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_TRUE(loaded.gateTableLoaded);
  EXPECT_TRUE(gates.Loaded());
  EXPECT_TRUE(loaded.extendedMode);
  EXPECT_EQ(loaded.preferences.values, Preferences().values);
  EXPECT_EQ(params.Maximum(param::Temperature), 45.0f);
}

TEST(StartupFiles, AnEmptyDirectoryReportsEachFileInOrder) {
  ScratchDir dir;
  ParameterSet params;
  GateTable gates;
  CollectedMessages messages;
  const StartupFiles loaded = StartupFiles::Load(dir.Path().string(), params, gates, messages);
  EXPECT_EQ(Texts(messages),
            (std::vector<std::string>{(dir / "VANTORW.INI") + " file not found.",
                                      "Could not find initialization file: " + (dir / "VANTOR.mnx"),
                                      "vmodels.val file not found."}));
  for (const auto& entry : messages.entries) EXPECT_EQ(entry.caption, "Error!");
  EXPECT_FALSE(loaded.gateTableLoaded);
  EXPECT_FALSE(loaded.extendedMode);  // nothing to edit without a gate table
  EXPECT_EQ(loaded.preferences.values, Preferences().values);
  EXPECT_TRUE(params == ParameterSet());
}

TEST(StartupFiles, ExtendedModeFollowsTheBackgroundAndTheGateTable) {
  ScratchDir dir;
  CopyShipped(dir, "VANTOR.mnx");
  CopyShipped(dir, "vmodels.val");
  WriteAll(dir / "VANTORW.INI", "\"VANTORW.INI\"\n1 2 3 4 5 6 7 4235456 0 1\n");
  ParameterSet params;
  GateTable gates;
  CollectedMessages messages;
  StartupFiles loaded = StartupFiles::Load(dir / "", params, gates, messages, false);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_TRUE(loaded.extendedMode);
  EXPECT_EQ(loaded.preferences.Colour(Preferences::BackgroundColour), 0x40A0C0u);
  EXPECT_TRUE(loaded.preferences.CgmOn());

  std::filesystem::remove(dir / "vmodels.val");
  GateTable none;
  loaded = StartupFiles::Load(dir / "", params, none, messages, true);
  EXPECT_FALSE(loaded.extendedMode);
  EXPECT_FALSE(loaded.gateTableLoaded);

  // Another background leaves the flag as the caller had it.
  CopyShipped(dir, "vmodels.val");
  WriteAll(dir / "VANTORW.INI", "t\n1 2 3 4 5 6 7 8 0 0\n");
  GateTable again;
  EXPECT_FALSE(StartupFiles::Load(dir / "", params, again, messages, false).extendedMode);
  EXPECT_TRUE(StartupFiles::Load(dir / "", params, again, messages, true).extendedMode);
}

TEST(StartupFiles, LongDirectoryNamesStayWholeInMessages) {
  ScratchDir dir;
  const std::string directory = dir / (std::string(150, 'd') + ".dir");
  std::filesystem::create_directory(directory);
  ParameterSet params;
  GateTable gates;
  CollectedMessages messages;
  StartupFiles::Load(directory, params, gates, messages);
  ASSERT_EQ(messages.entries.size(), 3u);
  EXPECT_EQ(messages.entries[0].text, directory + "/VANTORW.INI file not found.");
  EXPECT_EQ(messages.entries[1].text,
            "Could not find initialization file: " + directory + "/VANTOR.mnx");
}

}  // namespace
}  // namespace vantor
