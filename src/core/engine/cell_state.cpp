#include "engine/cell_state.h"

namespace vantor {

const char* CellStateName(int index) {
  static const char* const kNames[kCellStateSize] = {
      "V",  "mNa", "hNa", "mK", "mA",   "hA",   "mT",  "hT",
      "mC", "mL",  "mH",  "mM", "mNap", "mAHP", "the L-shell calcium", "the T-shell calcium"};
  return index >= 0 && index < kCellStateSize ? kNames[index] : "";
}

}  // namespace vantor
