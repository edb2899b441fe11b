#include "vantor/render/cgm_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantor {

namespace {

// The VDC extent declared in the picture descriptor; the surface maps onto
// it with a margin of 100 at the left and bottom.
constexpr double kVdcWidth = 10200;
constexpr double kVdcHeight = 7600;
constexpr double kVdcMargin = 100;

// A long-form length is 15 bits: 8191 points of 4 bytes fit one POLYLINE.
constexpr int kMaxPolylinePoints = 8191;
constexpr int kMaxPolylineBytes = 4 * kMaxPolylinePoints;
// A string's count byte of 255 would announce the long string form.
constexpr std::size_t kMaxTextChars = 254;
constexpr std::size_t kMaxNameChars = 50;

constexpr int kShortFormLimit = 30;
constexpr int kLongFormMark = 31;
constexpr double kPi = 3.141592653589793;

// Class/id pairs announced in the METAFILE ELEMENT LIST: a class, then the
// ids written or understood in it.
struct ClassIds {
  int elementClass;
  std::initializer_list<int> ids;
};
const ClassIds kElementList[] = {
    {0, {1, 2, 3, 4, 5}},
    {1, {1, 2, 3, 4, 5, 6, 7, 10, 11, 13}},
    {2, {1, 2, 3, 5, 6, 7}},
    {3, {1, 2}},
    {4, {1, 4, 7, 11, 12}},
    {5, {2, 3, 4, 6, 7, 8, 10, 14, 15, 16, 18, 22, 23, 27, 28, 29, 30}},
};

// Fonts 1 and 2, each string with its own count byte.
constexpr std::string_view kFontList = "\tHelvetica\aTms Rmn";

// Truncation toward zero, kept inside the 16-bit range (a point far off
// the surface is pinned to the edge of the coordinate space rather than
// wrapped around to the other side).
std::int16_t ToWord(double v) {
  if (std::isnan(v)) return 0;
  v = std::trunc(v);
  return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
}

int ColourComponent(int c) { return std::clamp(c, 0, 255); }

// The metafile names itself by the file's own name, not the folder it
// happens to be written to.
std::string_view MetafileName(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  if (slash != std::string_view::npos && slash + 1 < fileName.size()) {
    fileName.remove_prefix(slash + 1);
  }
  return fileName.substr(0, kMaxNameChars);
}

}  // namespace

CgmWriter::CgmWriter(const SurfaceTransform& surface, TemporaryFiles* temporaries)
    : surface_(surface), file_(temporaries) {}

CgmWriter::~CgmWriter() {
  if (Active()) CgmClose();
}

double CgmWriter::VdcFromDeviceX(double dx) const {
  return dx * kVdcWidth / surface_.pageWidth + kVdcMargin;
}

double CgmWriter::VdcFromDeviceY(double dy) const {
  return (surface_.pageHeight - dy) * kVdcHeight / surface_.pageHeight + kVdcMargin;
}

double CgmWriter::VdcFromPlotX(double x) const {
  return VdcFromDeviceX(surface_.sx * x + surface_.ox);
}

double CgmWriter::VdcFromPlotY(double y) const {
  return VdcFromDeviceY(surface_.sy * y + surface_.oy);
}

void CgmWriter::WriteWord(std::int64_t value) {
  const auto word = static_cast<std::uint16_t>(value);
  std::FILE* f = file_.Stream();
  std::fputc(word >> 8, f);
  std::fputc(word & 0xFF, f);
}

void CgmWriter::WriteVdc(double value) { WriteWord(ToWord(value)); }

void CgmWriter::WriteHeader(int elementClass, int id, int length) {
  const int head = (elementClass << 12) | (id << 5);
  if (length <= kShortFormLimit) {
    WriteWord(head | length);
  } else {
    WriteWord(head | kLongFormMark);
    WriteWord(length);
  }
}

void CgmWriter::WriteElement(int elementClass, int id,
                             std::initializer_list<std::int64_t> words) {
  WriteHeader(elementClass, id, static_cast<int>(2 * words.size()));
  for (std::int64_t w : words) WriteWord(w);
}

void CgmWriter::WriteString(std::string_view text) {
  std::FILE* f = file_.Stream();
  std::fputc(static_cast<int>(text.size()), f);
  // An empty view may have no data at all, and fwrite takes none.
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
  if ((text.size() + 1) % 2 != 0) std::fputc(0, f);
}

void CgmWriter::WriteStringElement(int elementClass, int id, std::string_view text) {
  WriteHeader(elementClass, id, static_cast<int>(2 * ((text.size() + 2) / 2)));
  WriteString(text);
}

