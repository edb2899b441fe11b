#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vantor/render/cgm_writer.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(Bytes& b, std::initializer_list<int> words) {
  for (int w : words) {
    b.push_back(static_cast<std::uint8_t>((w >> 8) & 0xFF));
    b.push_back(static_cast<std::uint8_t>(w & 0xFF));
  }
}

void PutText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }

Bytes Tail(const Bytes& all, std::size_t from) {
  return from <= all.size() ? Bytes(all.begin() + static_cast<std::ptrdiff_t>(from), all.end())
                            : Bytes{};
}

// The skeleton of a metafile named "vt.cgm", written out element by element.
Bytes ExpectedSkeleton() {
  Bytes b;
  b.push_back(0x00); b.push_back(0x28); b.push_back(6); PutText(b, "vt.cgm"); b.push_back(0);
  Put(b, {0x1022, 1});
  Put(b, {0x1050}); b.push_back(15); PutText(b, "WQT CGM VER 1.0");
  Put(b, {0x1062, 0, 0x1082, 16, 0x10A6, 1, 16, 16, 0x10C2, 16, 0x10E2, 16});
  Put(b, {0x114C, 0, 0, 0, 255, 255, 255});
  Put(b, {0x117F, 182, 45});
  const std::vector<std::pair<int, std::vector<int>>> list = {
      {0, {1, 2, 3, 4, 5}},
      {1, {1, 2, 3, 4, 5, 6, 7, 10, 11, 13}},
      {2, {1, 2, 3, 5, 6, 7}},
      {3, {1, 2}},
      {4, {1, 4, 7, 11, 12}},
      {5, {2, 3, 4, 6, 7, 8, 10, 14, 15, 16, 18, 22, 23, 27, 28, 29, 30}}};
  for (const auto& [cls, ids] : list) {
    for (int id : ids) Put(b, {cls, id});
  }
  Put(b, {0x11B2}); b.push_back(9); PutText(b, "Helvetica"); b.push_back(7); PutText(b, "Tms Rmn");
  Put(b, {0x006A}); b.push_back(9); PutText(b, "picture a");
  Put(b, {0x2026, 0, 0, 0, 0x2042, 1, 0x2062, 0, 0x20A2, 0});
  Put(b, {0x20C8, 0, 0, 10200, 7600, 0x20E6, 255, 255, 255, 0x0080});
  Put(b, {0x5042, 1, 0x5062, 6, 0x5382, 3, 0x5362, 1, 0x53C2, 1, 0x5086, 0, 0, 0});
  Put(b, {0x51E2, 194, 0x5208, 0, 1024, 1024, 0, 0x5142, 1});
  Put(b, {0x524C, 1, 4, 0, 0, 0, 0});
  return b;
}

struct Element {
  int cls, id;
  Bytes data;
};

// Walks a metafile element by element; fails the test on a malformed file.
std::vector<Element> Elements(const Bytes& b) {
  std::vector<Element> out;
  std::size_t i = 0;
  while (i + 2 <= b.size()) {
    const int head = (b[i] << 8) | b[i + 1];
    i += 2;
    int length = head & 0x1F;
    if (length == 31) {
      EXPECT_LE(i + 2, b.size());
      if (i + 2 > b.size()) return out;
      length = (b[i] << 8) | b[i + 1];
      EXPECT_EQ(length & 0x8000, 0);
      i += 2;
    }
    const std::size_t padded = static_cast<std::size_t>(length + (length & 1));
    EXPECT_LE(i + padded, b.size()) << "element runs past the end";
    if (i + padded > b.size()) return out;
    out.push_back({head >> 12, (head >> 5) & 0x7F,
                   Bytes(b.begin() + static_cast<std::ptrdiff_t>(i),
                         b.begin() + static_cast<std::ptrdiff_t>(i) + length)});
    i += padded;
  }
  EXPECT_EQ(i, b.size());
  return out;
}

std::vector<std::pair<int, int>> Points(const Element& e) {
  std::vector<std::pair<int, int>> pts;
  for (std::size_t k = 0; k + 3 < e.data.size(); k += 4) {
    pts.emplace_back(static_cast<std::int16_t>((e.data[k] << 8) | e.data[k + 1]),
                     static_cast<std::int16_t>((e.data[k + 2] << 8) | e.data[k + 3]));
  }
  return pts;
}

class CgmWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("cgm_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "vt.cgm";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The bytes after the 388-byte skeleton, after checking the skeleton.
  Bytes Body() {
    const Bytes all = ReadAll(file_);
    const Bytes skeleton = ExpectedSkeleton();
    EXPECT_EQ(skeleton.size(), 388u);
    EXPECT_GE(all.size(), skeleton.size());
    EXPECT_TRUE(std::equal(skeleton.begin(), skeleton.end(), all.begin()));
    Elements(all);  // every element well-formed
    return Tail(all, skeleton.size());
  }

  SurfaceTransform surface_;
  CgmWriter cgm_{surface_};
  fs::path dir_, file_;
};

TEST_F(CgmWriterTest, EmptyPictureIsSkeletonPlusEnds) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  EXPECT_TRUE(cgm_.Active());
  EXPECT_TRUE(cgm_.CgmClose());
  EXPECT_FALSE(cgm_.Active());
  EXPECT_EQ(fs::file_size(file_), 392u);
  EXPECT_EQ(Body(), (Bytes{0x00, 0xA0, 0x00, 0x40}));
}

TEST_F(CgmWriterTest, IdentityTransformMoveAndLine) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(2000, 2000);
  cgm_.CgmLineTo(4000, 0);
  cgm_.CgmClose();
  EXPECT_EQ(Body(), (Bytes{0x40, 0x3F, 0x00, 0x08, 0x14, 0x50, 0x0F, 0x3C, 0x28, 0x3C, 0x1E,
                           0x14, 0x00, 0xA0, 0x00, 0x40}));
}

