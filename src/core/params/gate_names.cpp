#include "vantor/params/gate_table.h"

namespace vantor {
namespace {
const char* const kGateNames[13] = {"mNa", "hNa", "mK", "mA", "hA", "mT", "hT",
                                     "mC", "mL", "mH", "mM", "mNap", "mAHP"};
const char* const kEditorLabels[kGateRowCount] = {
    "1  - mNa", "2  - hNa", "3  - mK", "4  - mA", "5  - hA", "6  - mT",
    "7  - hT", "8  - mC", "9  - mL", "10 - mH", "11 - mM", "12 - mNap",
    "13 - mAHP", "14 - AMPA", "15 - NMDA", "16-GABAa", "17-GABAb"};
}  // namespace

std::string GateTable::GateName(int number) {
  if (number < 1 || number > 13) return {};
  return kGateNames[number - 1];
}

const char* GateTable::EditorLabel(int row) { return kEditorLabels[row - 1]; }

}  // namespace vantor
