#include "vantor/render/label_space.h"

#include <cmath>

namespace vantor {

LabelBox TextBox(double x, double y, double w, double h, int alignH, int alignV, int rotation) {
  double along = 0;  // where the text starts along its baseline
  if (alignH == 6) along = -w / 2;
  if (alignH == 2) along = -w;
  if (rotation == 0) {
    const double top = alignV == 8 ? y - h : y;
    return {x + along, top, x + along + w, top + h};
  }
  // Running down the page, the text's top facing right.
  const double right = alignV == 8 ? x + h : x;
  return {right - h, y + along, right, y + along + w};
}

bool LabelSpace::Free(const LabelBox& box) const { return FirstMet(box) == nullptr; }

const LabelBox* LabelSpace::FirstMet(const LabelBox& box) const {
  for (const LabelBox& b : boxes_)
    if (b.Meets(box)) return &b;
  return nullptr;
}

bool LabelSpace::FindColumn(double x, double xLimit, double w, double top, double bottom,
                            double& found) const {
  // Each box met pushes the candidate past its right edge, so this ends
  // after at most as many steps as there are boxes.
  for (std::size_t step = 0; step <= boxes_.size(); ++step) {
    if (!(x + w <= xLimit)) return false;
    const LabelBox* met = FirstMet({x, top, x + w, bottom});
    if (met == nullptr) {
      found = x;
      return true;
    }
    x = std::ceil(met->right) + 1;
  }
  return false;
}

}  // namespace vantor
