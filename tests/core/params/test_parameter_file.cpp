#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/parameter_file.h"

namespace vantor {
namespace {

using testing::Lines;
using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

// The built-in set as a file gives it back, except that the one prompt of
// 31 characters keeps only 30: prompts read from files hold at most 30.
ParameterSet BuiltInAfterFile() {
  ParameterSet params;
  params.SetPrompt(param::Model, params.Prompt(param::Model).substr(0, 30));
  return params;
}

// A set in which every value, prompt, the comment and every trace row
// differ from the built-in ones.
ParameterSet Scrambled() {
  ParameterSet params;
  for (int k = 0; k < kParameterCount; ++k) {
    params.SetValue(k, -1000.0f - k);
    params.SetPrompt(k, "old " + std::to_string(k));
  }
  params.SetComment("old comment");
  for (int i = 0; i < kTraceCount; ++i) params.SetTrace(i, {-1, -2, -3, 9, "u", "p", "s"});
  return params;
}

// A version 3 file carries no prompts for 29 .. 53: those keep what the set
// held before the read.
void KeepCompanionPrompts(ParameterSet& expected, const ParameterSet& before) {
  for (int k = kVersion3Count; k < kParameterCount; ++k) expected.SetPrompt(k, before.Prompt(k));
}

bool Write(const std::string& path, const ParameterSet& params) {
  CollectedMessages messages;
  const bool ok = static_cast<bool>(WriteParameterFile(path, params, messages));
  EXPECT_TRUE(messages.entries.empty());
  return ok;
}

std::string Invalid(const std::string& path) { return " The file " + path + " is invalid."; }

TEST(ParameterFile, BuiltInVersion4LinesAreByteExact) {
  ScratchDir dir;
  ASSERT_TRUE(Write(dir / "a.vt4", ParameterSet()));
  const auto lines = Lines(ReadAll(dir / "a.vt4"));
  ASSERT_EQ(lines.size(), 1u + 54u + 1u + 21u);
  EXPECT_EQ(lines[0], "Train of action potentials");
  EXPECT_EQ(lines[1], "  80 Trial duration (ms)");
  EXPECT_EQ(lines[2], "   0 Base current (nA)");
  EXPECT_EQ(lines[16], " -65 Starting Vm (mV)");
  EXPECT_EQ(lines[51], "29000 Membrane area (sq \xE6)");
  EXPECT_EQ(lines[55], "scaling");
  EXPECT_EQ(lines[56], "   20  -100    75 0 mV V m");
  EXPECT_EQ(lines[15], "0.06 pNaleak (0-0.1)");
  EXPECT_EQ(lines[50], "   1 Model (1=Step.F,2=Euler.F,3=RK)");
  EXPECT_EQ(lines[59], "    3     0     0 0 \xE6M [Ca++] i");
  EXPECT_EQ(lines[76], "    1     0     0 0 O g 3");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.vt4"});  // no companion, no leftovers
}

TEST(ParameterFile, BuiltInVersion3WritesTheCompanion) {
  ScratchDir dir;
  const std::string path = dir / "a.vts";
  ASSERT_TRUE(Write(path, ParameterSet()));
  const auto lines = Lines(ReadAll(path));
  ASSERT_EQ(lines.size(), 1u + 29u + 1u + 21u);
  EXPECT_EQ(lines[29], "   7 mM [Cl]i (7)");
  EXPECT_EQ(lines[30], "scaling");
  const std::vector<std::string> expected = {"\"" + path + "\"",
                                             "2.5",
                                             "0",
                                             "0.5",
                                             "1",
                                             "0.1",
                                             "0",
                                             "0",
                                             "1",
                                             "1",
                                             "1",
                                             "0",
                                             "0",
                                             "0",
                                             "1",
                                             "2",
                                             "3",
                                             "1",
                                             "1",
                                             "0",
                                             "50",
                                             "1",
                                             "29000",
                                             "0.1",
                                             "1",
                                             "35"};
  EXPECT_EQ(Lines(ReadAll(dir / "a.cin")), expected);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.cin", "a.vts"}));
}

TEST(ParameterFile, BothVersionsReadBackEverything) {
  ScratchDir dir;
  for (const char* name : {"a.vt4", "a.vts", "a.VT4", "noextension"}) {
    ASSERT_TRUE(Write(dir / name, ParameterSet()));
    ParameterSet params = Scrambled();
    CollectedMessages messages;
    ASSERT_TRUE(ReadParameterFile(dir / name, params, messages)) << name;
    EXPECT_TRUE(messages.entries.empty()) << name;
    ParameterSet expected = BuiltInAfterFile();
    if (!IsVersion4Path(name)) KeepCompanionPrompts(expected, Scrambled());
    EXPECT_TRUE(params == expected) << name;
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "noextension.cin"));
}

TEST(ParameterFile, ConvertingBetweenVersionsKeepsEveryField) {
  ScratchDir dir;
  ParameterSet original;
  for (int k = 0; k < kParameterCount; ++k) original.SetValue(k, 0.25f * static_cast<float>(k) - 3);
  original.SetValue(param::MembraneArea, 1.5e-7f);
  original.SetValue(param::CaIn, 1e10f);
  original.SetComment(std::string(79, 'c'));  // all the Comment dialog allows
  original.SetPrompt(3, "\xE6 \xF8 \xE1 bytes");
  original.SetPrompt(7, "");
  original.SetTrace(5, {0.4f, -0.5f, 2, -7, "\xE6S", "abcdefg", "hijkl"});
  original.SetPrompt(param::Model, original.Prompt(param::Model).substr(0, 30));
  ASSERT_TRUE(Write(dir / "a.vt4", original));
  ParameterSet v3;
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(dir / "a.vt4", v3, messages));
  ASSERT_TRUE(Write(dir / "b.vts", v3));
  ParameterSet back = Scrambled();
  KeepCompanionPrompts(back, original);
  ASSERT_TRUE(ReadParameterFile(dir / "b.vts", back, messages));
  ASSERT_TRUE(Write(dir / "c.vt4", back));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(ReadAll(dir / "a.vt4"), ReadAll(dir / "c.vt4"));
  EXPECT_TRUE(back == original);
}

