#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "vantor/render/run_record.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class RunRecordFile : public ::testing::Test {
 protected:
  void SetUp() override {
    directory = fs::temp_directory_path() /
                ("vantor_record_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory);
    fs::create_directories(directory);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(directory, fs::perms::owner_all, ignored);
    fs::remove_all(directory, ignored);
  }
  static std::vector<unsigned char> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static RunSample Numbered() {
    RunSample s;
    for (int i = 0; i < kSampleSlots; ++i) s[i] = static_cast<float>(i);
    return s;
  }
  fs::path directory;
};

TEST_F(RunRecordFile, SampleIs84LittleEndianBytesInSlotOrder) {
  RunSample s{};
  s[0] = 1.0f;     // 0x3F800000
  s[1] = -65.0f;   // 0xC2820000
  s[20] = 0.1f;    // 0x3DCCCCCD
  const std::string path = (directory / "one.rec").string();
  RunRecordWriter writer;
  ASSERT_TRUE(writer.Open(path));
  writer.Sample(s);
  ASSERT_TRUE(writer.Close());
  const std::vector<unsigned char> bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 84u);
  const std::vector<unsigned char> head{0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x82, 0xC2};
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8), head);
  for (int i = 8; i < 80; ++i) EXPECT_EQ(bytes[i], 0) << i;
  const std::vector<unsigned char> tail{0xCD, 0xCC, 0xCC, 0x3D};
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 80, bytes.end()), tail);
}

TEST_F(RunRecordFile, NoHeaderSamplesFollowEachOther) {
  const std::string path = (directory / "three.rec").string();
  RunRecordWriter writer;
  ASSERT_TRUE(writer.Open(path));
  RunSample s = Numbered();
  for (int k = 0; k < 3; ++k) {
    s[0] = static_cast<float>(k);
    writer.Sample(s);
  }
  EXPECT_EQ(writer.Count(), 3);
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(fs::file_size(path), 3u * 84u);
  const auto back = ReadRunRecord(path);
  ASSERT_TRUE(back.has_value());
  ASSERT_EQ(back->size(), 3u);
  EXPECT_EQ((*back)[2][0], 2.0f);
  EXPECT_EQ((*back)[2][20], 20.0f);
  EXPECT_EQ((*back)[1][7], 7.0f);
}

TEST_F(RunRecordFile, ReaderIgnoresATrailingPartialSample) {
  const std::string path = (directory / "cut.rec").string();
  {
    RunRecordWriter writer;
    ASSERT_TRUE(writer.Open(path));
    writer.Sample(Numbered());
    writer.Sample(Numbered());
  }
  fs::resize_file(path, 84 + 50);
  const auto back = ReadRunRecord(path);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->size(), 1u);
  EXPECT_FALSE(ReadRunRecord((directory / "missing.rec").string()).has_value());
}

TEST_F(RunRecordFile, EncodingRoundTripsEveryBitPattern) {
  RunSample s = Numbered();
  s[3] = std::nanf("");
  s[4] = -0.0f;
  s[5] = 1e-45f;  // the smallest subnormal
  unsigned char bytes[kSampleBytes];
  EncodeRunSample(s, bytes);
  const RunSample back = DecodeRunSample(bytes);
  EXPECT_EQ(std::memcmp(back.data(), s.data(), sizeof s), 0);
}

TEST_F(RunRecordFile, CreatesUniqueTemporaryNames) {
  std::set<std::string> names;
  std::vector<RunRecordWriter> writers(5);
  for (RunRecordWriter& w : writers) {
    ASSERT_TRUE(w.Create(directory.string()));
    EXPECT_TRUE(std::regex_match(fs::path(w.Path()).filename().string(),
                                 std::regex("VTW[0-9A-F]{4}\\.TMP")))
        << w.Path();
    EXPECT_EQ(fs::path(w.Path()).parent_path(), directory);
    names.insert(w.Path());
  }
  EXPECT_EQ(names.size(), 5u);
  for (RunRecordWriter& w : writers) {
    w.Sample(Numbered());
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(fs::file_size(w.Path()), 84u);
  }
}

TEST_F(RunRecordFile, NeverReusesAnExistingFile) {
  // Fill every name but one; the writer must find the free one and leave the
  // others untouched.
  for (unsigned n = 0; n < 0x10000; ++n) {
    if (n == 0x1234) continue;
    char name[16];
    std::snprintf(name, sizeof name, "VTW%04X.TMP", n);
    std::FILE* f = std::fopen((directory / name).string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("kept", f);
    std::fclose(f);
  }
  RunRecordWriter writer;
  ASSERT_TRUE(writer.Create(directory.string()));
  EXPECT_EQ(fs::path(writer.Path()).filename(), "VTW1234.TMP");
  writer.Close();
  EXPECT_EQ(fs::file_size(directory / "VTW0000.TMP"), 4u);
  // With every name taken in the directory the system temporary one is used.
  RunRecordWriter full;
  ASSERT_TRUE(full.Create(directory.string()));
  EXPECT_NE(fs::path(full.Path()).parent_path(), directory);
  full.Close();
  fs::remove(full.Path());
}

TEST_F(RunRecordFile, DirectoryThatTakesNoFileFallsBackToTheTemporaryDirectory) {
  RunRecordWriter writer;
  ASSERT_TRUE(writer.Create((directory / "no such directory").string()));
  EXPECT_EQ(fs::path(writer.Path()).parent_path(), fs::temp_directory_path());
  writer.Close();
  fs::remove(writer.Path());
}

TEST_F(RunRecordFile, WriterIntoAForeignStreamLeavesItOpen) {
  const std::string path = (directory / "foreign.rec").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  {
    RunRecordWriter writer(f);
    writer.Sample(Numbered());
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_EQ(std::fputc('x', f), 'x');  // still ours
  std::fclose(f);
  EXPECT_EQ(fs::file_size(path), 85u);
}

}  // namespace
}  // namespace vantor
