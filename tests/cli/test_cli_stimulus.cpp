// vantor-cli run with a stimulus: --stimulus, the companion beside the
// parameter file, the clamp columns, a family, and bad stimulus files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CliStimulus, VoltageClampFamilyAddsTheClampColumnsAndARunColumn) {
  const fs::path dir = TestFolder();
  WriteFile(dir / "vc.vtp",
            "vantor-stimulus 1\nclamp voltage\nholding -70\nstep onset=10 offset=40 level=0\n"
            "family target=1 values=0,50,100\n");
  const CliOutcome run =
      RunCliIn(dir, {"run", "--stimulus", "vc.vtp", "--method", "4", "--dt", "5", "--csv", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines[0].find(",V-cmd (mV),I-clamp (nA),run"), std::string::npos) << lines[0];
  // 17 grid rows (0 .. 80 ms) per run; at 20 ms V sits on the command.
  ASSERT_EQ(lines.size(), 1u + 3 * 17);
  for (int r = 0; r < 3; ++r) {
    const std::string& row = lines[1 + r * 17 + 4];
    EXPECT_EQ(row.rfind("20,", 0), 0u) << row;
    const std::string v = row.substr(3, row.find(',', 3) - 3);
    EXPECT_NEAR(std::stod(v), -70 + 50 * r, 1e-6) << row;
    EXPECT_EQ(row.substr(row.rfind(',') + 1), std::to_string(r + 1));
  }
}

TEST(CliStimulus, CompanionDrivesTheRunUnlessRefused) {
  const fs::path dir = TestFolder();
  fs::copy_file(fs::path(VANTOR_SOURCE_DIR) / "data/examples/default.vt4", dir / "cell.vt4");
  const CliOutcome plain = RunCliIn(dir, {"run", "cell.vt4", "--csv", "-"});
  WriteFile(dir / "cell.vtp", "vantor-stimulus 1\nstep onset=0 offset=80 level=-1\n");
  const CliOutcome driven = RunCliIn(dir, {"run", "cell.vt4", "--csv", "-"});
  ASSERT_EQ(driven.status, 0) << driven.err;
  EXPECT_NE(driven.err.find("cell.vtp beside cell.vt4"), std::string::npos) << driven.err;
  EXPECT_NE(driven.out, plain.out);
  const CliOutcome without = RunCliIn(dir, {"run", "cell.vt4", "--no-stimulus", "--csv", "-"});
  EXPECT_EQ(without.out, plain.out);

  // measure runs what it says drives the run; sweep says it does not use it.
  WriteFile(dir / "cell.vtp", "vantor-stimulus 1\ntrain onset=2 count=3 width=1 interval=2.5 amplitude=20\n");
  const auto spikes = [&](std::vector<std::string> args) {
    const CliOutcome m = RunCliIn(dir, args);
    EXPECT_EQ(m.status, 0) << m.err;
    return std::stoi(m.out.substr(m.out.find("spikes") + 6));
  };
  EXPECT_GT(spikes({"measure", "cell.vt4"}), spikes({"measure", "cell.vt4", "--no-stimulus"}));
  const CliOutcome sweep = RunCliIn(dir, {"sweep", "cell.vt4", "--vary", "gNa=100:120:2", "--out", "s.csv"});
  EXPECT_NE(sweep.err.find("the stimulus cell.vtp beside cell.vt4 is not used"), std::string::npos) << sweep.err;
}

TEST(CliStimulus, BadStimulusIsRefusedAndNothingIsWritten) {
  const fs::path dir = TestFolder();
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"vantor-stimulus 1\ntrain onset=1 count=2 width=-1 interval=5 amplitude=1\n",
       "bad.vtp, line 2, field width: must be more than 0 ms"},
      {"vantor-stimulus 1\nsine onset=0 offset=50 amplitude=1 frequency=900\n",
       "bad.vtp, line 2, field frequency: 900 Hz is above the 500 Hz that a sample every 1 ms "
       "(Maximum dt for plot) can show"},
      {"vantor-stimulus 1\nwaveform file=missing.csv\n",
       "bad.vtp, line 2, field file: ./missing.csv: cannot be opened"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "bad.vtp", c.text);
    const CliOutcome run = RunCliIn(dir, {"run", "--stimulus", "./bad.vtp", "--csv", "out.csv"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.csv"));
  }
  const CliOutcome device = RunCliIn(dir, {"run", "--stimulus", "/dev/zero", "--csv", "out.csv"});
  EXPECT_NE(device.err.find("/dev/zero: is not a regular file"), std::string::npos) << device.err;
}


