// vantor-cli defaults and convert, run as the user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "params/file_fixture.h"

namespace {

using vantor::testing::Lines;
using vantor::testing::ReadAll;
using vantor::testing::ScratchDir;
using vantor::testing::WriteAll;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

struct CliResult {
  int status = -1;
  std::string err;
};

// Runs vantor-cli with the arguments in `dir`, standard error kept.
CliResult Cli(const ScratchDir& dir, const std::string& arguments) {
  const std::string errPath = dir.Path().parent_path() / (dir.Path().filename().string() + ".err");
  const std::string command = "cd " + Quoted(dir.Path().string()) + " && " +
                              Quoted(VANTOR_BIN_DIR "/vantor-cli") + " " + arguments + " 2>" +
                              Quoted(errPath) + " >/dev/null";
  const int raw = std::system(command.c_str());
  CliResult run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadAll(errPath);
  std::filesystem::remove(errPath);
  return run;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CliFiles, DefaultsWritesTheShippedExample) {
  ScratchDir dir;
  EXPECT_EQ(Cli(dir, "defaults out.vt4").status, 0);
  EXPECT_EQ(ReadAll(dir / "out.vt4"), ReadAll(VANTOR_SOURCE_DIR "/data/examples/default.vt4"));

  EXPECT_EQ(Cli(dir, "defaults old.vts").status, 0);
  EXPECT_EQ(Lines(ReadAll(dir / "old.vts")).size(), 52u);
  const auto companion = Lines(ReadAll(dir / "old.cin"));
  ASSERT_EQ(companion.size(), 26u);
  EXPECT_EQ(companion[0], "\"old.vts\"");
  EXPECT_EQ(companion[22], "29000");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"old.cin", "old.vts", "out.vt4"}));
}

TEST(CliFiles, ConvertBetweenVersions) {
  ScratchDir dir;
  ASSERT_EQ(Cli(dir, "defaults a.vt4").status, 0);
  ASSERT_EQ(Cli(dir, "convert a.vt4 b.vts").status, 0);
  ASSERT_EQ(Cli(dir, "defaults c.vts").status, 0);
  EXPECT_EQ(ReadAll(dir / "b.vts"), ReadAll(dir / "c.vts"));
  EXPECT_EQ(Lines(ReadAll(dir / "b.cin")).size(), 26u);
  const CliResult back = Cli(dir, "convert b.vts d.vt4");
  EXPECT_EQ(back.status, 0);
  EXPECT_FALSE(Contains(back.err, "Error!")) << back.err;
  // Prompts 29 .. 53 are not in a version 3 file; the built-in ones fill in.
  EXPECT_EQ(ReadAll(dir / "d.vt4"), ReadAll(dir / "a.vt4"));

  // Prompts read from a file keep 30 characters: only the 31-character
  // prompt of the integration method changes.
  ASSERT_EQ(Cli(dir, "convert a.vt4 e.vt4").status, 0);
  const auto original = Lines(ReadAll(dir / "a.vt4"));
  const auto converted = Lines(ReadAll(dir / "e.vt4"));
  ASSERT_EQ(converted.size(), original.size());
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (i != 50) {
      EXPECT_EQ(converted[i], original[i]) << i;
    }
  }
  EXPECT_EQ(converted[50], original[50].substr(0, 35));
}

TEST(CliFiles, BrokenInputIsRefusedAndTheOutputLeftAlone) {
  ScratchDir dir;
  WriteAll(dir / "broken.vt4", "comment\n  80 Trial duration (ms)\n  zero Base current\n");
  WriteAll(dir / "out.vt4", "my own file\n");
  const CliResult run = Cli(dir, "convert broken.vt4 out.vt4");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantor-cli: error: The file broken.vt4 is invalid.\n");
  EXPECT_EQ(ReadAll(dir / "out.vt4"), "my own file\n");

  const CliResult missing = Cli(dir, "convert none.vt4 out.vt4");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "vantor-cli: error: Parameter file not found! (none.vt4: No such file or directory)\n");
  EXPECT_EQ(ReadAll(dir / "out.vt4"), "my own file\n");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"broken.vt4", "out.vt4"}));
}

TEST(CliFiles, MissingCompanionIsToldButNotARefusal) {
  ScratchDir dir;
  ASSERT_EQ(Cli(dir, "defaults a.vts").status, 0);
  std::filesystem::remove(dir / "a.cin");
  const CliResult run = Cli(dir, "convert a.vts b.vt4");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "vantor-cli: warning: a.cin file not found. (No such file or directory)\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "b.vt4"));
}

TEST(CliFiles, UnwritableOutputAndUsageErrors) {
  ScratchDir dir;
  const CliResult run = Cli(dir, "defaults no/such/dir.vt4");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "Could not write file no/such/dir.vt4")) << run.err;
  EXPECT_EQ(Cli(dir, "defaults").status, 2);
  EXPECT_EQ(Cli(dir, "defaults a.vt4 b.vt4").status, 2);
  EXPECT_EQ(Cli(dir, "convert a.vt4").status, 2);
  EXPECT_EQ(Cli(dir, "convert a b c").status, 2);
  EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
