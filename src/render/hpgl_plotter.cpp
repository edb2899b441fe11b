#include "vantor/render/hpgl_plotter.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <limits>
#include <utility>

#include "vantor/render/text_align.h"

namespace vantor {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kEtx = '\x03';
constexpr double kPi = 3.141592653589793;
// A trace of thousands of points stays readable in the file.
constexpr int kPointsPerLine = 8;

// Labels on a pen plotter get an absolute size. The relative size a plotter
// starts with is a share of the distance from P1 to P2, and P1 lies right of
// P2 in this header, so relative-size labels would come out mirrored. At 14
// points the absolute size equals that starting size (0.75 and 1.5 per cent
// of the 8128 by 10160 unit area, in centimetres); other sizes scale with it,
// so the 7-point parameter listing stays within the page.
constexpr double kPenSizePoints = 14;
constexpr double kPenCharWidthCm = 0.1524;
constexpr double kPenCharHeightCm = 0.381;

struct PenColour {
  int r, g, b;
};
// Pens 1..8 of the carousel, in pen number order.
constexpr PenColour kPens[] = {
    {0, 0, 0},       // 1 black
    {255, 0, 0},     // 2 red
    {0, 255, 0},     // 3 green
    {0, 0, 255},     // 4 blue
    {0, 255, 255},   // 5 cyan
    {255, 0, 255},   // 6 magenta
    {255, 255, 0},   // 7 yellow
    {128, 128, 128}  // 8 grey
};
constexpr int kBlackPen = 1;
constexpr int kFirstHuePen = 2;
constexpr int kLastHuePen = 7;
constexpr int kGreyPen = 8;
// Colours whose components differ by less than this look grey on paper.
constexpr int kGreyChroma = 48;
constexpr int kLightGrey = 160;

// Coordinates and sizes as printed; a value that is not a number would make
// the plotter reject the command, so it is written as 0.
double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string s;
  if (n > 0) {
    s.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(s.data(), s.size(), format, again);
    s.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return s;
}

// A label as the plotter's standard character set (ASCII) can show it. A
// control byte inside a label would end it (ETX) or start a printer command
// (ESC), so it becomes a blank. Above 127 the plotter shows other letters
// than ours (the micro sign came out as a c cedilla), so the signs pictures
// use are spelt in ASCII and anything else becomes "?".
std::string LabelText(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      s += ' ';
    } else if (b < 0x80) {
      s += c;
    } else if (b == 0xE6 || b == 0xB5) {  // micro sign, code page 437 and ANSI
      s += 'u';
    } else if (b == 0xF8 || b == 0xB0) {  // degree sign
      s += "deg";
    } else if (b == 0xE1 || b == 0xDF) {  // sharp s
      s += "ss";
    } else {
      s += '?';
    }
  }
  return s;
}

}  // namespace

HpglPlotter::~HpglPlotter() {
  if (Active()) ClosePlotter();
}

int HpglPlotter::PenNumber(std::uint32_t colour) {
  const int r = static_cast<int>(colour & 0xFF);
  const int g = static_cast<int>((colour >> 8) & 0xFF);
  const int b = static_cast<int>((colour >> 16) & 0xFF);
  const int hi = std::max({r, g, b});
  const int lo = std::min({r, g, b});
  if (hi - lo < kGreyChroma) return hi < kLightGrey ? kBlackPen : kGreyPen;
  // Inks are saturated: compare the colour brought to full brightness, so a
  // navy trace gets the blue pen rather than the black one.
  const double scale = 255.0 / hi;
  int best = kFirstHuePen;
  double bestDistance = std::numeric_limits<double>::max();
  for (int pen = kFirstHuePen; pen <= kLastHuePen; ++pen) {
    const PenColour& p = kPens[pen - 1];
    const double dr = r * scale - p.r, dg = g * scale - p.g, db = b * scale - p.b;
    const double d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = pen;
    }
  }
  return best;
}

std::string HpglPlotter::DeviceName(std::string_view name) {
  if (name.size() == 4 && (name[0] == 'L' || name[0] == 'l') && (name[1] == 'P' || name[1] == 'p') &&
      (name[2] == 'T' || name[2] == 't') && name[3] == '1') {
    std::error_code ec;
    if (!std::filesystem::exists("/dev/lp0", ec) && std::filesystem::exists("/dev/usb/lp0", ec)) {
      return "/dev/usb/lp0";
    }
    return "/dev/lp0";
  }
  return std::string(name);
}

bool HpglPlotter::OpenPlotter(const std::string& name, bool laserJet, Messages& messages) {
  // A stopped run leaves its destination open; end that job cleanly (a
  // LaserJet would otherwise stay in HP-GL/2 mode) before starting anew.
  if (Active()) ClosePlotter();
  const std::string device = DeviceName(name);
  // Ports and other device files cannot be replaced by a renamed file.
  std::error_code ec;
  const bool isPort = device != name || std::filesystem::is_character_file(device, ec) ||
                      std::filesystem::is_fifo(device, ec);
  const bool opened = isPort ? out_.OpenDevice(device) : out_.Open(device);
  if (!opened) {
    messages.Warn(kErrorCaption, "Couldn't open the plotter file!");
    return false;
  }
  laserJet_ = laserJet;
  headerDone_ = false;
  pending_.clear();
  pen_ = 0;
  lineStyle_ = 0;
  pointsOnLine_ = 0;
  return true;
}