// The sodium family with potassium blocked, and its control with sodium
// blocked; then the inactivation of the same current by prepulses.
TEST(CliStimulus, IvTablesAndFitsOfTheSodiumCurrent) {
  const fs::path dir = TestFolder();
  auto peaks = [&](const std::vector<std::string>& extra, std::string& said,
                   const std::string& steps = "-60:40:11") {
    std::vector<std::string> args{"iv", "--hold", "-80", "--steps", steps, "--method", "4",
                                  "--out", "iv.csv"};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliOutcome run = RunCliIn(dir, args);
    EXPECT_EQ(run.status, 0) << run.err;
    said = run.out + run.err;
    std::vector<double> values;
    const auto lines = Lines(ReadFile(dir / "iv.csv"));
    for (std::size_t i = 1; i < lines.size(); ++i)
      values.push_back(std::stod(lines[i].substr(lines[i].find(',') + 1)));
    return values;
  };
  std::string said;
  const auto sodium = peaks({"--set", "gK=0"}, said);
  ASSERT_EQ(sodium.size(), 11u);
  EXPECT_LT(*std::min_element(sodium.begin(), sodium.end()), -100.0);
  ASSERT_EQ(said.rfind("activation fit of the peak current: V1/2 ", 0), 0u) << said;
  const double reversal = std::stod(said.substr(said.find("reversal ") + 9));
  EXPECT_GT(reversal, 25);  // E-Na of the built-in concentrations is near 41 mV
  EXPECT_LT(reversal, 50);
  const auto control = peaks({"--set", "gNa=0", "--set", "gK=0"}, said);
  EXPECT_GT(*std::min_element(control.begin(), control.end()), -5.0);

  const auto inactivation = peaks({"--prepulse", "50", "--test", "0", "--set", "gK=0", "--set",
                                   "duration=100", "--set", "onset=60", "--set", "offset=90"},
                                  said, "-120:-30:10");
  ASSERT_EQ(inactivation.size(), 10u);
  EXPECT_LT(inactivation.front(), 10 * inactivation.back());  // inward, and far smaller at -30 mV
  ASSERT_EQ(said.rfind("inactivation fit of the peak test current: V1/2 ", 0), 0u) << said;
  const double half = std::stod(said.substr(said.find("V1/2 ") + 5));
  EXPECT_GT(half, -90);
  EXPECT_LT(half, -50);
}

