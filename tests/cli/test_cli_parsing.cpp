// The command line's words taken apart without starting the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/run_options.h"
#include "cli/sweep_options.h"

namespace vantor::cli {
namespace {

using Words = std::vector<std::string>;

TEST(CliParsing, RunOptionsInBothFormsAndInOrder) {
  RunOptions o;
  std::string error;
  ASSERT_TRUE(ParseRunOptions({"mine.vt4", "--set", "gA=1", "--csv=a.csv", "--method", "4",
                               "--set=step=2", "--overlay", "b.vt4", "--overlay", "c.vt4", "-q"},
                              o, error))
      << error;
  EXPECT_EQ(o.parameterFile, "mine.vt4");
  EXPECT_EQ(o.csvFile, "a.csv");
  ASSERT_EQ(o.settings.size(), 3u);
  EXPECT_EQ(o.settings[0], (std::pair<std::string, std::string>{"gA", "1"}));
  EXPECT_EQ(o.settings[1].second, "4");
  EXPECT_EQ(o.settings[2], (std::pair<std::string, std::string>{"step", "2"}));
  EXPECT_EQ(o.overlayFiles, (Words{"b.vt4", "c.vt4"}));
  EXPECT_TRUE(o.quiet);
  // After "--" a word that looks like an option is the parameter file.
  RunOptions after;
  ASSERT_TRUE(ParseRunOptions({"--", "--odd.vt4"}, after, error)) << error;
  EXPECT_EQ(after.parameterFile, "--odd.vt4");
}

TEST(CliParsing, RunUsageErrors) {
  for (const Words& words : {Words{"--set", "gA"}, Words{"--csv"}, Words{"--bogus"},
                             Words{"a.vt4", "b.vt4"}, Words{"--method", "x"}, Words{""}}) {
    RunOptions o;
    std::string error;
    EXPECT_FALSE(ParseRunOptions(words, o, error)) << words[0];
    EXPECT_FALSE(error.empty()) << words[0];
  }
}

TEST(CliParsing, PictureSizes) {
  int w = 0, h = 0;
  EXPECT_TRUE(ParsePictureSize("640x480", w, h));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_TRUE(ParsePictureSize("100X20000", w, h));
  for (const char* bad : {"99x100", "100x20001", "640", "x480", "640x", "-640x480", "6e2x480", ""})
    EXPECT_FALSE(ParsePictureSize(bad, w, h)) << bad;
}

TEST(CliParsing, SweepOptionsAndTheirErrors) {
  SweepOptions o;
  std::string error;
  ASSERT_TRUE(ParseSweepOptions({"--vary", "gA=0:2:3", "--vary=step=1,2", "--out", "s.csv",
                                 "--shard", "2/3", "--jobs", "2", "--samples", "4", "--seed", "7"},
                                false, o, error))
      << error;
  EXPECT_EQ(o.vary, (Words{"gA=0:2:3", "step=1,2"}));
  EXPECT_EQ(o.shardIndex, 2);
  EXPECT_EQ(o.shardCount, 3);
  EXPECT_EQ(o.jobs, 2);
  EXPECT_EQ(o.seed, 7u);
  const Words bad[] = {{"--out", "s.csv"},                          // nothing varied
                       {"--vary", "gA=0:2:3"},                      // no --out
                       {"--vary", "gA=0:2:3", "--out", "s", "--seed", "7"},  // no --samples
                       {"--vary", "gA=0:2:3", "--out", "s", "--shard", "4/3"},
                       {"--vary", "gA", "--out", "s"},
                       {"--vary", "gA=0:2:3", "--out", "s", "--jobs", "0"}};
  for (const Words& words : bad) {
    SweepOptions s;
    EXPECT_FALSE(ParseSweepOptions(words, false, s, error)) << words.back();
  }
  // fi needs no --vary and takes no --shard.
  SweepOptions fi;
  EXPECT_TRUE(ParseSweepOptions({"--max", "6", "--points", "7"}, true, fi, error)) << error;
  EXPECT_EQ(fi.fiPoints, 7);
  EXPECT_FALSE(ParseSweepOptions({"--shard", "1/2"}, true, fi, error));
}

}  // namespace
}  // namespace vantor::cli