bool HpglPlotter::ClosePlotter() {
  if (!Active()) return false;
  if (!headerDone_) {
    // No axis was drawn, so there is no page size for a header: keep what
    // was drawn rather than lose it.
    headerDone_ = true;
    Emit(pending_);
    pending_.clear();
  }
  if (laserJet_) {
    Emit(std::string{kEsc} + "%1A" + kEsc + "E");
  }
  headerDone_ = false;
  return out_.Commit();
}

void HpglPlotter::Emit(std::string_view text) {
  if (!Active()) return;
  if (!headerDone_) {
    pending_ += text;
    return;
  }
  std::FILE* f = out_.Stream();
  for (char c : text) {
    if (c == '\n') std::fputc('\r', f);
    std::fputc(c, f);
  }
}

void HpglPlotter::WriteHeader(double pageWidth, double pageHeight) {
  if (!Active() || headerDone_) return;
  headerDone_ = true;
  if (laserJet_) {
    Emit(std::string{kEsc} + "E" + kEsc + "&l1O" + kEsc + "%1B\n");
  }
  Emit(Printf("IN;RO90;IP8128,0,0,10160;DI1,0;SP1;FT1;PW0.2;\nSC%.0f,%.0f,%.0f,%.0f;",
              Finite(pageWidth), 0.0, Finite(pageHeight), 0.0));
  if (laserJet_) {
    Emit("SD1,21,2,1,4,14,5,0,6,0,7,4148;SS;LA2,4;");
  } else {
    Emit(PenCharSize(kPenSizePoints));
  }
  // Commands that came before the header follow it; the header selected
  // pen 1 unless one of them chose another.
  const int held = pen_;
  pen_ = 1;
  if (!pending_.empty()) {
    Emit(pending_);
    pending_.clear();
    if (held != 0) pen_ = held;
  }
}

void HpglPlotter::Line(double x1, double y1, double x2, double y2) {
  if (!Active()) return;
  pointsOnLine_ = 0;
  lastPoint_.clear();
  Emit(Printf("\nPU%.2f,%.2f;PD%.2f,%.2f;PU;", Finite(x1), Finite(y1), Finite(x2), Finite(y2)));
}

void HpglPlotter::PolylineMove(double x, double y) {
  if (!Active()) return;
  pointsOnLine_ = 0;
  lastPoint_ = Printf("%.2f,%.2f", Finite(x), Finite(y));
  Emit("\nPU" + lastPoint_ + ";");
}

void HpglPlotter::PolylineLine(double x, double y) {
  if (!Active()) return;
  // Samples closer together than the file's resolution would make
  // zero-length strokes, which readers warn about and plotters dot.
  std::string point = Printf("%.2f,%.2f", Finite(x), Finite(y));
  if (point == lastPoint_) return;
  lastPoint_ = std::move(point);
  if (pointsOnLine_ == kPointsPerLine) {
    Emit("\n");
    pointsOnLine_ = 0;
  }
  ++pointsOnLine_;
  Emit("PD" + lastPoint_ + ";");
}

void HpglPlotter::Text(double x, double y, std::string_view text, int rotation, int h, int v) {
  if (!Active()) return;
  lastPoint_.clear();
  const std::string label = LabelText(text);
  const double a = rotation * 90.0 * kPi / 180.0;
  std::string s = Printf("DI%f,%f;", std::cos(a), std::sin(a));
  s += Printf("PU%f,%f;", Finite(x), Finite(y));
  if (laserJet_) {
    const int column = (h == text_align::Centre) ? 1 : (h == text_align::Right ? 2 : 0);
    const int row = (v == text_align::Top) ? 2 : (v == text_align::Middle ? 1 : 0);
    s += Printf("LO%d;", 11 + 3 * column + row);
  } else {
    const double n = static_cast<double>(label.size());
    const double dx = (h == text_align::Centre) ? -n / 2 : (h == text_align::Right ? -n : 0.0);
    const double dy = (v == text_align::Top) ? -0.5 : (v == text_align::Middle ? -0.25 : 0.0);
    s += Printf("CP%f,%f;", dx, dy);
  }
  s += "LB";
  s += label;
  s += kEtx;
  Emit(s);
}

void HpglPlotter::Pen(std::uint32_t colour) {
  if (!Active()) return;
  const int pen = PenNumber(colour);
  if (pen == pen_) return;
  pen_ = pen;
  Emit(Printf("SP%d;", pen));
}

void HpglPlotter::LineStyle(int style) {
  if (!Active() || style == lineStyle_) return;
  lineStyle_ = style;
  // LT2 draws dashes, LT1 short dashes that read as dots, LT alone solid.
  Emit(style == 1 ? "LT2;" : (style == 2 ? "LT1;" : "LT;"));
}

void HpglPlotter::CharSize(double points) {
  if (!Active()) return;
  if (laserJet_) {
    Emit(Printf("SD1,21,2,1,4,%f,6,0,7,4148;SS;\n", Finite(points)));
  } else if (std::isfinite(points) && points > 0) {
    Emit(PenCharSize(points));
  }
}

std::string HpglPlotter::PenCharSize(double points) {
  const double scale = std::min(points, 1000.0) / kPenSizePoints;
  return Printf("SI%.4f,%.4f;", kPenCharWidthCm * scale, kPenCharHeightCm * scale);
}

}  // namespace vantor
