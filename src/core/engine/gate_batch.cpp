#include "engine/gate_batch.h"

#include "engine/gate_formulas.h"

namespace vantor {
namespace gate_batch_detail {

// A row's own formula, where a guard applies (V exactly on a centre): rare,
// and kept out of the way of the common path.
[[gnu::noinline, gnu::cold]] GateRateD OwnRate(int row, const GateRow& c,
                                                const GateContextD& in) {
  return gate_formulas::Dispatch(row, c, in);
}

}  // namespace gate_batch_detail

namespace {
// How many exponentials each row's own formula takes (index: row).
constexpr int kOwnExponents[14] = {0, 2, 2, 2, 3, 3, 3, 2, 2, 3, 3, 3, 3, 0};
}  // namespace

void GateBatch::Build(const GateTable& gates, const int* rows, int count,
                      const SharedGateExponentials& shared) {
  on_ = 0;
  exponents_ = 0;
  int naExp = -1;
  bool cubeNa = false;
  for (int i = 0; i < count; ++i) {
    if (rows[i] < gate::mNa || rows[i] > gate::mAHP) continue;
    Row& r = rows_[rows[i]];
    const GateRow& c = gates.Row(rows[i]);
    r = Row{};
    on_ |= 1u << rows[i];
    r.row = rows[i];
    r.source = &c;
    r.first = exponents_;
    r.A = c.A, r.B = c.B, r.C = c.C, r.D = c.D, r.E = c.E, r.F = c.F, r.G = c.G, r.H = c.H;
    r.perB = 1.0 / r.B, r.perC = 1.0 / r.C, r.perD = 1.0 / r.D;
    r.perE = 1.0 / r.E, r.perF = 1.0 / r.F, r.perH = 1.0 / r.H;
    r.exponentB = c.B;
    int taken = kOwnExponents[r.row];
    if (r.row == gate::mNa && c.B == c.E && c.C == c.F && c.C != 0.0f) {
      r.mode = shared.hNa != 0.0 ? Mode::SharedNaThird : Mode::SharedNa;
      if (shared.hNa != 0.0) r.perC = 1.0 / (3.0 * r.C);
      naExp = r.first;
      cubeNa = shared.hNa != 0.0;
      taken = 1;
    } else if (r.row == gate::hNa && shared.hNa != 0.0 && naExp >= 0 && cubeNa) {
      r.mode = Mode::SharedFromNa;
      r.naExp = naExp;
      r.factor = shared.hNa;
      taken = 1;
    } else if (r.row == gate::mK && shared.mK != 0.0 && naExp >= 0) {
      r.mode = Mode::SharedFromNa;
      r.naExp = naExp;
      r.cubeNa = cubeNa;
      r.factor = shared.mK;
      taken = 1;
    }
    exponents_ += taken;
  }
  constexpr unsigned kSodiumPotassium = (1u << gate::mNa) | (1u << gate::hNa) | (1u << gate::mK);
  shared_ = on_ == kSodiumPotassium && rows_[gate::mNa].mode == Mode::SharedNaThird &&
            rows_[gate::hNa].mode == Mode::SharedFromNa &&
            rows_[gate::mK].mode == Mode::SharedFromNa && rows_[gate::mK].cubeNa;
}

}  // namespace vantor
