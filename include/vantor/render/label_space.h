// Room on the page for labels: the boxes of the texts already set, and the
// search for a free place for the next one, so that the scale bars' labels,
// the time bar, the tick labels and the titles never print over each other.
#pragma once

#include <vector>

namespace vantor {

// Device units, y downwards.
struct LabelBox {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool Meets(const LabelBox& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

// The box of a text of extent w by h set at (x, y) with the layer's
// alignment codes (h 0 left, 6 centre, 2 right; v 0 top, 8 bottom; a
// vertical 6 has already been turned into top by the layer) and a rotation
// in quarter turns (0 or 3, the ones pictures use).
LabelBox TextBox(double x, double y, double w, double h, int alignH, int alignV, int rotation);

class LabelSpace {
 public:
  void Clear() { boxes_.clear(); }
  void Reserve(const LabelBox& box) { boxes_.push_back(box); }
  // Forgets every box reserved after the first `count`.
  void KeepFirst(std::size_t count) {
    if (boxes_.size() > count) boxes_.resize(count);
  }
  std::size_t Count() const { return boxes_.size(); }
  bool Free(const LabelBox& box) const;
  // The first box met, or none.
  const LabelBox* FirstMet(const LabelBox& box) const;
  // The leftmost x from `x` on where a box of width w over top..bottom is
  // free and ends by `xLimit`; false when there is none.
  bool FindColumn(double x, double xLimit, double w, double top, double bottom,
                  double& found) const;
  const std::vector<LabelBox>& Boxes() const { return boxes_; }

 private:
  std::vector<LabelBox> boxes_;
};

}  // namespace vantor
