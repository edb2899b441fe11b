#include "vantor/render/output_target.h"

#include <algorithm>
#include <cmath>

#include "vantor/render/cgm_writer.h"
#include "vantor/render/hpgl_plotter.h"

namespace vantor {
namespace {

// Far beyond any page, well inside int.
constexpr double kDeviceReach = 1.0e7;

int CgmHorizontal(int h) {
  switch (h) {
    case text_align::Centre: return 2;
    case text_align::Right: return 3;
    default: return 1;
  }
}

int CgmVertical(int v) {
  switch (v) {
    case text_align::Middle: return 3;
    case text_align::Bottom: return 4;
    default: return 1;
  }
}

}  // namespace

int TruncDevice(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v > kDeviceReach) v = kDeviceReach;
  if (v < -kDeviceReach) v = -kDeviceReach;
  return static_cast<int>(v);  // toward zero
}

OutputTarget::OutputTarget() = default;

double OutputTarget::MinimumLabelHeight() const {
  // The sizes are those of the letters (the em); the layer asks for cells,
  // which in the program's face are about 1.15 em tall.
  constexpr double kSmallestPoints = 7, kSmallestPixels = 9, kScreenPerInch = 96;
  constexpr double kCellPerEm = 1.15;
  double perInch = devicePerInch > 0 && std::isfinite(devicePerInch) ? devicePerInch : 96;
  if (printing && perInch <= kScreenPerInch) {
    // A printer page whose resolution nobody gave: its short side is about
    // the 8.3 inches of an A4 or letter sheet.
    constexpr double kPaperShortSide = 8.3;
    const double side = std::min(surface.pageWidth, surface.pageHeight);
    if (std::isfinite(side)) perInch = std::max(perInch, side / kPaperShortSide);
  }
  const double em = perInch <= kScreenPerInch ? kSmallestPixels : kSmallestPoints * perInch / 72.0;
  return em * kCellPerEm;
}

void OutputTarget::SetDevice(Device* device) {
  device_ = device;
  penSelected_ = false;
  fontSelected_ = false;
  appliedFlags_ = -1;
  if (device_ != nullptr) device_->SetTextColour(colour_);
}

bool OutputTarget::CgmActive() const { return cgm_ != nullptr && cgm_->Active(); }

bool OutputTarget::PlotterActive() const { return plotter_ != nullptr && plotter_->Active(); }

TextExtent OutputTarget::Measure(std::string_view text) const {
  return device_ != nullptr ? device_->MeasureText(text) : TextExtent{};
}

// A pen is made only when an attribute changed since the last one (or the
// device has none of ours), so a polyline of thousands of points uses one.
void OutputTarget::RealisePen() {
  if (device_ == nullptr) return;
  if (!penDirty_ && penSelected_) return;
  device_->SelectPen(colour_, penWidth < 1 ? 1 : penWidth);
  if (lineStyle_ != 0) device_->SetPenStyle(lineStyle_);
  penSelected_ = true;
  penDirty_ = false;
}

// The device centres horizontal text along the baseline only; vertical
// centring of unrotated text is done here by measurement, so the device
// gets "top" for it. Rotated text keeps the centring flag, which the device
// reads as centring along the rotated baseline.
void OutputTarget::ApplyAlignment() {
  const int v = (alignV_ == text_align::Middle && rotation_ == 0) ? 0 : alignV_;
  const int flags = alignH_ | v;
  if (device_ != nullptr) device_->SetTextAlign(flags);
  if (flags != appliedFlags_) fontDirty_ = true;
  appliedFlags_ = flags;
}

void OutputTarget::SetTraceClip(const ClipBox& box) {
  clipOn_ = true;
  clip_ = box;
  havePoint_ = false;
  penDown_ = false;
  lastMarkEdge_ = 0;
}

void OutputTarget::ClearTraceClip() {
  clipOn_ = false;
  havePoint_ = false;
  penDown_ = false;
}

// Half the width of an exit mark, in device units.
static double MarkSize(const SurfaceTransform& s) {
  return std::max(3.0, std::min(s.pageWidth, s.pageHeight) * 0.006);
}

