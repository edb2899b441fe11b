// The stimulus file: what it reads, that writing and reading gives the same
// stimulus back, and the messages for bad input (file, line and field).
#include <gtest/gtest.h>

#include <fstream>

#include "test_paths.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/engine/waveform_file.h"

namespace vantor {
namespace {

using vantor::testing::TestScratchPath;

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

StimulusRead Parse(const std::string& body) {
  return ParseStimulus("vantor-stimulus 1\n" + body, "s.vtp", "");
}

TEST(StimulusFile, ReadsEveryKindAndWritesItBackUnchanged) {
  const std::string wave = TestScratchPath("w.csv");
  Write(wave, "time,value\n0,0\n5,1\n10,0.5\n");
  const std::string path = TestScratchPath("all.vtp");
  Write(path,
        "vantor-stimulus 1\n# a comment\nclamp voltage\nholding -70\nseries-resistance 5\n"
        "step onset=10 offset=60 level=20\nramp onset=60 offset=80 from=0 to=-10\n"
        "train onset=100 count=3 width=1 interval=10 amplitude=5\n"
        "sine onset=0 offset=50 amplitude=1 frequency=20 phase=90\n"
        "chirp onset=0 offset=100 amplitude=1 f0=1 f1=100 sweep=log\n"
        "noise onset=0 offset=100 sd=0.1 tau=2 seed=42\n"
        "waveform file=w.csv onset=5 scale=2\nfamily target=1 values=-80:40:13\n");
  const StimulusRead read = ReadStimulusFile(path);
  ASSERT_TRUE(read.stimulus) << read.error;
  const Stimulus& s = *read.stimulus;
  EXPECT_EQ(s.mode, ClampMode::Voltage);
  EXPECT_EQ(s.seriesResistance, 5);
  ASSERT_EQ(s.segments.size(), 7u);
  EXPECT_EQ(s.segments[3].phase, 90);
  EXPECT_TRUE(s.segments[4].logSweep);
  EXPECT_EQ(s.segments[5].seed, 42u);
  EXPECT_EQ(s.segments[6].values, (std::vector<double>{0, 1, 0.5}));
  ASSERT_TRUE(s.family);
  EXPECT_EQ(s.family->values.size(), 13u);
  EXPECT_EQ(s.family->values[12], 40);

  const std::string copy = TestScratchPath("copy.vtp");
  std::string error;
  ASSERT_TRUE(WriteStimulusFile(copy, s, error)) << error;
  const StimulusRead again = ReadStimulusFile(copy);
  ASSERT_TRUE(again.stimulus) << again.error;
  EXPECT_EQ(*again.stimulus, s);
  EXPECT_EQ(StimulusText(*again.stimulus), StimulusText(s));
}

TEST(StimulusFile, FamilyMembersCarryTheirLevel) {
  const StimulusRead r = Parse("step onset=1 offset=2 level=0\nfamily target=1 values=0.1,0.2\n");
  ASSERT_TRUE(r.stimulus) << r.error;
  const auto members = ExpandFamily(*r.stimulus);
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[1].stimulus.segments[0].level, 0.2);
  EXPECT_FALSE(members[1].stimulus.family);
  EXPECT_EQ(members[1].label, "segment 1 0.2 nA");
}

TEST(StimulusFile, BadInputNamesTheLineAndTheField) {
  const struct {
    const char* body;
    const char* message;
  } cases[] = {
      {"train onset=1 count=2 width=-1 interval=5 amplitude=1\n",
       "s.vtp, line 2, field width: must be more than 0 ms"},
      {"\nstep onset=5 offset=1 level=1\n", "s.vtp, line 3, field offset: comes before the onset"},
      {"step onset=1 level=1\n", "s.vtp, line 2, field offset: is missing"},
      {"step onset=1 offset=2 level=x\n", "s.vtp, line 2, field level: not a number: x"},
      {"step onset=1 offset=2 level=1 colour=red\n",
       "s.vtp, line 2, field colour: is not a field of step"},
      {"chirp onset=0 offset=1 amplitude=1 f0=0 f1=5 sweep=log\n",
       "s.vtp, line 2, field f0: a logarithmic sweep needs frequencies above 0 Hz"},
      {"family target=3 values=1,2\n", "s.vtp, line 2, field target: there is no segment 3"},
      {"waveform file=/nonexistent/w.csv\n",
       "s.vtp, line 2, field file: /nonexistent/w.csv: cannot be opened"},
  };
  for (const auto& c : cases) {
    const StimulusRead r = Parse(c.body);
    EXPECT_FALSE(r.stimulus) << c.body;
    EXPECT_EQ(r.error.rfind(c.message, 0), 0u) << r.error;
  }
  EXPECT_EQ(ParseStimulus("", "e.vtp", "").error.rfind("e.vtp, line 0: the file is empty", 0), 0u);
  EXPECT_EQ(ParseStimulus("vantor-stimulus 2\n", "e.vtp", "").error,
            "e.vtp, line 1, field version: version 2 is not one this program reads (1)");
  EXPECT_EQ(ParseStimulus(std::string("\x7f" "ELF\0\0", 6), "b", "").error,
            "b, line 1: a NUL byte (not a text file)");
}

TEST(WaveformFile, RefusesUnsortedTimesAndBadColumns) {
  const std::string path = TestScratchPath("w.txt");
  std::vector<double> t, v;
  std::string error;
  Write(path, "0 1\n2 3\n1 4\n");
  EXPECT_FALSE(ReadWaveformFile(path, t, v, error));
  EXPECT_EQ(error, path + ", line 3, field time: the times are not sorted (each must be later "
                          "than the one before)");
  EXPECT_TRUE(t.empty());
  Write(path, "0;1\n1;2;3\n");
  EXPECT_FALSE(ReadWaveformFile(path, t, v, error));
  EXPECT_EQ(error, path + ", line 2, field value: more than two columns");
  Write(path, "0 1\n");
  EXPECT_FALSE(ReadWaveformFile(path, t, v, error));
  EXPECT_FALSE(ReadWaveformFile("/dev/zero", t, v, error));
  EXPECT_EQ(error, "/dev/zero: is not a regular file");
  EXPECT_FALSE(ReadWaveformFile(TestScratchPath(""), t, v, error));
  EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
}

TEST(StimulusFile, CompanionSitsBesideTheParameterFile) {
  EXPECT_EQ(CompanionStimulusPath("dir.x/cell.vt4"), "dir.x/cell.vtp");
  EXPECT_EQ(CompanionStimulusPath("dir.x/cell"), "dir.x/cell.vtp");
}

}  // namespace
}  // namespace vantor