void CgmWriter::WriteElementList() {
  int pairs = 0;
  for (const ClassIds& c : kElementList) pairs += static_cast<int>(c.ids.size());
  WriteHeader(1, 11, 2 * (1 + 2 * pairs));
  WriteWord(pairs);
  for (const ClassIds& c : kElementList) {
    for (int id : c.ids) {
      WriteWord(c.elementClass);
      WriteWord(id);
    }
  }
}

void CgmWriter::WriteMetafileStart(std::string_view name) {
  WriteStringElement(0, 1, name);                 // BEGIN METAFILE
  WriteElement(1, 1, {1});                        // METAFILE VERSION
  WriteStringElement(1, 2, "WQT CGM VER 1.0");    // METAFILE DESCRIPTION
  WriteElement(1, 3, {0});                        // VDC TYPE integer
  WriteElement(1, 4, {16});                       // INTEGER PRECISION
  WriteElement(1, 5, {1, 16, 16});                // REAL PRECISION fixed 16.16
  WriteElement(1, 6, {16});                       // INDEX PRECISION
  WriteElement(1, 7, {16});                       // COLOUR PRECISION
  WriteElement(1, 10, {0, 0, 0, 255, 255, 255});  // COLOUR VALUE EXTENT
  WriteElementList();
  WriteHeader(1, 13, static_cast<int>(kFontList.size()));  // FONT LIST
  std::fwrite(kFontList.data(), 1, kFontList.size(), file_.Stream());
}

void CgmWriter::BeginPicture(std::string_view name) {
  WriteStringElement(0, 3, name);              // BEGIN PICTURE
  WriteElement(2, 1, {0, 0, 0});               // SCALING MODE abstract, 0.0
  WriteElement(2, 2, {1});                     // COLOUR SELECTION MODE direct
  WriteElement(2, 3, {0});                     // LINE WIDTH mode absolute
  WriteElement(2, 5, {0});                     // EDGE WIDTH mode absolute
  WriteElement(2, 6, {0, 0, static_cast<int>(kVdcWidth), static_cast<int>(kVdcHeight)});
  WriteElement(2, 7, {255, 255, 255});         // BACKGROUND COLOUR white
  WriteElement(0, 4, {});                      // BEGIN PICTURE BODY
  WriteElement(5, 2, {1});                     // LINE TYPE solid
  WriteElement(5, 3, {6});                     // LINE WIDTH
  WriteElement(5, 28, {3});                    // EDGE WIDTH
  WriteElement(5, 27, {1});                    // EDGE TYPE solid
  WriteElement(5, 30, {1});                    // EDGE VISIBILITY on
  WriteElement(5, 4, {0, 0, 0});               // LINE COLOUR black
  CgmCharacterHeight(194);                     // 14 points
  CgmCharacterOrientation(0);
  CgmTextFont(1);
  CgmTextAlignment(1, 4);                      // left, base
}

bool CgmWriter::CgmOpen(const std::string& fileName, const std::string& title) {
  // A run stopped before its end never closed its metafile: finish that one
  // properly so that nothing of it leaks into the new file.
  if (Active()) CgmClose();
  polylineOpen_ = false;
  polylineBytes_ = 0;
  havePoint_ = false;
  failed_ = false;
  if (!file_.Open(fileName)) return false;
  WriteMetafileStart(MetafileName(title.empty() ? fileName : title));
  BeginPicture("picture a");
  return true;
}

bool CgmWriter::CgmClose() {
  if (!Active()) return false;
  FinishPolyline();
  WriteElement(0, 5, {});  // END PICTURE
  WriteElement(0, 2, {});  // END METAFILE
  polylineOpen_ = false;
  havePoint_ = false;
  if (failed_) {
    file_.Abandon();
    return false;
  }
  return file_.Commit();
}

// The header and length of a polyline begun by MoveTo are not known until it
// ends; two placeholder words keep their place and are patched on finishing.
void CgmWriter::BeginPolyline(std::int16_t vx, std::int16_t vy) {
  polylineHeader_ = std::ftell(file_.Stream());
  if (polylineHeader_ < 0) failed_ = true;
  WriteWord(0x0001);
  WriteWord(0x0002);
  WriteWord(vx);
  WriteWord(vy);
  polylineBytes_ = 4;
  polylineOpen_ = true;
  lastX_ = vx;
  lastY_ = vy;
  havePoint_ = true;
}

void CgmWriter::AppendPoint(std::int16_t vx, std::int16_t vy) {
  WriteWord(vx);
  WriteWord(vy);
  polylineBytes_ += 4;
  lastX_ = vx;
  lastY_ = vy;
}

