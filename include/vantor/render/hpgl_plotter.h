// HP-GL output of a picture to a pen plotter, a LaserJet (HP-GL/2 inside a
// PCL job) or a text file. The drawing layer mirrors its device-coordinate
// lines, texts, colour and character-size changes into it while Active().
// Plotter units are the picture's device units; the header scales them onto
// the 8 by 10 inch plotter area.
//
// Line ends are CR LF, as plotter files have always had them. A file
// destination is written beside its target and put in place by
// ClosePlotter; a printer port is written directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vantor/files/output_file.h"
#include "vantor/params/messages.h"

namespace vantor {

class HpglPlotter {
 public:
  // A plotter file is made through `temporaries` when one is given.
  explicit HpglPlotter(TemporaryFiles* temporaries = nullptr) : out_(temporaries) {}
  // An open destination is finished like ClosePlotter.
  ~HpglPlotter();
  HpglPlotter(const HpglPlotter&) = delete;
  HpglPlotter& operator=(const HpglPlotter&) = delete;

  // Opens `name` ("LPT1" means the first parallel printer device). A
  // destination left open by a stopped run is finished and closed first. On
  // failure the error box "Couldn't open the plotter file!" is shown and
  // Active() stays false.
  bool OpenPlotter(const std::string& name, bool laserJet, Messages& messages);
  // Ends the LaserJet job, closes the destination and puts a file in place.
  // False when the output could not be written completely.
  bool ClosePlotter();
  bool Active() const { return out_.IsOpen(); }
  bool LaserJet() const { return laserJet_; }
  bool HeaderDone() const { return headerDone_; }

  // The initialisation and scaling header, once per destination. Commands
  // given before it are held back and follow it.
  void WriteHeader(double pageWidth, double pageHeight);
  // A device-coordinate line segment.
  void Line(double x1, double y1, double x2, double y2);
  // A label at (x, y): rotation in quarter turns counter-clockwise;
  // h 0 left, 6 centre, 2 right; v 0 top, 6 centre, 8 bottom.
  void Text(double x, double y, std::string_view text, int rotation, int h, int v);
  // Selects the pen nearest to the colour (0x00BBGGRR); nothing when that
  // pen is already in use.
  void Pen(std::uint32_t colour);
  // The font size in points: a font definition for the LaserJet, an
  // absolute character size for a pen plotter or a file.
  void CharSize(double points);
  // Line type for the lines that follow: 0 solid, 1 dashed, 2 dotted.
  void LineStyle(int style);
  // Trace curves: pen up to the first point, pen down to each next one.
  void PolylineMove(double x, double y);
  void PolylineLine(double x, double y);

  // Pens 1..8: black, red, green, blue, cyan, magenta, yellow, grey.
  // Near-grey colours (components within 48 of each other) take black, or
  // grey from a brightness of 160 on; any other colour takes the hue pen
  // (2..7) nearest to it once brought to full brightness.
  static int PenNumber(std::uint32_t colour);
  // The device or file that a destination name stands for: "LPT1" gives
  // /dev/lp0, or /dev/usb/lp0 when only that exists; other names unchanged.
  static std::string DeviceName(std::string_view name);
  // The absolute character size command of a pen plotter for a font size.
  static std::string PenCharSize(double points);

 private:
  void Emit(std::string_view text);  // "\n" becomes CR LF

  OutputFile out_;
  bool laserJet_ = false;
  bool headerDone_ = false;
  std::string pending_;   // commands given before the header
  int pen_ = 0;           // pen in effect on the destination, 0 unknown
  int lineStyle_ = 0;     // line type in effect, 0 solid
  int pointsOnLine_ = 0;  // PD commands since the last line break
  std::string lastPoint_; // where the last trace point left the pen, as written
};

}  // namespace vantor
