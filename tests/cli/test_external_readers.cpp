// The plotter file and the metafile of a run, read back by programs that did
// not write them: hp2xx for the HP-GL, LibreOffice for the CGM. A reader
// that is not installed skips its test and says so.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "params/file_fixture.h"

namespace {

using vantor::testing::ReadAll;
using vantor::testing::ScratchDir;
using vantor::testing::WriteAll;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

struct Shell {
  int status = -1;
  std::string err;
};

// Runs `command` in `dir` through the shell; standard error is kept.
Shell RunIn(const std::filesystem::path& dir, const std::string& command) {
  const std::string errPath = (dir / "stderr.txt").string();
  const std::string line =
      "cd " + Quoted(dir.string()) + " && " + command + " >/dev/null 2>" + Quoted(errPath);
  const int raw = std::system(line.c_str());
  Shell result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.err = ReadAll(errPath);
  std::filesystem::remove(errPath);
  return result;
}

bool Installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Pixels of a rendered page: anything not near white, the red of the V-m
// axis and its labels (the default voltage colour), and the dark traces.
struct Ink {
  long drawn = 0, red = 0, dark = 0, total = 0;
};

Ink MeasureInk(const QImage& image) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      ++ink.total;
      if (c.red() < 230 || c.green() < 230 || c.blue() < 230) ++ink.drawn;
      if (c.red() > 150 && c.green() < 110 && c.blue() < 110) ++ink.red;
      if (c.red() < 110 && c.green() < 110 && c.blue() < 110) ++ink.dark;
    }
  }
  return ink;
}

// One run of the command line for all readers: built-in parameters, the
// plotter file and the metafile.
class ExternalReaders : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<ScratchDir>();
    run_ = RunIn(dir_->Path(), Quoted(VANTOR_BIN_DIR "/vantor-cli") +
                                   " run --plt vt.plt --cgm vt.cgm");
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static ::testing::AssertionResult RunWrote(const std::string& name) {
    if (run_.status != 0)
      return ::testing::AssertionFailure() << "vantor-cli run gave " << run_.status << ": " << run_.err;
    std::error_code error;
    const auto size = std::filesystem::file_size(dir_->Path() / name, error);
    if (error || size < 400) return ::testing::AssertionFailure() << name << " is missing or short";
    return ::testing::AssertionSuccess();
  }

  static std::unique_ptr<ScratchDir> dir_;
  static Shell run_;
};

std::unique_ptr<ScratchDir> ExternalReaders::dir_;
Shell ExternalReaders::run_;

// hp2xx reports every command it does not understand or cannot carry out;
// the lines of its closing summary that merely count them are not faults.
std::vector<std::string> Complaints(const std::string& log) {
  std::vector<std::string> found;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (Contains(line, "HPGL command(s) ignored:") || Contains(line, "Unexpected event(s):"))
      continue;
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* word : {"warning", "error", "illegal", "ignored", "unknown", "invalid",
                             "unexpected", "replaced"}) {
      if (Contains(lower, word)) {
        found.push_back(line);
        break;
      }
    }
  }
  return found;
}

TEST_F(ExternalReaders, Hp2xxDrawsThePlotterFile) {
  if (!Installed("hp2xx")) GTEST_SKIP() << "hp2xx is not installed (scripts/deps.sh installs it)";
  ASSERT_TRUE(RunWrote("vt.plt"));
  // Pens 1 .. 8 in hp2xx's own colours (it draws in black alone without -c).
  const Shell conversion = RunIn(dir_->Path(), "hp2xx -m png -c 12345671 -f hp.png vt.plt");
  ASSERT_EQ(conversion.status, 0) << conversion.err;
  EXPECT_TRUE(Contains(conversion.err, "HPGL command(s) ignored: 0")) << conversion.err;
  EXPECT_TRUE(Contains(conversion.err, "Unexpected event(s):  0")) << conversion.err;
  EXPECT_EQ(Complaints(conversion.err), std::vector<std::string>{}) << conversion.err;

  // The header scales the page onto the plotter area between P1 (8128, 0)
  // and P2 (0, 10160): the whole picture, labels included, lies in it and
  // fills most of it. hp2xx reports the range turned by the RO90 rotation,
  // so only the extents are compared.
  const std::size_t at = conversion.err.find("Coordinate range: (");
  ASSERT_NE(at, std::string::npos) << conversion.err;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_EQ(std::sscanf(conversion.err.c_str() + at, "Coordinate range: (%lf, %lf) ... (%lf, %lf)",
                        &x0, &y0, &x1, &y1),
            4)
      << conversion.err.substr(at, 80);
  const double across = std::min(x1 - x0, y1 - y0), along = std::max(x1 - x0, y1 - y0);
  const double slack = 1.02;
  EXPECT_LE(along, 10160 * slack) << conversion.err.substr(at, 80);
  EXPECT_LE(across, 8128 * slack) << conversion.err.substr(at, 80);
  EXPECT_GT(along, 10160 * 0.8) << conversion.err.substr(at, 80);
  EXPECT_GT(across, 8128 * 0.8) << conversion.err.substr(at, 80);
  for (const double v : {x0, y0, x1, y1}) EXPECT_LE(std::abs(v), 10160 * slack);

  const QImage picture(QString::fromStdString((dir_->Path() / "hp.png").string()));
  ASSERT_FALSE(picture.isNull());
  const Ink ink = MeasureInk(picture);
  EXPECT_GT(ink.drawn, ink.total / 200) << ink.drawn << " of " << ink.total;
  EXPECT_GT(ink.red, 200) << "the V-m axis takes the red pen";
  EXPECT_GT(ink.dark, 1000) << "the traces take the black pen";
}