TEST(ParameterFile, VersionFollowsTheFileNameOnly) {
  EXPECT_TRUE(IsVersion4Path("a.vt4"));
  EXPECT_TRUE(IsVersion4Path("/x/A.Vt4"));
  EXPECT_TRUE(IsVersion4Path("/x/.vt4"));
  EXPECT_FALSE(IsVersion4Path("a.txt"));
  EXPECT_FALSE(IsVersion4Path("a.vt4.bak"));
  EXPECT_FALSE(IsVersion4Path("/dir.vt4/file"));
  EXPECT_FALSE(IsVersion4Path("a.vt45"));
  EXPECT_EQ(CompanionPath("/d/a.vts"), "/d/a.cin");
  EXPECT_EQ(CompanionPath("/d/a.txt"), "/d/a.cin");
  EXPECT_EQ(CompanionPath("/d/noext"), "/d/noext.cin");
  EXPECT_EQ(CompanionPath("/d.x/a"), "/d.x/a.cin");
}

TEST(ParameterFile, MissingFileChangesNothing) {
  ScratchDir dir;
  ParameterSet params = Scrambled();
  CollectedMessages messages;
  EXPECT_FALSE(ReadParameterFile(dir / "none.vt4", params, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].caption, "Error!");
  EXPECT_EQ(messages.entries[0].text, "Parameter file not found!");
  EXPECT_TRUE(params == Scrambled());
}

TEST(ParameterFile, MissingCompanionIsReportedButTheReadSucceeds) {
  ScratchDir dir;
  ASSERT_TRUE(Write(dir / "a.vts", ParameterSet()));
  std::filesystem::remove(dir / "a.cin");
  ParameterSet params = Scrambled();
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(dir / "a.vts", params, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, (dir / "a.cin") + " file not found.");
  EXPECT_EQ(params.Value(28), 7.0f);
  for (int k = kVersion3Count; k < kParameterCount; ++k) EXPECT_EQ(params.Value(k), -1000.0f - k);
}

// "1\n2\n..." up to count.
std::string Numbers(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += std::to_string(i) + "\n";
  return text;
}

TEST(ParameterFile, BadCompanionKeepsTheValuesReadBeforeIt) {
  ScratchDir dir;
  const std::string title = "\"" + std::string(300, 'p') + "\"\n";  // a long path line
  struct Case {
    std::string body;
    const char* message;
    int taken;  // companion values that reach the set
  } cases[] = {
      {"1 2 3 x 5", " file in bad format.", 3},
      {"1 2 3 1e999", " file in bad format.", 3},
      {Numbers(24), " file has wrong number of parameters.", 24},
  };
  const std::string many = Numbers(26);
  ASSERT_TRUE(Write(dir / "a.vts", ParameterSet()));
  for (const Case& c : cases) {
    WriteAll(dir / "a.cin", title + c.body);
    ParameterSet params = Scrambled();
    CollectedMessages messages;
    ASSERT_TRUE(ReadParameterFile(dir / "a.vts", params, messages));
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_EQ(messages.entries[0].text, (dir / "a.cin") + c.message);
    for (int i = 0; i < kCompanionCount; ++i)
      EXPECT_EQ(params.Value(29 + i), i < c.taken ? static_cast<float>(i + 1) : -1029.0f - i);
  }
  WriteAll(dir / "a.cin", title + many);
  ParameterSet params = Scrambled();
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(dir / "a.vts", params, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, (dir / "a.cin") + " file has wrong number of parameters.");
  EXPECT_EQ(params.Value(53), 25.0f);
}

