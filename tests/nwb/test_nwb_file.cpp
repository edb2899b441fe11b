// NWB files: valid against the core schema, read back as written, and
// refused clearly when they are not this program's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "vantor/nwb/nwb_file.h"

namespace vantor::nwb {
namespace {

namespace fs = std::filesystem;

Recording TwoSweeps() {
  Recording r;
  r.identifier = "test-identifier";
  r.sessionDescription = "two sweeps";
  r.startTime = "2026-12-09T12:00:00+00:00";
  r.provenance.programVersion = "0.1.0";
  r.provenance.fingerprint = "00112233aabbccdd";
  r.provenance.method = 4;
  r.provenance.tolerance = 1e-6;
  r.provenance.parameterNames = {"gNa", "duration"};
  r.provenance.parameterValues = {120, 80};
  r.provenance.parameterUnits = {"mS/cm²", "ms"};
  r.provenance.limitsMinimum = {0, 0};
  r.provenance.limitsMaximum = {1000, 1e6};
  r.provenance.parameterFile = {0x00, 0xE6, 0xFF};
  r.provenance.gateTable = {'1', '\n'};
  Sweep cc;
  cc.number = 0;
  for (int i = 0; i < 5000; ++i) cc.timeMs.push_back(i * 0.01 + (i > 2500 ? 1e-9 : 0));
  cc.response = {"V_m", "V-m (mV)", "volts", 1e-3, std::vector<double>(5000, -65.25)};
  cc.stimulus = {"I_inj", "I-Inj (nA)", "amperes", 1e-9, std::vector<double>(5000, 0.5)};
  cc.others.push_back({"I_Na", "I-Na (nA)", "amperes", 1e-9, std::vector<double>(5000, -1.5)});
  cc.spikeTimesMs = {10.125, 20.5};
  cc.description = "a step";
  Sweep vc = cc;
  vc.number = 1;
  vc.voltageClamp = true;
  vc.timeMs.clear();
  vc.rateHz = 100000;
  vc.spikeTimesMs.clear();
  r.sweeps = {cc, vc};
  return r;
}

TEST(NwbFile, WrittenFileIsValidAndReadsBack) {
  if (!Available()) GTEST_SKIP() << "built without HDF5";
  // Named after the process: two suites may run side by side.
  const fs::path path =
      fs::temp_directory_path() / ("vantor_test_two_" + std::to_string(getpid()) + ".nwb");
  const Recording written = TwoSweeps();
  ASSERT_EQ(WriteRecording(path.string(), written), "");

  const char* validator = "/work/shared/nwb/validate.py";
  const fs::path shared = fs::path(VANTOR_SOURCE_DIR) / ".." / "shared" / "nwb" / "validate.py";
  const std::string script = fs::exists(shared) ? shared.string() : validator;
  if (fs::exists(script) && std::system("/usr/bin/python3 -c 'import hdmf, h5py' 2>/dev/null") == 0) {
    EXPECT_EQ(std::system(("/usr/bin/python3 " + script + " " + path.string()).c_str()), 0);
  }

  const ReadProvenance p = ReadRecordingProvenance(path.string());
  ASSERT_TRUE(p.provenance) << p.error;
  EXPECT_EQ(p.provenance->fingerprint, "00112233aabbccdd");
  EXPECT_EQ(p.provenance->parameterUnits[0], "mS/cm²");
  EXPECT_EQ(p.provenance->parameterFile, written.provenance.parameterFile);
  EXPECT_DOUBLE_EQ(p.provenance->tolerance, 1e-6);

  const ReadSweep cc = ReadRecordingSweep(path.string(), 0);
  ASSERT_TRUE(cc.sweep) << cc.error;
  EXPECT_FALSE(cc.sweep->voltageClamp);
  ASSERT_EQ(cc.sweep->timeMs.size(), 5000u);
  // Double-precision times survive: neighbours 1e-9 ms apart stay apart.
  EXPECT_NEAR(cc.sweep->timeMs[2501] - written.sweeps[0].timeMs[2501], 0, 1e-12);
  EXPECT_EQ(cc.sweep->spikeTimesMs.size(), 2u);
  const ReadSweep vc = ReadRecordingSweep(path.string(), 1);
  ASSERT_TRUE(vc.sweep) << vc.error;
  EXPECT_TRUE(vc.sweep->voltageClamp);
  EXPECT_EQ(vc.sweep->rateHz.value_or(0), 100000);
  EXPECT_TRUE(vc.sweep->spikeTimesMs.empty());
  fs::remove(path);
}

TEST(NwbFile, ForeignFilesAreRefusedWithTheReason) {
  if (!Available()) GTEST_SKIP() << "built without HDF5";
  const fs::path text =
      fs::temp_directory_path() / ("vantor_test_not_" + std::to_string(getpid()) + ".nwb");
  std::ofstream(text) << "not hdf5\n";
  EXPECT_NE(ReadRecordingProvenance(text.string()).error.find("not HDF5"), std::string::npos);
  EXPECT_NE(ReadRecordingProvenance("/no/such/file.nwb").error.find("No such file"),
            std::string::npos);
  // An NWB file whose provenance group is gone is not ours.
  const fs::path path =
      fs::temp_directory_path() / ("vantor_test_foreign_" + std::to_string(getpid()) + ".nwb");
  Recording r = TwoSweeps();
  ASSERT_EQ(WriteRecording(path.string(), r), "");
  ASSERT_TRUE(ReadRecordingProvenance(path.string()).provenance);
  EXPECT_FALSE(ReadRecordingSweep(path.string(), 7).sweep);
  EXPECT_NE(WriteRecording("/no/such/dir/x.nwb", r), "");
  fs::remove(text);
  fs::remove(path);
}

}  // namespace
}  // namespace vantor::nwb
