#include "engine/gate_batch.h"

#include "engine/gate_formulas.h"

namespace vantor {
namespace {

// How many exponentials each row's own formula takes (index: row).
constexpr int kOwnExponents[14] = {0, 2, 2, 2, 3, 3, 3, 2, 2, 3, 3, 3, 3, 0};

GateRateD FromRates(double alpha, double beta, double phi) {
  GateRateD r;
  r.drive = alpha * phi;
  r.decay = (alpha + beta) * phi;
  return r;
}

GateRateD FromTau(double inf, double tau) {
  GateRateD r;
  r.decay = 1.0 / tau;
  r.drive = inf * r.decay;
  return r;
}

// mNa's rates from z = V + B (B = E, C = F) and e = exp(-z / C).
GateRateD MNaFromExp(double A, double D, double z, double e, double phi) {
  if (e < 1e300) {
    const double r = 1.0 / (1.0 - e);
    return FromRates(A * z * r, -D * z * e * r, phi);
  }
  return FromRates(A * z / (1.0 - e), D * z / (1.0 - 1.0 / e), phi);
}

}  // namespace

void GateBatch::Build(const GateTable& gates, const int* rows, int count,
                      const SharedGateExponentials& shared) {
  count_ = 0;
  exponents_ = 0;
  int naExp = -1;
  bool cubeNa = false;
  for (int i = 0; i < count && count_ < 13; ++i) {
    Row& r = rows_[count_++];
    const GateRow& c = gates.Row(rows[i]);
    r = Row{};
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
}

void GateBatch::Exponents(const GateContextD& in, double* x) const {
  const double v = in.v;
  for (int i = 0; i < count_; ++i) {
    const Row& r = rows_[i];
    double* o = x + r.first;
    switch (r.row) {
      case gate::mNa:
        if (r.mode == Mode::Own) {
          o[0] = -GuardedSum(v, r.B) * r.perC;
          o[1] = GuardedSum(v, r.E) * r.perF;
        } else {
          o[0] = -(v + r.B) * r.perC;  // perC is 1 / 3C for the cube
        }
        break;
      case gate::hNa:
        if (r.mode == Mode::Own) {
          o[0] = (r.B - v) * r.perC;
          o[1] = (r.E - v) * r.perF;
        } else {
          o[0] = (r.E - v) * r.perF;
        }
        break;
      case gate::mK:
        if (r.mode == Mode::Own) {
          o[0] = GuardedDifference(r.B, v) * r.perC;
          o[1] = (r.E - v) * r.perF;
        } else {
          o[0] = (r.E - v) * r.perF;
        }
        break;
      case gate::mA:
      case gate::hA:
      case gate::mT:
        o[0] = (v - r.G) * r.perH;
        o[1] = (v - r.A) * r.perB;
        o[2] = (v - r.C) * r.perD;
        break;
      case gate::hT:
        o[0] = (v - r.G) * r.perH;
        o[1] = v >= r.A ? (v + r.D) * r.perE : (v + r.B) * r.perC;
        break;
      case gate::mC:
        o[0] = v * r.perB;
        o[1] = -v * r.perD;
        break;
      case gate::mL:
        o[0] = (v - r.C) * r.B;
        o[1] = GuardedSum(v, r.E) * r.perF;
        o[2] = (v - r.G) * r.perH;
        break;
      case gate::mH: {
        const double s = v - in.hShift;
        o[0] = (s - r.G) * r.perH;
        o[1] = s * r.E + r.D;
        o[2] = s * r.C + r.B;
        break;
      }
      case gate::mM:
        o[0] = (v - r.G) * r.perH;
        o[1] = (v + r.C) * r.perD;
        o[2] = -(v + r.E) * r.perF;
        break;
      case gate::mNap:
        o[0] = -GuardedSum(v, r.B) * r.perC;
        o[1] = GuardedSum(v, r.E) * r.perF;
        o[2] = (v - r.G) * r.perH;
        break;
      default: break;  // mAHP takes none
    }
  }
}

void GateBatch::Derivatives(const GateContextD& in, const double* e, const double* state,
                            double* dxdt) const {
  const double v = in.v, phi = in.factors.phi;
  for (int i = 0; i < count_; ++i) {
    const Row& r = rows_[i];
    const double* x = e + r.first;
    GateRateD rate;
    switch (r.row) {
      case gate::mNa:
        if (r.mode == Mode::Own) {
          const double z = GuardedSum(v, r.B), w = GuardedSum(v, r.E);
          rate = FromRates(r.A * z / (1.0 - x[0]), r.D * w / (1.0 - x[1]), phi);
        } else if (v == -r.B) {
          rate = gate_formulas::MNa(*r.source, in);
        } else {
          const double na = r.mode == Mode::SharedNaThird ? x[0] * x[0] * x[0] : x[0];
          rate = MNaFromExp(r.A, r.D, v + r.B, na, phi);
        }
        break;
      case gate::hNa: {
        const double alpha = r.mode == Mode::Own ? r.A * x[0] : r.A * (e[r.naExp] * r.factor);
        rate = FromRates(alpha, r.D / (x[r.mode == Mode::Own ? 1 : 0] + 1.0), phi);
        break;
      }
      case gate::mK:
        if (r.mode == Mode::Own) {
          const double z = GuardedDifference(r.B, v);
          rate = FromRates(r.A * z / (x[0] - 1.0), r.D * x[1], phi);
        } else if (v == r.B) {
          rate = gate_formulas::MK(*r.source, in);
        } else {
          const double n = e[r.naExp];
          const double na = r.cubeNa ? n * n * n : n;
          rate = FromRates(r.A * (r.B - v) / (na * r.factor - 1.0), r.D * x[0], phi);
        }
        break;
      case gate::mA:
        rate = FromTau(1.0 / (x[0] + 1.0), (1.0 / (x[1] + x[2]) + r.E) / phi);
        break;
      case gate::hA: {
        const double tau0 = v >= r.E ? r.F : 1.0 / (x[1] + x[2]);
        rate = FromTau(1.0 / (x[0] + 1.0), tau0 / phi);
        break;
      }
      case gate::mT:
        rate = FromTau(1.0 / (x[0] + 1.0), (1.0 / (x[1] + x[2]) + r.E) / in.factors.phiMT);
        break;
      case gate::hT: {
        const double tau0 = v >= r.A ? x[1] + r.F : x[1];
        rate = FromTau(1.0 / (x[0] + 1.0), tau0 / in.factors.phiHT);
        break;
      }
      case gate::mC:
        rate = FromRates(r.A * in.caL * x[0], r.C * x[1], phi);
        break;
      case gate::mL: {
        const double w = GuardedSum(v, r.E);
        const double alpha = r.A / (x[0] + 1.0), beta = r.D * w / (x[1] - 1.0);
        rate = FromTau(1.0 / (x[2] + 1.0), 1.0 / ((alpha + beta) * phi));
        break;
      }
      case gate::mH:
        rate = FromTau(1.0 / (x[0] + 1.0), r.A / (x[1] + x[2]) / phi);
        break;
      case gate::mM:
        rate = FromTau(1.0 / (x[0] + 1.0), r.A / ((x[1] + x[2]) * r.B) / phi);
        break;
      case gate::mNap: {
        const double z = GuardedSum(v, r.B), w = GuardedSum(v, r.E);
        const double alpha = r.A * z / (1.0 - x[0]), beta = r.D * w / (1.0 - x[1]);
        rate = FromTau(1.0 / (x[2] + 1.0), 1.0 / ((alpha + beta) * phi));
        break;
      }
      case gate::mAHP:
        rate = FromRates((r.A * 1e9) * TruncatedPower(in.caL, r.exponentB), r.C, phi);
        break;
      default: break;
    }
    dxdt[r.row] = rate.drive - rate.decay * state[r.row];
  }
}

}  // namespace vantor