void OutputTarget::MarkExit(double x, double y, bool upwards) {
  const double dx = DeviceX(x), dy = DeviceY(y);
  const double d = MarkSize(surface);
  const int edge = upwards ? 1 : -1;
  // A trace that leaves again and again at one spot gets one mark there.
  if (edge == lastMarkEdge_ && std::fabs(dx - lastMarkX_) < 3 * d) return;
  // Two short bars across the cut, inside the band: nothing like the
  // arrowhead of a scale bar. Where a text stands (the title over the top
  // band) the cut speaks for itself.
  const double inward = upwards ? d : -d;
  const LabelBox box{dx - d, std::min(dy, dy + inward), dx + d, std::max(dy, dy + inward)};
  if (logTexts && !texts.Free(box)) return;
  lastMarkEdge_ = edge;
  lastMarkX_ = dx;
  LineDevice(dx - d, dy, dx + d, dy);
  LineDevice(dx - d, dy + inward, dx + d, dy + inward);
}

void OutputTarget::MoveToPlot(double x, double y) {
  if (!clipOn_) {
    MoveToPlotRaw(x, y);
    return;
  }
  lastX_ = x;
  lastY_ = y;
  havePoint_ = std::isfinite(x) && std::isfinite(y);
  penDown_ = false;
  if (!havePoint_) return;
  if (clip_.Contains(x, y)) {
    MoveToPlotRaw(x, y);
    penDown_ = true;
  } else if (x >= clip_.xLow && x <= clip_.xHigh) {
    // Starting beyond the band is leaving it.
    const bool up = y > clip_.yHigh;
    MarkExit(x, up ? clip_.yHigh : clip_.yLow, up);
  }
}

void OutputTarget::LineToPlot(double x, double y) {
  if (!clipOn_) {
    LineToPlotRaw(x, y);
    return;
  }
  if (!havePoint_) {
    MoveToPlot(x, y);
    return;
  }
  double ax = lastX_, ay = lastY_, bx = x, by = y;
  lastX_ = x;
  lastY_ = y;
  if (!ClipSegment(clip_, ax, ay, bx, by)) {
    penDown_ = false;
    return;
  }
  // The previous point was inside when the pen is down, so the cut can only
  // have moved the start when the line comes back into the band.
  if (!penDown_) MoveToPlotRaw(ax, ay);
  LineToPlotRaw(bx, by);
  penDown_ = bx == x && by == y;
  if (!penDown_ && (by == clip_.yHigh || by == clip_.yLow) && (y > clip_.yHigh || y < clip_.yLow))
    MarkExit(bx, by, y > clip_.yHigh);
}

void OutputTarget::MoveToPlotRaw(double x, double y) {
  RealisePen();
  if (device_ != nullptr) device_->MoveTo(TruncDevice(DeviceX(x)), TruncDevice(DeviceY(y)));
  if (PlotterActive()) plotter_->PolylineMove(DeviceX(x), DeviceY(y));
  if (CgmActive()) cgm_->CgmMoveTo(x, y);
}

void OutputTarget::LineToPlotRaw(double x, double y) {
  if (device_ != nullptr) device_->LineTo(TruncDevice(DeviceX(x)), TruncDevice(DeviceY(y)));
  if (PlotterActive()) plotter_->PolylineLine(DeviceX(x), DeviceY(y));
  if (CgmActive()) cgm_->CgmLineTo(x, y);
}

void OutputTarget::LinePlot(double x1, double y1, double x2, double y2) {
  LineDevice(DeviceX(x1), DeviceY(y1), DeviceX(x2), DeviceY(y2));
}

void OutputTarget::LinePlotClipped(double x1, double y1, double x2, double y2) {
  if (!clipOn_) {
    LinePlot(x1, y1, x2, y2);
    return;
  }
  double ax = x1, ay = y1, bx = x2, by = y2;
  if (!ClipSegment(clip_, ax, ay, bx, by)) return;
  LinePlot(ax, ay, bx, by);
  if ((bx != x2 || by != y2) && (by == clip_.yHigh || by == clip_.yLow) &&
      (y2 > clip_.yHigh || y2 < clip_.yLow))
    MarkExit(bx, by, y2 > clip_.yHigh);
}

void OutputTarget::LineDevice(double x1, double y1, double x2, double y2) {
  RealisePen();
  if (device_ != nullptr) {
    device_->MoveTo(TruncDevice(x1), TruncDevice(y1));
    device_->LineTo(TruncDevice(x2), TruncDevice(y2));
  }
  if (PlotterActive()) plotter_->Line(x1, y1, x2, y2);
  if (CgmActive()) {
    const double xs[2] = {cgm_->VdcFromDeviceX(x1), cgm_->VdcFromDeviceX(x2)};
    const double ys[2] = {cgm_->VdcFromDeviceY(y1), cgm_->VdcFromDeviceY(y2)};
    cgm_->CgmPolyline(xs, ys, 2, false);
  }
}

