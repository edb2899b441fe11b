// Binary CGM (ISO 8632-3) metafile of the picture drawn during a run. The
// drawing layer mirrors its lines, texts and attribute changes into it while
// Active() is set. Every word is 16 bits, most significant byte first.
//
// The file is written beside its target and renamed over it when it is
// finished, so an earlier metafile is only ever replaced by a complete one
// and survives a run whose metafile could not be written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "vantor/files/output_file.h"
#include "vantor/render/surface_transform.h"

namespace vantor {

class CgmWriter {
 public:
  // The transform belongs to the drawing layer, which keeps it current; the
  // writer maps through it at the moment each point is written. The file is
  // made through `temporaries` when one is given.
  explicit CgmWriter(const SurfaceTransform& surface, TemporaryFiles* temporaries = nullptr);
  // An open metafile is finished and closed like CgmClose.
  ~CgmWriter();
  CgmWriter(const CgmWriter&) = delete;
  CgmWriter& operator=(const CgmWriter&) = delete;

  // Starts a new metafile and writes its descriptor and picture start. A
  // metafile still open from an earlier run is finished and closed first.
  // False when the file cannot be created; Active() then stays false. The
  // metafile names itself after `title` when given (the file that a
  // temporary `fileName` is to become), else after `fileName`.
  bool CgmOpen(const std::string& fileName, const std::string& title = {});
  // Finishes the picture and the metafile and puts the file in place. False
  // when anything could not be written; the previous file then stays.
  bool CgmClose();
  bool Active() const { return file_.IsOpen(); }

  // Trace drawing in plot coordinates: MoveTo begins a POLYLINE, LineTo
  // extends it. A LineTo with no polyline open (after a text or attribute
  // element) continues from the last point in a new POLYLINE.
  void CgmMoveTo(double x, double y);
  void CgmLineTo(double x, double y);
  // One complete POLYLINE: plot coordinates when `mapped`, else VDC values.
  void CgmPolyline(const double* xs, const double* ys, int count, bool mapped);
  // TEXT at a VDC point; the bytes are written as given (at most 254).
  void CgmText(int vx, int vy, std::string_view text);

  void CgmLineColour(int r, int g, int b);
  void CgmTextColour(int r, int g, int b);
  void CgmCharacterHeight(int height);
  void CgmCharacterOrientation(double angleDegrees);
  // CGM enumerations: horizontal 0 normal, 1 left, 2 centre, 3 right;
  // vertical 0 normal, 1 top, 2 cap, 3 half, 4 base, 5 bottom.
  void CgmTextAlignment(int horizontal, int vertical);
  void CgmTextFont(int index);

  // Device units of the drawing surface, and plot units through the layer's
  // transform, to VDC: x 100 .. 10300 across, y 100 (bottom) .. 7700 (top).
  double VdcFromDeviceX(double dx) const;
  double VdcFromDeviceY(double dy) const;
  double VdcFromPlotX(double x) const;
  double VdcFromPlotY(double y) const;

 private:
  void WriteWord(std::int64_t value);
  void WriteVdc(double value);  // truncated toward zero
  void WriteHeader(int elementClass, int id, int length);
  void WriteElement(int elementClass, int id, std::initializer_list<std::int64_t> words);
  void WriteStringElement(int elementClass, int id, std::string_view text);
  void WriteString(std::string_view text);  // count byte, bytes, padding
  void WriteMetafileStart(std::string_view name);
  void WriteElementList();
  void BeginPicture(std::string_view name);
  void BeginPolyline(std::int16_t vx, std::int16_t vy);
  void AppendPoint(std::int16_t vx, std::int16_t vy);
  void FinishPolyline();

  const SurfaceTransform& surface_;
  OutputFile file_;
  bool polylineOpen_ = false;
  long polylineHeader_ = 0;   // file position of the open polyline's header
  int polylineBytes_ = 0;     // its point data so far
  bool failed_ = false;       // a seek went wrong: the file is not sound
  bool havePoint_ = false;    // the last point written to any polyline
  std::int16_t lastX_ = 0, lastY_ = 0;
};

}  // namespace vantor