void CgmWriter::FinishPolyline() {
  if (!polylineOpen_) return;
  polylineOpen_ = false;
  std::FILE* f = file_.Stream();
  const long end = std::ftell(f);
  if (end < 0 || polylineHeader_ < 0 || std::fseek(f, polylineHeader_, SEEK_SET) != 0) {
    failed_ = true;
    return;
  }
  WriteWord(0x403F);  // POLYLINE, long form
  WriteWord(polylineBytes_);
  if (std::fseek(f, end, SEEK_SET) != 0) failed_ = true;
}

void CgmWriter::CgmMoveTo(double x, double y) {
  if (!Active()) return;
  FinishPolyline();
  BeginPolyline(ToWord(VdcFromPlotX(x)), ToWord(VdcFromPlotY(y)));
}

void CgmWriter::CgmLineTo(double x, double y) {
  if (!Active()) return;
  const std::int16_t vx = ToWord(VdcFromPlotX(x));
  const std::int16_t vy = ToWord(VdcFromPlotY(y));
  if (!polylineOpen_) {
    // Another element came between: a point appended now would be read as
    // part of that element, so continue the line in a new POLYLINE.
    if (!havePoint_) {
      BeginPolyline(vx, vy);
      return;
    }
    BeginPolyline(lastX_, lastY_);
  } else if (polylineBytes_ + 4 > kMaxPolylineBytes) {
    FinishPolyline();
    BeginPolyline(lastX_, lastY_);
  }
  AppendPoint(vx, vy);
}

void CgmWriter::CgmPolyline(const double* xs, const double* ys, int count, bool mapped) {
  if (!Active()) return;
  FinishPolyline();
  // A POLYLINE without points is no line at all, and a negative count would
  // announce a nonsense length: such a call writes nothing.
  if (count <= 0 || xs == nullptr || ys == nullptr) return;
  // Longer lines go out as several POLYLINEs, each starting at the point
  // where the previous one ended.
  int start = 0;
  for (;;) {
    const int n = std::min(count - start, kMaxPolylinePoints);
    WriteHeader(4, 1, 4 * n);
    for (int i = start; i < start + n; ++i) {
      lastX_ = mapped ? ToWord(VdcFromPlotX(xs[i])) : ToWord(xs[i]);
      lastY_ = mapped ? ToWord(VdcFromPlotY(ys[i])) : ToWord(ys[i]);
      WriteWord(lastX_);
      WriteWord(lastY_);
    }
    havePoint_ = true;
    if (start + n >= count) break;
    start += n - 1;
  }
}

void CgmWriter::CgmText(int vx, int vy, std::string_view text) {
  if (!Active()) return;
  FinishPolyline();
  text = text.substr(0, kMaxTextChars);
  WriteHeader(4, 4, static_cast<int>(6 + 2 * ((text.size() + 2) / 2)));
  WriteVdc(vx);
  WriteVdc(vy);
  WriteWord(1);  // final text
  WriteString(text);
}

// Attribute elements finish an open polyline first: its bytes come out the
// same, and a later LineTo cannot land inside the attribute element.
void CgmWriter::CgmLineColour(int r, int g, int b) {
  if (!Active()) return;
  FinishPolyline();
  WriteElement(5, 4, {ColourComponent(r), ColourComponent(g), ColourComponent(b)});
}

void CgmWriter::CgmTextColour(int r, int g, int b) {
  if (!Active()) return;
  FinishPolyline();
  WriteElement(5, 14, {ColourComponent(r), ColourComponent(g), ColourComponent(b)});
}

void CgmWriter::CgmCharacterHeight(int height) {
  if (!Active()) return;
  FinishPolyline();
  WriteElement(5, 15, {ToWord(height)});
}

void CgmWriter::CgmCharacterOrientation(double angleDegrees) {
  if (!Active()) return;
  FinishPolyline();
  if (!std::isfinite(angleDegrees)) angleDegrees = 0;
  const double up = (angleDegrees + 90) * kPi / 180;
  const double base = angleDegrees * kPi / 180;
  WriteElement(5, 16, {ToWord(std::cos(up) * 1024), ToWord(std::sin(up) * 1024),
                       ToWord(std::cos(base) * 1024), ToWord(std::sin(base) * 1024)});
}

void CgmWriter::CgmTextAlignment(int horizontal, int vertical) {
  if (!Active()) return;
  FinishPolyline();
  // Both continuous alignments are the real 0.0: two zero words each.
  WriteElement(5, 18, {horizontal, vertical, 0, 0, 0, 0});
}

void CgmWriter::CgmTextFont(int index) {
  if (!Active()) return;
  FinishPolyline();
  WriteElement(5, 10, {index});
}

}  // namespace vantor