// A version 4 file of the built-in set with its lines, for editing.
std::vector<std::string> BuiltInLines(const ScratchDir& dir) {
  Write(dir / "good.vt4", ParameterSet());
  return Lines(ReadAll(dir / "good.vt4"));
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

TEST(ParameterFile, LongPromptsAreCutToThirtyAndTheFileStillReads) {
  ScratchDir dir;
  auto lines = BuiltInLines(dir);
  lines[1] = "  80 " + std::string(31, 'a');
  lines[2] = "   0 " + std::string(5000, 'b');
  WriteAll(dir / "p.vt4", Join(lines));
  ParameterSet params;
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(dir / "p.vt4", params, messages));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(params.Prompt(0), std::string(30, 'a'));
  EXPECT_EQ(params.Prompt(1), std::string(30, 'b'));
  EXPECT_EQ(params.Value(2), 10.0f);
  ASSERT_TRUE(Write(dir / "q.vt4", params));
  EXPECT_EQ(Lines(ReadAll(dir / "q.vt4"))[1], "  80 " + std::string(30, 'a'));
}

TEST(ParameterFile, LineDetailsThatStillRead) {
  ScratchDir dir;
  auto lines = BuiltInLines(dir);
  lines[0] = std::string(79, 'c') + "tail that does not fit";
  lines[3] = "10";                                    // a value without a prompt
  lines[4] = "60\tOffset";                            // any single character after the number
  lines[56] = "5 -5 1 1 nAmpere Iinjected Injected";  // over-long tokens
  std::string text = Join(lines);
  WriteAll(dir / "d.vt4", text);
  ParameterSet params;
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(dir / "d.vt4", params, messages));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(params.Comment(), std::string(79, 'c'));
  EXPECT_EQ(params.Prompt(2), "");
  EXPECT_EQ(params.Value(3), 60.0f);
  EXPECT_EQ(params.Prompt(3), "Offset");
  EXPECT_EQ(params.Trace(0), (TraceRow{5, -5, 1, 1, "nAmpe", "Iinject", "Injec"}));

  // The same file with Windows line ends reads the same.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteAll(dir / "w.vt4", crlf);
  ParameterSet windows;
  ASSERT_TRUE(ReadParameterFile(dir / "w.vt4", windows, messages));
  EXPECT_TRUE(windows == params);
}

TEST(ParameterFile, ValuesTheShortFormWouldRoundAreWrittenWhole) {
  ScratchDir dir;
  ParameterSet params;
  params.SetValue(param::TrialDuration, 123456.789f);
  params.SetValue(param::BaseCurrent, 0.123456789f);
  params.SetValue(param::Temperature, 36.123456f);  // in the companion of a version 3 file
  TraceRow row = params.Trace(0);
  row.maximum = 0.123456789f;
  params.SetTrace(0, row);
  for (const char* name : {"a.vt4", "a.vts"}) {
    ASSERT_TRUE(Write(dir / name, params));
    ParameterSet back;
    CollectedMessages messages;
    ASSERT_TRUE(ReadParameterFile(dir / name, back, messages));
    EXPECT_EQ(back.Values(), params.Values()) << name;
    EXPECT_EQ(back.Trace(0), params.Trace(0)) << name;
  }
  const auto lines = Lines(ReadAll(dir / "a.vt4"));
  EXPECT_EQ(lines[1], "123456.79 Trial duration (ms)");
  EXPECT_EQ(lines[2], "0.12345679 Base current (nA)");
  EXPECT_EQ(lines[3], "  10 Onset of step (ms)");  // a value that fits keeps its short form
  EXPECT_EQ(lines[56], "0.12345679  -100    75 0 mV V m");
}

