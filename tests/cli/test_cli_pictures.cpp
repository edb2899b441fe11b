// vantor-cli run with pictures: files, overlays, sizes, refusals.
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

struct Outcome {
  int status = -1;
  std::string err;
};

Outcome Cli(const ScratchDir& dir, const std::string& arguments) {
  const std::string err = dir.Path().string() + ".err";
  const std::string command = "cd '" + dir.Path().string() + "' && '" VANTOR_BIN_DIR
                              "/vantor-cli' " + arguments + " 2>'" + err + "' >/dev/null";
  const int raw = std::system(command.c_str());
  Outcome out;
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  out.err = ReadAll(err);
  std::filesystem::remove(err);
  return out;
}

// Width and height from a PNG's header.
std::pair<int, int> PngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto word = [&](int at) {
    int v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {word(16), word(20)};
}

// A copy of the built-in parameter file with one line replaced.
void WriteVariant(const ScratchDir& dir, const std::string& name, int line,
                  const std::string& text) {
  const auto lines = Lines(ReadAll(VANTOR_SOURCE_DIR "/data/examples/default.vt4"));
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i == static_cast<std::size_t>(line) ? text : lines[i]) + "\n";
  WriteAll(dir / name, out);
}

TEST(CliPictures, EveryFormatAtTheAskedSizeAndNoRecordLeft) {
  ScratchDir dir;
  const Outcome out = Cli(dir, "run --png a.png --svg a.svg --pdf a.pdf --size 600x400");
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(PngSize(ReadAll(dir / "a.png")), std::make_pair(600, 400));
  EXPECT_NE(ReadAll(dir / "a.svg").find("viewBox=\"0 0 600 400\""), std::string::npos);
  EXPECT_EQ(ReadAll(dir / "a.pdf").rfind("%PDF", 0), 0u);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.pdf", "a.png", "a.svg"}));
  ASSERT_EQ(Cli(dir, "run --png b.png").status, 0);
  EXPECT_EQ(PngSize(ReadAll(dir / "b.png")), std::make_pair(1200, 800));
}

TEST(CliPictures, OverlaysWithMetafileAndPlotterFile) {
  ScratchDir dir;
  WriteVariant(dir, "one.vt4", 5, "   1 Injected current (nA)");
  WriteVariant(dir, "three.vt4", 5, "   3 Injected current (nA)");
  const Outcome out = Cli(dir,
                          "run one.vt4 --overlay three.vt4 --overlay three.vt4 --png o.png "
                          "--cgm o.cgm --plt o.plt --csv o.csv");
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(PngSize(ReadAll(dir / "o.png")).first, 1200);
  const std::string cgm = ReadAll(dir / "o.cgm");
  ASSERT_GT(cgm.size(), 392u);
  EXPECT_EQ(cgm.substr(cgm.size() - 4), std::string("\x00\xA0\x00\x40", 4));
  const std::string plt = ReadAll(dir / "o.plt");
  EXPECT_EQ(plt.rfind("IN;", 0), 0u);
  EXPECT_NE(plt.find("Potential (mV)"), std::string::npos);
  // The plotter draws the first run, so its listing is the first run's.
  EXPECT_NE(plt.find("Injected current: 1, "), std::string::npos);
  EXPECT_EQ(plt.find("Injected current: 3, "), std::string::npos);
  // No record file stays behind, and nothing was written to "vt.plt".
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"o.cgm", "o.csv", "o.plt", "o.png", "one.vt4",
                                                   "three.vt4"}));
}

TEST(CliPictures, RefusalsAndUsageErrors) {
  ScratchDir dir;
  for (const char* size : {"0x10", "10", "axb", "9000x10", "10x-5", "x"})
    EXPECT_EQ(Cli(dir, std::string("run --png p.png --size ") + size).status, 2) << size;
  EXPECT_EQ(Cli(dir, "run --overlay").status, 2);

  const Outcome missing = Cli(dir, "run --overlay nothere.vt4 --png p.png");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nothere.vt4"), std::string::npos);

  WriteAll(dir / "keep.png", "mine");
  const Outcome nowhere = Cli(dir, "run --png no/such/dir/p.png");
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err.find("no/such/dir/p.png"), std::string::npos);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"keep.png"}));
  EXPECT_EQ(ReadAll(dir / "keep.png"), "mine");
}

TEST(CliPictures, PhasePlaneAsPngOrSvgAndNothingLeftWhenTheRunFails) {
  ScratchDir dir;
  ASSERT_EQ(Cli(dir, "run --phase p.png").status, 0);
  EXPECT_EQ(PngSize(ReadAll(dir / "p.png")), std::make_pair(800, 600));
  ASSERT_EQ(Cli(dir, "run --phase p.svg").status, 0);
  EXPECT_NE(ReadAll(dir / "p.svg").find("dV/dt (mV/ms)"), std::string::npos);
  EXPECT_EQ(Cli(dir, "run --phase p.gif").status, 2);
  EXPECT_EQ(Cli(dir, "run --phase -").status, 2);
  EXPECT_EQ(Cli(dir, "measure --phase q.png").status, 2);
  // A run that is refused writes no phase plane, and keeps the earlier one.
  EXPECT_EQ(Cli(dir, "run --phase p.png --set area=0").status, 1);
  EXPECT_EQ(PngSize(ReadAll(dir / "p.png")), std::make_pair(800, 600));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"p.png", "p.svg"}));
}

}  // namespace
