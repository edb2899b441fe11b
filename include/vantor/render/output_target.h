// The drawing layer: the primitives every picture is drawn with. Each call
// acts on the current device and is mirrored into the metafile writer and
// the HP-GL plotter while they are attached and active. Callers work in plot
// coordinates (time on x, the trace's unit on y) through the transform that
// SetupAxis sets, or directly in device units.
#pragma once

#include <cstdint>
#include <string_view>

#include "vantor/render/surface_transform.h"
#include "vantor/render/text_align.h"
#include "vantor/render/device.h"
#include "vantor/render/label_space.h"
#include "vantor/render/trace_clip.h"

namespace vantor {

class CgmWriter;
class HpglPlotter;

// Device units are truncated toward zero where the device needs integers;
// values that are not finite or far outside any surface are kept within
// reach so that bad data draws off the page instead of overflowing.
int TruncDevice(double v);

class OutputTarget {
 public:
  OutputTarget();

  // The current device, or none between pictures. Attaching another device
  // forgets which pen and font the layer had selected on the previous one
  // (release them there first with ReleaseDrawingObjects).
  void SetDevice(Device* device);
  Device* CurrentDevice() const { return device_; }

  // Mirrors. The writer and the plotter are owned elsewhere; they receive
  // calls only while attached and active.
  void AttachCgm(CgmWriter* cgm) { cgm_ = cgm; }
  void AttachPlotter(HpglPlotter* plotter) { plotter_ = plotter; }
  CgmWriter* Cgm() const { return cgm_; }
  HpglPlotter* Plotter() const { return plotter_; }
  bool CgmActive() const;
  bool PlotterActive() const;

  // While a clip box is set, the polyline primitives (MoveToPlot, LineToPlot)
  // draw only what lies inside it, and where the line leaves the box at its
  // top or bottom a small arrowhead on the edge points the way it went.
  // The other primitives are not clipped.
  void SetTraceClip(const ClipBox& box);
  void ClearTraceClip();
  bool TraceClipped() const { return clipOn_; }

  // Primitives.
  void MoveToPlot(double x, double y);
  void LineToPlot(double x, double y);
  void LinePlot(double x1, double y1, double x2, double y2);
  // LinePlot kept to the clip box (when one is set), with the arrowhead
  // where the segment leaves it at the top or bottom.
  void LinePlotClipped(double x1, double y1, double x2, double y2);
  void LineDevice(double x1, double y1, double x2, double y2);
  void TextPlot(double x, double y, std::string_view text);
  void TextDevice(double x, double y, std::string_view text);
  void SetColour(uint32_t colour);
  void SetTextAlignment(int h, int v);
  void SetTextStyle(int rotation, int sizeStep);
  void SetCharSize(double points);
  void ReleaseDrawingObjects();

  // Plot to device.
  double DeviceX(double x) const { return surface.sx * x + surface.ox; }
  double DeviceY(double y) const { return surface.sy * y + surface.oy; }

  // Measures one text with the font now selected on the device (zeros when
  // there is no device).
  TextExtent Measure(std::string_view text) const;
  // Measures with the font the next text will have (selecting it first).
  TextExtent MeasureInCurrentFont(std::string_view text);

  // Line styles for telling traces of one colour apart: 0 solid, 1 dashed,
  // 2 dotted. Solid unless set; pictures set it back after use.
  void SetLineStyle(int style);
  int LineStyle() const { return lineStyle_; }

  // While on, the box of every text set on the device is kept in `texts`,
  // so that later labels can be placed clear of it.
  bool logTexts = false;
  LabelSpace texts;

  // Shared state of the picture; SetupAxis and the layout read and set it.
  SurfaceTransform surface;  // page size and plot-to-device transform
  bool printing = false;
  bool clipboardCopy = false;
  double plotLeft = 0.01, plotRight = 0.75;     // fractions of the page width
  double bandTop = 0.98, bandBottom = 0.98;     // fractions of the page height from the bottom
  // The most of the bands' height V-m takes on this page (PlotSetup lowers
  // it so that every other band keeps a legible height); 1: its own share.
  double vmShareCap = 1.0;
  int penWidth = 1;
  double fontScale = 1;                         // device units per point
  bool drawAxis = false;
  uint32_t axisColour = 0x0000FF;
  uint32_t labelColour = 0x0000FF;              // also the colour of metafile text
  int charHeight = 0, charWidth = 0;            // last measured "A"
  // Device units per inch: 96 for the screen and picture files; a printer
  // page sets its own (or the page size stands for it). Labels are never set smaller than 7 points on paper,
  // 9 pixels on a screen: MinimumLabelHeight is the cell height for that.
  double devicePerInch = 96;
  double MinimumLabelHeight() const;

  uint32_t Colour() const { return colour_; }
  int FontSize() const { return fontSize_; }
  int Rotation() const { return rotation_; }
  int AlignH() const { return alignH_; }
  int AlignV() const { return alignV_; }

 private:
  void RealisePen();
  void RealiseFont();
  void ApplyAlignment();
  void MoveToPlotRaw(double x, double y);
  void LineToPlotRaw(double x, double y);
  // The mark where a clipped trace leaves its box at (x, edge y): two short
  // bars across the cut, left out where a text stands.
  void MarkExit(double x, double y, bool upwards);

  Device* device_ = nullptr;
  CgmWriter* cgm_ = nullptr;
  HpglPlotter* plotter_ = nullptr;

  uint32_t colour_ = 0;
  bool penDirty_ = true;
  bool penSelected_ = false;
  int fontSize_ = 14;
  int rotation_ = 0;
  bool fontDirty_ = true;
  bool fontSelected_ = false;
  int alignH_ = text_align::Left;
  int alignV_ = text_align::Top;
  int lineStyle_ = 0;
  int appliedFlags_ = -1;  // none applied to this device yet

  bool clipOn_ = false;
  ClipBox clip_;
  double lastX_ = 0, lastY_ = 0;  // the polyline's last point, plot units
  bool havePoint_ = false;
  bool penDown_ = false;           // the drawn line ends at the last point
  double lastMarkX_ = 0;           // device x of the last exit mark
  int lastMarkEdge_ = 0;           // +1 top, -1 bottom, 0 none yet
};

}  // namespace vantor
