#include "vantor/render/live.h"

namespace vantor {

void DrawLiveSample(Picture& picture, double v, double t) {
  if (picture.liveTrace) picture.target.LineToPlot(t, v);
}

}  // namespace vantor
