// The drawing surface and the plot-to-device transform, shared by the
// drawing layer (which sets it) and the metafile writer (which maps through
// it): device x = sx * x + ox, device y = sy * y + oy.
#pragma once

namespace vantor {

struct SurfaceTransform {
  double pageWidth = 4000;
  double pageHeight = 4000;
  double sx = 1, ox = 0;
  double sy = 1, oy = 0;
};

}  // namespace vantor