// iv of one channel's current, the rheobase of two ramps and a chirp's profile.
TEST(CliStimulus, ChannelCurrentsRampsAndChirps) {
  const fs::path dir = TestFolder();
  auto column = [&](const std::string& current) {
    const CliOutcome run = RunCliIn(dir, {"iv", "--hold", "-80", "--steps", "-40:20:4", "--current",
                                          current, "--out", "iv.csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("peak current I-"), std::string::npos) << run.out;
    std::vector<double> values;
    const auto lines = Lines(ReadFile(dir / "iv.csv"));
    EXPECT_EQ(lines.at(0).find("\"level (mV)\",\"peak (nA)\""), 0u);
    for (std::size_t i = 1; i < lines.size(); ++i)
      values.push_back(std::stod(lines[i].substr(lines[i].find(',') + 1)));
    return values;
  };
  for (const double k : column("IK")) EXPECT_GT(k, 0);  // outward at every level
  for (const double na : column("I-Na")) EXPECT_LT(na, 0);

  auto rheobase = [&](const std::string& ramp) {
    const CliOutcome run = RunCliIn(dir, {"rheobase", "--ramp", ramp});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("rheobase ", 0), 0u) << run.out;
    return std::stod(run.out.substr(9));
  };
  const double fast = rheobase("0:4:200"), slow = rheobase("0:4:1000");
  EXPECT_GT(fast, 1.0);  // a 1.5 nA step stays below threshold, a 2 nA step fires
  EXPECT_LT(fast, 2.5);
  EXPECT_LT(slow, fast);  // the slower ramp reaches threshold at a lower current
  const CliOutcome none = RunCliIn(dir, {"rheobase", "--ramp", "0:1:100"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("No spike during a ramp from 0 to 1 nA"), std::string::npos) << none.err;

  const CliOutcome z = RunCliIn(dir, {"impedance", "--chirp", "1:30:2000:0.05", "--onset", "500",
                                      "--out", "z.csv"});
  ASSERT_EQ(z.status, 0) << z.err;
  EXPECT_EQ(z.out.rfind("resonance at ", 0), 0u) << z.out;
  const auto rows = Lines(ReadFile(dir / "z.csv"));
  EXPECT_EQ(rows.at(0), "\"frequency (Hz)\",\"|Z| (MOhm)\"");
  EXPECT_EQ(rows.size(), 1u + 59u);  // 1 to 30 Hz in steps of 0.5 Hz
  const CliOutcome bad = RunCliIn(dir, {"impedance", "--chirp", "30:30:2000:0.05", "--out", "y.csv"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_FALSE(fs::exists(dir / "y.csv"));
}

// convert writes the stimulus read with the input beside the output, its
// waveform still found from the new folder; a bad stimulus writes nothing.
TEST(CliStimulus, ConvertWritesTheCompanionBesideTheOutput) {
  const fs::path dir = TestFolder();
  fs::create_directories(dir / "sub");
  for (const char* name : {"waveform-playback.vt4", "waveform-playback.vtp", "recorded-current.txt"})
    fs::copy_file(fs::path(VANTOR_SOURCE_DIR) / "data/examples/stimuli" / name, dir / name,
                  fs::copy_options::overwrite_existing);
  const std::string before = ReadFile(dir / "waveform-playback.vtp");
  ASSERT_EQ(RunCliIn(dir, {"convert", "waveform-playback.vt4", "sub/copy.vt4"}).status, 0);
  const std::string companion = ReadFile(dir / "sub/copy.vtp");
  EXPECT_NE(companion.find("file=../recorded-current.txt"), std::string::npos) << companion;
  const CliOutcome original = RunCliIn(dir, {"run", "waveform-playback.vt4", "--csv", "-", "-q"});
  const CliOutcome copied = RunCliIn(dir, {"run", "sub/copy.vt4", "--csv", "-", "-q"});
  ASSERT_EQ(copied.status, 0) << copied.err;
  EXPECT_EQ(copied.out, original.out);
  EXPECT_EQ(ReadFile(dir / "waveform-playback.vtp"), before);

  ASSERT_EQ(RunCliIn(dir, {"convert", "waveform-playback.vt4", "plain.vt4", "--no-stimulus"}).status, 0);
  EXPECT_FALSE(fs::exists(dir / "plain.vtp"));
  std::ofstream(dir / "bad.vtp") << "vantor-stimulus 1\nstep onset=10 offset=5 level=1\n";
  const CliOutcome bad = RunCliIn(dir, {"convert", "waveform-playback.vt4", "x.vt4", "--stimulus", "bad.vtp"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("bad.vtp, line 2"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(dir / "x.vt4"));
  EXPECT_FALSE(fs::exists(dir / "x.vtp"));
}

TEST(CliStimulus, IvRefusesBadLevels) {
  const fs::path dir = TestFolder();
  const CliOutcome run = RunCliIn(dir, {"iv", "--hold", "-80", "--steps", "-60:40:1", "--out", "x.csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--steps needs FROM:TO:COUNT"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir / "x.csv"));
  // An output only run writes is refused, not ignored.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"iv", "--hold", "-80", "--steps", "-60:40:3", "--nwb", "x.nwb"},
        std::vector<std::string>{"rheobase", "--ramp", "0:4:200", "--meta"},
        std::vector<std::string>{"impedance", "--chirp", "1:30:2000:0.05", "--from", "x.nwb"}}) {
    const CliOutcome refused = RunCliIn(dir, args);
    EXPECT_EQ(refused.status, 2) << args[0] << ": " << refused.err;
    EXPECT_FALSE(fs::exists(dir / "x.nwb")) << args[0];
  }
}

}  // namespace
}  // namespace vantor::testing