TEST_F(CgmWriterTest, OnePointPolylineAndPlotTransform) {
  surface_.pageWidth = 800;
  surface_.pageHeight = 600;
  surface_.sx = 2;
  surface_.ox = 100;
  surface_.sy = -3;
  surface_.oy = 600;
  // (100, 100) -> device (300, 300) -> VDC (3925, 3900)
  EXPECT_DOUBLE_EQ(cgm_.VdcFromPlotX(100), 3925);
  EXPECT_DOUBLE_EQ(cgm_.VdcFromPlotY(100), 3900);
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(100, 100);
  cgm_.CgmClose();
  Bytes want;
  Put(want, {0x403F, 4, 3925, 3900, 0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, CornerOfSurfaceAndNegativeValues) {
  surface_.pageWidth = 640;
  surface_.pageHeight = 480;
  EXPECT_DOUBLE_EQ(cgm_.VdcFromDeviceX(640), 10300);
  EXPECT_DOUBLE_EQ(cgm_.VdcFromDeviceY(0), 7700);
  EXPECT_DOUBLE_EQ(cgm_.VdcFromDeviceX(0), 100);
  EXPECT_DOUBLE_EQ(cgm_.VdcFromDeviceY(480), 100);
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  const double xs[] = {cgm_.VdcFromDeviceX(640), -0.7, 1e9};
  const double ys[] = {cgm_.VdcFromDeviceY(0), -1.5, -1e9};
  cgm_.CgmPolyline(xs, ys, 3, false);
  cgm_.CgmClose();
  Bytes want;
  // Far-off points are pinned to the 16-bit range, not wrapped.
  Put(want, {0x402C, 10300, 7700, 0x0000, 0xFFFF, 0x7FFF, 0x8000, 0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, PolylineShortAndLongForm) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  double xs[8], ys[8];
  for (int i = 0; i < 8; ++i) {
    xs[i] = 10 * i;
    ys[i] = 10 * i + 1;
  }
  cgm_.CgmPolyline(xs, ys, 7, false);
  cgm_.CgmPolyline(xs, ys, 8, false);
  cgm_.CgmClose();
  Bytes want;
  Put(want, {0x403C});
  for (int i = 0; i < 7; ++i) Put(want, {10 * i, 10 * i + 1});
  Put(want, {0x403F, 32});
  for (int i = 0; i < 8; ++i) Put(want, {10 * i, 10 * i + 1});
  Put(want, {0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, TextShortAndLongForm) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmText(1000, 2000, "10");
  cgm_.CgmText(1, 2, std::string(23, 'a'));
  cgm_.CgmText(1, 2, std::string(24, 'b'));
  cgm_.CgmClose();
  Bytes want = {0x40, 0x8A, 0x03, 0xE8, 0x07, 0xD0, 0x00, 0x01, 0x02, 0x31, 0x30, 0x00};
  Put(want, {0x409E, 1, 2, 1});
  want.push_back(23);
  PutText(want, std::string(23, 'a'));
  Put(want, {0x409F, 32, 1, 2, 1});
  want.push_back(24);
  PutText(want, std::string(24, 'b'));
  want.push_back(0);
  Put(want, {0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, AttributeElements) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmCharacterOrientation(0);
  cgm_.CgmCharacterOrientation(90);
  cgm_.CgmCharacterOrientation(270);
  cgm_.CgmLineColour(0x12, 0x34, 300);
  cgm_.CgmTextColour(1, 2, 3);
  cgm_.CgmCharacterHeight(14 * 1000 / 72);
  cgm_.CgmTextAlignment(2, 3);
  cgm_.CgmTextFont(2);
  cgm_.CgmClose();
  Bytes want;
  Put(want, {0x5208, 0, 1024, 1024, 0});
  Put(want, {0x5208, 0xFC00, 0, 0, 1024});
  Put(want, {0x5208, 1024, 0, 0, 0xFC00});
  Put(want, {0x5086, 0x12, 0x34, 255});
  Put(want, {0x51C6, 1, 2, 3, 0x51E2, 194, 0x524C, 2, 3, 0, 0, 0, 0, 0x5142, 2});
  Put(want, {0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

// A blown-up run feeds NaN and infinities into the picture: the words stay
// defined and the file stays readable.
TEST_F(CgmWriterTest, NonFiniteValuesGiveDefinedWords) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(nan, inf);      // x unknown: 0; y far below: pinned
  cgm_.CgmLineTo(-inf, nan);
  cgm_.CgmCharacterOrientation(nan);  // no angle: upright text
  cgm_.CgmCharacterOrientation(inf);
  const double xs[] = {nan, inf};
  const double ys[] = {-inf, 0};
  cgm_.CgmPolyline(xs, ys, 2, false);
  cgm_.CgmClose();
  Bytes want;
  Put(want, {0x403F, 8, 0, 0x8000, 0x8000, 0});
  Put(want, {0x5208, 0, 1024, 1024, 0});
  Put(want, {0x5208, 0, 1024, 1024, 0});
  Put(want, {0x4028, 0, 0x8000, 0x7FFF, 0});
  Put(want, {0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, LongTraceSplitsAtTheLengthLimit) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(0, 0);
  for (int i = 1; i < 9000; ++i) cgm_.CgmLineTo(i % 4000, i % 3000);
  cgm_.CgmClose();
  const std::vector<Element> all = Elements(ReadAll(file_));
  std::vector<Element> lines;
  for (const Element& e : all) {
    if (e.cls == 4 && e.id == 1) lines.push_back(e);
  }
  ASSERT_EQ(lines.size(), 2u);
  const auto first = Points(lines[0]);
  const auto second = Points(lines[1]);
  ASSERT_EQ(first.size(), 8191u);
  ASSERT_EQ(second.size(), 9000u - 8191u + 1u);
  EXPECT_EQ(second.front(), first.back());  // continues without a gap
  EXPECT_EQ(second.back(), std::make_pair(static_cast<int>(8999 % 4000 * 10200 / 4000.0 + 100),
                                          static_cast<int>((4000 - 8999 % 3000) * 7600 / 4000.0 + 100)));

  // The same through CgmPolyline.
  std::vector<double> xs(20000), ys(20000);
  for (int i = 0; i < 20000; ++i) {
    xs[i] = i % 10000;
    ys[i] = i / 10000;
  }
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmPolyline(xs.data(), ys.data(), 20000, false);
  cgm_.CgmClose();
  std::size_t total = 0;
  std::pair<int, int> previousEnd{-1, -1};
  int count = 0;
  for (const Element& e : Elements(ReadAll(file_))) {
    if (e.cls != 4 || e.id != 1) continue;
    const auto pts = Points(e);
    EXPECT_LE(pts.size(), 8191u);
    if (count++ > 0) {
      EXPECT_EQ(pts.front(), previousEnd);
    }
    previousEnd = pts.back();
    total += pts.size();
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(total, 20000u + 2u);
}

TEST_F(CgmWriterTest, LineToAfterAnotherElementStartsAFreshPolyline) {
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(0, 4000);          // VDC (100, 100)
  cgm_.CgmLineTo(4000, 4000);       // (10300, 100)
  cgm_.CgmLineColour(255, 0, 0);    // between two points of one trace
  cgm_.CgmLineTo(4000, 0);          // (10300, 7700)
  cgm_.CgmClose();
  Bytes want;
  Put(want, {0x403F, 8, 100, 100, 10300, 100});
  Put(want, {0x5086, 255, 0, 0});
  Put(want, {0x403F, 8, 10300, 100, 10300, 7700});
  Put(want, {0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, ReopeningFinishesTheAbandonedFile) {
  const fs::path other = dir_ / "other.cgm";
  ASSERT_TRUE(cgm_.CgmOpen(other.string()));
  cgm_.CgmMoveTo(0, 0);
  cgm_.CgmLineTo(10, 10);  // a stopped run: no CgmClose
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(2000, 2000);
  cgm_.CgmClose();

  const Bytes old = ReadAll(other);
  const std::vector<Element> oldElements = Elements(old);
  ASSERT_GE(oldElements.size(), 3u);
  EXPECT_EQ(Points(oldElements[oldElements.size() - 3]).size(), 2u);
  EXPECT_EQ(oldElements.back().id, 2);  // END METAFILE
  Bytes want;
  Put(want, {0x403F, 4, 5200, 3900, 0x00A0, 0x0040});
  EXPECT_EQ(Body(), want);
}

TEST_F(CgmWriterTest, PreviousFileStaysUntilTheNewOneIsComplete) {
  { std::ofstream(file_, std::ios::binary) << "old picture"; }
  ASSERT_TRUE(cgm_.CgmOpen(file_.string()));
  cgm_.CgmMoveTo(1, 1);
  EXPECT_EQ(ReadAll(file_), (Bytes{'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
  cgm_.CgmClose();
  EXPECT_EQ(fs::file_size(file_), 388u + 8u + 4u);  // one-point polyline, ends
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1);  // no temporary file left behind
}

TEST_F(CgmWriterTest, UnopenableFileLeavesTheWriterClosed) {
  EXPECT_FALSE(cgm_.CgmOpen((dir_ / "missing" / "vt.cgm").string()));
  EXPECT_FALSE(cgm_.Active());
  EXPECT_FALSE(cgm_.CgmOpen(""));
  // Without an open file every operation is a harmless no-op.
  cgm_.CgmMoveTo(1, 1);
  cgm_.CgmLineTo(2, 2);
  cgm_.CgmText(0, 0, "x");
  EXPECT_FALSE(cgm_.CgmClose());
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(CgmWriterTest, LongNamesAndTextsAreCut) {
  const std::string longName = std::string(60, 'n') + ".cgm";
  const fs::path target = dir_ / longName;
  ASSERT_TRUE(cgm_.CgmOpen(target.string()));
  cgm_.CgmText(0, 0, std::string(300, 't'));
  const double one = 1;
  cgm_.CgmPolyline(&one, &one, 0, false);        // nothing
  cgm_.CgmPolyline(nullptr, nullptr, 5, false);  // nothing
  cgm_.CgmClose();
  const std::vector<Element> all = Elements(ReadAll(target));
  ASSERT_FALSE(all.empty());
  ASSERT_EQ(all[0].data.size(), 52u);  // count byte, 50 characters, padding
  EXPECT_EQ(all[0].data[0], 50);
  EXPECT_EQ(std::string(all[0].data.begin() + 1, all[0].data.begin() + 51), longName.substr(0, 50));
  const Element& text = all[all.size() - 3];
  EXPECT_EQ(text.cls, 4);
  EXPECT_EQ(text.id, 4);
  EXPECT_EQ(text.data[6], 254);
  EXPECT_EQ(text.data.size(), 6u + 256u);
}

}  // namespace
}  // namespace vantor