// Walks the elements of a binary CGM. Returns false when a header or length
// runs past the end or the file does not end with END PICTURE, END METAFILE.
// `edit` may change each element's parameter bytes before they are copied
// to `out`.
template <typename Edit>
bool CopyElements(const std::string& in, std::string& out, Edit edit) {
  std::size_t i = 0;
  int lastCode = -1, beforeLast = -1;
  while (i + 2 <= in.size()) {
    const int head = (static_cast<unsigned char>(in[i]) << 8) | static_cast<unsigned char>(in[i + 1]);
    std::size_t length = head & 31, start = i + 2;
    const bool longForm = length == 31;
    if (longForm) {
      if (start + 2 > in.size()) return false;
      length = (static_cast<unsigned char>(in[start]) << 8) | static_cast<unsigned char>(in[start + 1]);
      if (length & 0x8000) return false;  // partitioned: never written here
      start += 2;
    }
    const std::size_t end = start + length + (length % 2);
    if (end > in.size()) return false;
    const int code = head >> 5;  // class and id
    std::string parameters = in.substr(start, length);
    edit(code, parameters);
    // A polyline begun point by point keeps the long form even when short.
    const bool writeLong = longForm || parameters.size() >= 31;
    const int newHead = (head & ~31) | (writeLong ? 31 : static_cast<int>(parameters.size()));
    out += static_cast<char>(newHead >> 8);
    out += static_cast<char>(newHead & 0xFF);
    if (writeLong) {
      out += static_cast<char>(parameters.size() >> 8);
      out += static_cast<char>(parameters.size() & 0xFF);
    }
    out += parameters;
    if (parameters.size() % 2 != 0) out += '\0';
    beforeLast = lastCode;
    lastCode = code;
    i = end;
  }
  constexpr int kEndPicture = (0 << 7) | 5, kEndMetafile = (0 << 7) | 2;
  return i == in.size() && beforeLast == kEndPicture && lastCode == kEndMetafile;
}

// What LibreOffice's CGM import (7.4) cannot load, found by cutting real
// files down element by element:
// - any TEXT or RESTRICTED TEXT drawn while the base vector of CHARACTER
//   ORIENTATION points anywhere but along +x. Every angle fails, even
//   base (32767, 1), whatever the up vector, precisions, element list, VDC
//   extent or order of the attribute elements; the same orientation with no
//   text after it loads. (The import turns its text shapes by setting
//   "RotationPointX", a property name that no other library of the suite
//   knows, so the setting throws and the whole import is abandoned.) The
//   standard has no other way to turn text, and the V-m axis title is
//   always turned (270 degrees);
// - a string whose count byte is 128 or more (also the long string form),
//   as in a parameter listing line, and APPEND TEXT of any length.
// Where it loads, it also centres every text on its point whatever the
// horizontal alignment, places "half" aligned text by its x coordinate
// instead of its y (the tick labels end up off the page), and scales the
// VDC extent as if onto 28 x 21 cm while its page is 28 x 15.75 cm, so the
// bottom quarter of our 10200 x 7600 picture falls off. None of these comes
// from the file.
struct LibreOfficeLimits {
  bool turnedText = false;
  bool longText = false;
};

// Walks `cgm` as CopyElements does and notes which of the limits its TEXT
// elements meet (the only text element written here).
bool FindLibreOfficeLimits(const std::string& cgm, LibreOfficeLimits& found) {
  constexpr int kText = (4 << 7) | 4, kOrientation = (5 << 7) | 16;
  bool turned = false;
  std::string unused;
  return CopyElements(cgm, unused, [&](int code, std::string& p) {
    const auto byte = [&p](std::size_t k) { return static_cast<unsigned char>(p[k]); };
    if (code == kOrientation && p.size() == 8) {
      const int baseX = static_cast<std::int16_t>((byte(4) << 8) | byte(5));
      const int baseY = static_cast<std::int16_t>((byte(6) << 8) | byte(7));
      turned = !(baseX > 0 && baseY == 0);
    }
    if (code != kText) return;
    if (turned) found.turnedText = true;
    if (p.size() > 6 && byte(6) > 127) found.longText = true;
  });
}