// Byte for byte but for the one prompt of 31 characters, which a read keeps
// to 30.
TEST(ParameterFile, ShippedExamplesSavedUnchangedStayByteIdentical) {
  ScratchDir dir;
  const auto cut = [](std::string text) {
    const std::string model = "(1=Step.F,2=Euler.F,3=RK)\n";
    if (const std::size_t at = text.find(model); at != std::string::npos)
      text.erase(at + model.size() - 2, 1);
    return text;
  };
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VANTOR_SOURCE_DIR "/data/examples")) {
    if (entry.path().extension() != ".vt4") continue;
    ParameterSet params;
    CollectedMessages messages;
    ASSERT_TRUE(ReadParameterFile(entry.path().string(), params, messages));
    ASSERT_TRUE(Write(dir / "again.vt4", params));
    EXPECT_EQ(ReadAll(dir / "again.vt4"), cut(ReadAll(entry.path().string()))) << entry.path();
    ++count;
  }
  EXPECT_GE(count, 10);
}

TEST(ParameterFile, AValueWithMoreGluedToItIsReadWithAWarningNamingTheLine) {
  ScratchDir dir;
  auto lines = BuiltInLines(dir);
  lines[1] = "80,5 Trial duration (ms)";
  lines[4] = "60ms Step offset (ms)";
  WriteAll(dir / "c.vt4", Join(lines));
  ParameterSet params;
  CollectedMessages messages;
  const std::string path = dir / "c.vt4";
  ASSERT_TRUE(ReadParameterFile(path, params, messages));
  EXPECT_EQ(params.Value(param::TrialDuration), 80.0f);
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[0].caption, kReadWarningCaption);
  EXPECT_EQ(messages.entries[0].text,
            path + ", line 2: \"80,5\" is read as 80 (a decimal point is written \".\")");
  EXPECT_EQ(messages.entries[1].text, path + ", line 5: \"60ms\" is read as 60");
}