void OutputTarget::TextPlot(double x, double y, std::string_view text) {
  TextDevice(DeviceX(x), DeviceY(y), text);
}

void OutputTarget::RealiseFont() {
  if (device_ != nullptr && (fontDirty_ || !fontSelected_)) {
    device_->SelectFont(TruncDevice(fontSize_ * fontScale), rotation_);
    ApplyAlignment();
    fontSelected_ = true;
    fontDirty_ = false;
  }
}

TextExtent OutputTarget::MeasureInCurrentFont(std::string_view text) {
  ApplyAlignment();
  RealiseFont();
  return Measure(text);
}

void OutputTarget::SetLineStyle(int style) {
  if (style == lineStyle_) return;
  lineStyle_ = style;
  penDirty_ = true;
  if (PlotterActive()) plotter_->LineStyle(style);
}

void OutputTarget::TextDevice(double x, double y, std::string_view text) {
  ApplyAlignment();
  RealiseFont();
  // The device centres text vertically only by this measured shift. The
  // plotter and the metafile centre labels themselves (a quarter-line offset,
  // the "half" alignment), so they get the point as given: shifting it for
  // them as well put every centred label half a line off its tick.
  double deviceY = y;
  if (alignV_ == text_align::Middle && device_ != nullptr) {
    const int height = device_->MeasureText(text).height;
    deviceY -= height / 2;
  }
  if (device_ != nullptr) device_->Text(TruncDevice(x), TruncDevice(deviceY), text);
  if (logTexts && device_ != nullptr && !text.empty()) {
    // What the device was told: rotated centred text is centred along its
    // baseline and hangs from the point; unrotated centred text was moved up.
    const TextExtent e = device_->MeasureText(text);
    const bool middle = alignV_ == text_align::Middle;
    const int h = (middle && rotation_ != 0) ? text_align::Centre : alignH_;
    const int v = middle ? text_align::Top : alignV_;
    texts.Reserve(TextBox(x, deviceY, e.width, e.height, h, v, rotation_));
  }
  if (PlotterActive()) plotter_->Text(x, y, text, rotation_, alignH_, alignV_);
  if (CgmActive()) {
    cgm_->CgmTextColour(RedOf(labelColour), GreenOf(labelColour), BlueOf(labelColour));
    cgm_->CgmText(TruncDevice(cgm_->VdcFromDeviceX(x)), TruncDevice(cgm_->VdcFromDeviceY(y)),
                  text);
  }
}

void OutputTarget::SetColour(uint32_t colour) {
  colour_ = colour;
  penDirty_ = true;
  if (device_ != nullptr) device_->SetTextColour(colour);
  if (PlotterActive()) plotter_->Pen(colour);
  if (CgmActive()) cgm_->CgmLineColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

void OutputTarget::SetTextAlignment(int h, int v) {
  alignH_ = h;
  alignV_ = v;
  ApplyAlignment();
  if (CgmActive()) cgm_->CgmTextAlignment(CgmHorizontal(h), CgmVertical(v));
}

void OutputTarget::SetTextStyle(int rotation, int sizeStep) {
  rotation_ = rotation;
  SetCharSize((sizeStep + 1) * 14.0);
  fontDirty_ = true;
  if (CgmActive()) {
    cgm_->CgmCharacterOrientation(rotation * 90.0);
    cgm_->CgmTextAlignment(CgmHorizontal(alignH_), CgmVertical(alignV_));
  }
}

void OutputTarget::SetCharSize(double points) {
  fontSize_ = TruncDevice(points);
  fontDirty_ = true;
  if (PlotterActive()) plotter_->CharSize(points);
  if (CgmActive()) cgm_->CgmCharacterHeight(TruncDevice(points * 1000.0 / 72.0));
}

// Ends a picture: the device gets its own pen and font back. Colour, size and
// alignment stay; the next picture makes new objects.
void OutputTarget::ReleaseDrawingObjects() {
  if (device_ != nullptr && (penSelected_ || fontSelected_))
    device_->RestoreInitialObjects(penSelected_, fontSelected_);
  penSelected_ = false;
  fontSelected_ = false;
  penDirty_ = true;
  fontDirty_ = true;
}

}  // namespace vantor