// A copy that LibreOffice can read: every CHARACTER ORIENTATION upright and
// every TEXT cut to 127 characters, so that the rest of the picture is seen.
bool UprightShortTextCopy(const std::string& in, std::string& out) {
  constexpr int kText = (4 << 7) | 4, kOrientation = (5 << 7) | 16;
  return CopyElements(in, out, [](int code, std::string& p) {
    if (code == kOrientation && p.size() == 8) p = std::string("\0\0\x04\0\x04\0\0\0", 8);
    if (code == kText && p.size() > 7 && static_cast<unsigned char>(p[6]) > 127) {
      p = p.substr(0, 6) + static_cast<char>(127) + p.substr(7, 127);
    }
  });
}

TEST_F(ExternalReaders, CgmIsSoundlyFramed) {
  ASSERT_TRUE(RunWrote("vt.cgm"));
  const std::string cgm = ReadAll((dir_->Path() / "vt.cgm").string());
  std::string copy;
  EXPECT_TRUE(CopyElements(cgm, copy, [](int, std::string&) {}));
  EXPECT_EQ(copy, cgm);  // every element re-encodes to the same bytes
}

TEST_F(ExternalReaders, LibreOfficeReadsTheMetafile) {
  if (!Installed("soffice"))
    GTEST_SKIP() << "LibreOffice is not installed (soffice; its CGM import needs "
                    "libreoffice-draw and libreoffice-impress)";
  ASSERT_TRUE(RunWrote("vt.cgm"));
  const std::filesystem::path dir = dir_->Path();
  const std::string convert = "timeout 120 soffice " +
                              Quoted("-env:UserInstallation=file://" + (dir / "lo-profile").string()) +
                              " --headless --convert-to pdf --outdir pdf ";
  Shell conversion = RunIn(dir, convert + "vt.cgm");
  ASSERT_EQ(conversion.status, 0) << conversion.err;
  std::string pdf = "vt";
  if (!std::filesystem::exists(dir / "pdf" / "vt.pdf")) {
    // soffice says "source file could not be loaded" and still exits 0. That
    // is only excused by what the import is known to fail on; any other
    // refusal is a fault of the file.
    const std::string cgm = ReadAll((dir / "vt.cgm").string());
    LibreOfficeLimits limits;
    ASSERT_TRUE(FindLibreOfficeLimits(cgm, limits));
    ASSERT_TRUE(limits.turnedText || limits.longText)
        << "LibreOffice refused vt.cgm, which holds neither turned text nor a text of more than "
           "127 characters: "
        << conversion.err;
    std::string copy;
    ASSERT_TRUE(UprightShortTextCopy(cgm, copy));
    WriteAll((dir / "vt-upright.cgm").string(), copy);
    std::cout << "[   NOTE   ] LibreOffice's CGM import abandons any file with "
              << (limits.turnedText ? "text under a turned CHARACTER ORIENTATION (the V-m axis title)"
                                    : "")
              << (limits.turnedText && limits.longText ? " or " : "")
              << (limits.longText ? "a TEXT of more than 127 characters" : "")
              << ", so it did not load vt.cgm; reading a copy with upright and shortened texts\n";
    conversion = RunIn(dir, convert + "vt-upright.cgm");
    ASSERT_EQ(conversion.status, 0) << conversion.err;
    ASSERT_TRUE(std::filesystem::exists(dir / "pdf" / "vt-upright.pdf"))
        << "LibreOffice refused even the upright copy: " << conversion.err;
    pdf = "vt-upright";
  }
  const std::filesystem::path pdfPath = dir / "pdf" / (pdf + ".pdf");
  ASSERT_TRUE(std::filesystem::exists(pdfPath)) << conversion.err;
  const std::string document = ReadAll(pdfPath.string());
  EXPECT_EQ(document.substr(0, 5), "%PDF-");
  EXPECT_GT(document.size(), 5000u);

  if (!Installed("pdftoppm")) {
    std::cout << "[   NOTE   ] pdftoppm is not installed (poppler-utils): the page is not rendered\n";
    return;
  }
  const Shell render =
      RunIn(dir, "pdftoppm -png -r 60 -f 1 -l 1 -singlefile " + Quoted(pdfPath.string()) + " page");
  ASSERT_EQ(render.status, 0) << render.err;
  const QImage page(QString::fromStdString((dir / "page.png").string()));
  ASSERT_FALSE(page.isNull());
  const Ink ink = MeasureInk(page);
  EXPECT_GT(ink.drawn, ink.total / 200) << ink.drawn << " of " << ink.total;
  // Red is the low byte of the program's colours: a metafile with the
  // components swapped would show the axis and its labels blue.
  EXPECT_GT(ink.red, 200) << "the V-m axis and the labels are red";
  EXPECT_GT(ink.dark, 100) << "the traces are dark grey";
}

}  // namespace
