// A finished run drawn on a window-sized image, as the main window holds one
// after Begin: the record files on disk, the picture state ready to redraw.
#pragma once

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

#include "device/painter_device.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_picture.h"

namespace vantor::testing {

struct RunOnImage {
  ParameterSet params;
  GateTable gates;
  Picture picture;
  QImage window{900, 600, QImage::Format_RGB32};
  QTemporaryDir dir;
  CollectedMessages messages;

  bool LoadGates() {
    return LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, messages);
  }

  // Begin (overlay false) or Overlay on the window image.
  bool Run(bool overlay) {
    QPainter painter(&window);
    PainterDevice device(painter, window.width(), window.height());
    picture.target.SetDevice(&device);
    RunFlags flags;
    RunPictureOptions options;
    options.recordDirectory = dir.path().toStdString();
    const RunResult result = overlay
                                 ? OverlayRun(picture, params, gates, flags, messages, options)
                                 : BeginRun(picture, params, gates, flags, messages, options);
    device.Flush();
    picture.target.ReleaseDrawingObjects();
    picture.target.SetDevice(nullptr);
    return result.outcome == RunOutcome::Completed;
  }

  ~RunOnImage() { DeleteRunRecords(picture.replay); }
};

// Pixels of `image` within `tolerance` of an 0x00BBGGRR colour.
inline int CountColour(const QImage& image, uint32_t colourRef, int tolerance = 40,
                       QRect area = QRect()) {
  const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
  const QColor want = ColourFromRef(colourRef);
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
              std::abs(c.blue() - want.blue()) <=
          tolerance)
        ++n;
    }
  return n;
}

}  // namespace vantor::testing