TEST(ParameterFile, FailuresKeepWhatWasReadBeforeThem) {
  ScratchDir dir;
  const auto lines = BuiltInLines(dir);
  const std::string path = dir / "f.vt4";
  auto read = [&](const std::vector<std::string>& edited, ParameterSet& params) {
    WriteAll(path, Join(edited));
    CollectedMessages messages;
    EXPECT_FALSE(ReadParameterFile(path, params, messages));
    EXPECT_EQ(messages.entries.size(), 1u);
    return messages.entries.empty() ? std::string() : messages.entries[0].text;
  };

  auto badValue = lines;
  badValue[5] = "abc gNa (0-20 \xE6S)";
  ParameterSet params = Scrambled();
  EXPECT_EQ(read(badValue, params), Invalid(path));
  EXPECT_EQ(params.Comment(), "Train of action potentials");
  EXPECT_EQ(params.Value(3), 60.0f);
  EXPECT_EQ(params.Prompt(3), "Offset of step");
  EXPECT_EQ(params.Value(4), -1004.0f);
  EXPECT_EQ(params.Trace(0).unit, "u");

  auto sixItems = lines;
  sixItems[76] = "    1     0     0 0 O g";  // the row of g-3 lacks its suffix
  params = Scrambled();
  EXPECT_EQ(read(sixItems, params), Invalid(path));
  EXPECT_EQ(params.Value(53), 35.0f);
  EXPECT_EQ(params.Trace(19).suffix, "2");
  EXPECT_EQ(params.Trace(20).unit, "u");

  auto noKeyword = std::vector<std::string>(lines.begin(), lines.begin() + 55);
  params = Scrambled();
  EXPECT_EQ(read(noKeyword, params), Invalid(path));
  EXPECT_EQ(params.Value(53), 35.0f);

  auto fewRows = std::vector<std::string>(lines.begin(), lines.begin() + 76);
  params = Scrambled();
  EXPECT_EQ(read(fewRows, params), Invalid(path));
  EXPECT_EQ(params.Trace(19).suffix, "2");
  EXPECT_EQ(params.Trace(20).suffix, "s");

  auto nulToken = lines;
  nulToken[57] = std::string("    5    -5     1 0 nA \0I Inj", 29);
  params = Scrambled();
  EXPECT_EQ(read(nulToken, params), Invalid(path));
  EXPECT_EQ(params.Trace(0).unit, "mV");
  EXPECT_EQ(params.Trace(1).unit, "u");

  auto hugeValue = lines;
  hugeValue[10] = "1e999 gC (0-2)";
  params = Scrambled();
  EXPECT_EQ(read(hugeValue, params), Invalid(path));
  EXPECT_EQ(params.Value(9), -1009.0f);

  WriteAll(path, lines[0] + "\n" + lines[1] + "\n  0");  // ends right after a number
  params = Scrambled();
  CollectedMessages messages;
  EXPECT_FALSE(ReadParameterFile(path, params, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "prompts");
  EXPECT_EQ(params.Value(1), 0.0f);
}

TEST(ParameterFile, VersionsStoredUnderTheOtherExtensionAreRejected) {
  ScratchDir dir;
  ASSERT_TRUE(Write(dir / "three.vts", ParameterSet()));
  std::filesystem::copy_file(dir / "three.vts", dir / "three.vt4");
  ASSERT_TRUE(Write(dir / "four.vt4", ParameterSet()));
  std::filesystem::copy_file(dir / "four.vt4", dir / "four.vts");
  for (const char* name : {"three.vt4", "four.vts"}) {
    ParameterSet params;
    CollectedMessages messages;
    EXPECT_FALSE(ReadParameterFile(dir / name, params, messages)) << name;
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_EQ(messages.entries[0].text, Invalid(dir / name));
  }
}

TEST(ParameterFile, LongPathsWorkAndMessagesKeepThemWhole) {
  ScratchDir dir;
  std::filesystem::path deep = dir.Path();
  for (int i = 0; i < 4; ++i) deep /= std::string(90, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  const std::string path = (deep / "long.name.vts").string();
  ASSERT_GT(path.size(), 360u);
  ASSERT_TRUE(Write(path, ParameterSet()));
  ParameterSet params = Scrambled();
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(path, params, messages));
  EXPECT_TRUE(messages.entries.empty());
  ParameterSet expected = BuiltInAfterFile();
  KeepCompanionPrompts(expected, Scrambled());
  EXPECT_TRUE(params == expected);  // the long companion title is skipped whole

  WriteAll(path, "comment\n  80 x\n");
  EXPECT_FALSE(ReadParameterFile(path, params, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, Invalid(path));
}

TEST(ParameterFile, ALineEndInTheNameDoesNotSplitTheCompanionTitle) {
  ScratchDir dir;
  const std::string path = dir / "two\nlines.vts";
  ASSERT_TRUE(Write(path, ParameterSet()));
  const auto companion = Lines(ReadAll(dir / "two\nlines.cin"));
  ASSERT_EQ(companion.size(), 26u);
  EXPECT_EQ(companion[0], "\"" + (dir / "two lines.vts") + "\"");
  ParameterSet params = Scrambled();
  CollectedMessages messages;
  ASSERT_TRUE(ReadParameterFile(path, params, messages));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(params.Value(param::Temperature), 35.0f);
}

TEST(ParameterFile, FailedWritesLeaveThePreviousFilesAlone) {
  ScratchDir dir;
  WriteAll(dir / "a.vts", "previous parameters\n");
  WriteAll(dir / "a.vt4", "previous parameters\n");
  ParameterSet broken;
  broken.SetValue(4, std::nanf(""));
  CollectedMessages messages;
  ParameterFileWrite result = WriteParameterFile(dir / "a.vt4", broken, messages);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedPath, dir / "a.vt4");
  broken.SetValue(4, 2);
  broken.Trace(2).unit = "";
  EXPECT_FALSE(WriteParameterFile(dir / "a.vt4", broken, messages).ok);
  EXPECT_TRUE(messages.entries.empty());

  // A companion that cannot be created: the parameter file stays as it was.
  std::filesystem::create_directory(dir / "a.cin");
  result = WriteParameterFile(dir / "a.vts", ParameterSet(), messages);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedPath, dir / "a.cin");
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, (dir / "a.cin") + " file not found.");
  EXPECT_EQ(ReadAll(dir / "a.vts"), "previous parameters\n");
  EXPECT_EQ(ReadAll(dir / "a.vt4"), "previous parameters\n");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.cin", "a.vt4", "a.vts"}));

  result = WriteParameterFile(dir / "own.cin", ParameterSet(), messages);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(std::filesystem::exists(dir / "own.cin"));

  result = WriteParameterFile(dir / "no such dir/x.vt4", ParameterSet(), messages);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedPath, dir / "no such dir/x.vt4");
}

TEST(ParameterFile, WritingReplacesAnOlderFileCompletely) {
  ScratchDir dir;
  WriteAll(dir / "a.vt4", std::string(100000, 'x'));
  ASSERT_TRUE(Write(dir / "a.vt4", ParameterSet()));
  EXPECT_EQ(Lines(ReadAll(dir / "a.vt4")).size(), 77u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.vt4"});
}

}  // namespace
}  // namespace vantor
