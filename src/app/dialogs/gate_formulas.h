// What each coefficient A .. H of a gate-table row does: the formula of the
// row as the engine evaluates it, for the Model Editor's legend.
#pragma once

#include <QString>

namespace vantor {

// Row 1 .. 17: the row's formula with the meaning of its coefficients and
// the ones it leaves unused.
QString GateRowFormula(int row);

}  // namespace vantor
