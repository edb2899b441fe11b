// The continuous method's gate rates, every enabled row at one working point
// together: each row first writes the exponents its formula needs, the caller
// takes all of them in one batch (with the leak's and the calcium channels'),
// then each row forms dx/dt from its exponentials. The formulas are those of
// gate_formulas.h in double precision, with each row's coefficients read once
// per change instead of at every evaluation, and divisions by a coefficient
// taken as products with its reciprocal. The per-row code is inline, in
// gate_batch_rows.h, for the one evaluation that calls it.
#pragma once

#include "engine/gate_rate.h"
#include "vantor/params/gate_table.h"

namespace vantor {

// Exponentials shared between rates where the rows allow it (the shipped
// table does): mNa's two rates with one centre and slope take one
// exponential e = exp(-(V + B) / C). Zero: not shared.
struct SharedGateExponentials {
  // exp((B_mK + B_mNa) / C) where mK's alpha has the same slope C: mK's
  // exponential is e times it.
  double mK = 0;
  // exp((B_hNa + B_mNa) / C_hNa) where hNa's alpha has three times mNa's
  // slope: then x = exp(-(V + B) / C_hNa) is taken instead, e is x³ and
  // hNa's exponential x times this.
  double hNa = 0;
};

// At most three exponentials for each of the 13 gate rows.
constexpr int kMaxGateExponents = 3 * 13;

class GateBatch {
 public:
  // The enabled rows of 1 .. 13 in increasing order.
  void Build(const GateTable& gates, const int* rows, int count,
             const SharedGateExponentials& shared);

  int ExponentCount() const { return exponents_; }
  // Every row's exponents at the working point into x[0 .. ExponentCount()).
  // (kSodiumPotassium: only rows mNa, hNa and mK are enabled.)
  template <bool kSodiumPotassium = false>
  void Exponents(const GateContextD& in, double* x) const;
  // dx/dt = drive - decay · x of every row, from e[i] = exp(x[i]) of those
  // exponents. Where a linear term's guard applies (V exactly on a centre)
  // a row takes its own formula instead.
  template <bool kSodiumPotassium = false>
  void Derivatives(const GateContextD& in, const double* e, const double* state,
                   double* dxdt) const;

 private:
  enum class Mode { Own, SharedNa, SharedNaThird, SharedFromNa };
  struct Row {
    int row = 0;
    int first = 0;      // its first exponent
    Mode mode = Mode::Own;
    int naExp = -1;     // SharedFromNa: the exponent mNa took
    double factor = 0;  // SharedFromNa: what mNa's exponential is multiplied by
    bool cubeNa = false;  // SharedFromNa: mNa's exponential is that exponent cubed
    double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0, G = 0, H = 0;
    double perB = 0, perC = 0, perD = 0, perE = 0, perF = 0, perH = 0;  // 1 / coefficient
    float exponentB = 0;  // mAHP's power, as the table has it
    const GateRow* source = nullptr;
  };
  // kShared: the row's mode is the one of the shipped table (see shared_).
  template <int R, bool kShared>
  static void RowExponents(const Row& r, const GateContextD& in, double* x);
  template <int R, bool kShared>
  static void RowDerivative(const Row& r, const GateContextD& in, const double* e,
                            const double* state, double* dxdt);

  Row rows_[gate::mAHP + 1];  // by row
  unsigned on_ = 0;           // bit r: row r is enabled
  // mNa, hNa and mK are enabled, share their exponentials as the shipped
  // table lets them (mNa's cubed for hNa and mK), and no other row is.
  bool shared_ = false;
  int exponents_ = 0;
};

}  // namespace vantor
