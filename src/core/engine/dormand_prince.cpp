#include "engine/dormand_prince.h"

#include <cmath>

namespace vantor {
namespace {

// Nodes, coefficients, the error weights (fifth minus fourth order) and the
// dense-output weights of the pair.
constexpr double c2 = 1.0 / 5, c3 = 3.0 / 10, c4 = 4.0 / 5, c5 = 8.0 / 9;
constexpr double a21 = 1.0 / 5;
constexpr double a31 = 3.0 / 40, a32 = 9.0 / 40;
constexpr double a41 = 44.0 / 45, a42 = -56.0 / 15, a43 = 32.0 / 9;
constexpr double a51 = 19372.0 / 6561, a52 = -25360.0 / 2187, a53 = 64448.0 / 6561,
                 a54 = -212.0 / 729;
constexpr double a61 = 9017.0 / 3168, a62 = -355.0 / 33, a63 = 46732.0 / 5247, a64 = 49.0 / 176,
                 a65 = -5103.0 / 18656;
constexpr double a71 = 35.0 / 384, a73 = 500.0 / 1113, a74 = 125.0 / 192, a75 = -2187.0 / 6784,
                 a76 = 11.0 / 84;
constexpr double e1 = 71.0 / 57600, e3 = -71.0 / 16695, e4 = 71.0 / 1920, e5 = -17253.0 / 339200,
                 e6 = 22.0 / 525, e7 = -1.0 / 40;
constexpr double d1 = -12715105075.0 / 11282082432, d3 = 87487479700.0 / 32700410799,
                 d4 = -10690763975.0 / 1880347072, d5 = 701980252875.0 / 199316789632,
                 d6 = -1453857185.0 / 822651844, d7 = 69997945.0 / 29380423;

}  // namespace

void DormandPrince::Restart(double t, const ContinuousState& y, double iInj) {
  t0_ = t;
  y0_ = y;
  rates_.Evaluate(t, iInj, y0_.data(), k_[0].data());
  ++evaluations_;
}

double DormandPrince::Attempt(double h, double iInj, double rtol, const ContinuousState& atol) {
  h_ = h;
  // Only the values that move: the others keep dy/dt = 0 at every stage, so
  // they would come out of each combination unchanged.
  const int* act = rates_.Active();
  const int na = rates_.ActiveCount();
  auto& k = k_;
  const auto& y = y0_;
  auto& w = scratch_;
  auto stage = [&](int s, double c) {
    rates_.Evaluate(t0_ + c * h, iInj, w.data(), k[s].data());
    ++evaluations_;
  };
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    w[i] = y[i] + h * a21 * k[0][i];
  }
  stage(1, c2);
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    w[i] = y[i] + h * (a31 * k[0][i] + a32 * k[1][i]);
  }
  stage(2, c3);
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    w[i] = y[i] + h * (a41 * k[0][i] + a42 * k[1][i] + a43 * k[2][i]);
  }
  stage(3, c4);
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    w[i] = y[i] + h * (a51 * k[0][i] + a52 * k[1][i] + a53 * k[2][i] + a54 * k[3][i]);
  }
  stage(4, c5);
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    w[i] = y[i] + h * (a61 * k[0][i] + a62 * k[1][i] + a63 * k[2][i] + a64 * k[3][i] +
                       a65 * k[4][i]);
  }
  stage(5, 1.0);
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    y1_[i] = y[i] + h * (a71 * k[0][i] + a73 * k[2][i] + a74 * k[3][i] + a75 * k[4][i] +
                         a76 * k[5][i]);
  }
  rates_.Evaluate(t0_ + h, iInj, y1_.data(), k[6].data());
  ++evaluations_;

  // A value that does not move adds exactly 0; the mean is still over all.
  double sum = 0;
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    const double err = h * (e1 * k[0][i] + e3 * k[2][i] + e4 * k[3][i] + e5 * k[4][i] +
                            e6 * k[5][i] + e7 * k[6][i]);
    const double scale = atol[i] + rtol * std::fmax(std::fabs(y[i]), std::fabs(y1_[i]));
    const double r = err / scale;
    sum += r * r;
  }
  return std::sqrt(sum / n_);
}

void DormandPrince::Accept(double end) {
  const int* act = rates_.Active();
  const int na = rates_.ActiveCount();
  const double h = h_;
  auto& k = k_;
  for (int j = 0; j < na; ++j) {
    const int i = act[j];
    const double dy = y1_[i] - y0_[i];
    const double bspl = h * k[0][i] - dy;
    dense_[0][i] = y0_[i];
    dense_[1][i] = dy;
    dense_[2][i] = bspl;
    dense_[3][i] = dy - h * k[6][i] - bspl;
    dense_[4][i] = h * (d1 * k[0][i] + d3 * k[2][i] + d4 * k[3][i] + d5 * k[4][i] +
                        d6 * k[5][i] + d7 * k[6][i]);
    y0_[i] = y1_[i];
  }
  denseT_ = t0_;
  denseH_ = h;
  t0_ = end;
  for (int i = 0; i < n_; ++i) k[0][i] = k[6][i];  // first same as last
}

double DormandPrince::DenseValue(int i, double s) const {
  if (s >= denseT_ + denseH_) return y0_[i];  // the end is the accepted state itself
  const double theta = (s - denseT_) / denseH_, theta1 = 1.0 - theta;
  return dense_[0][i] +
         theta * (dense_[1][i] +
                  theta1 * (dense_[2][i] + theta * (dense_[3][i] + theta1 * dense_[4][i])));
}

DormandPrince::Quartic DormandPrince::DenseQuartic(int i) const {
  const double r0 = dense_[0][i], r1 = dense_[1][i], r2 = dense_[2][i], r3 = dense_[3][i],
               r4 = dense_[4][i];
  Quartic q;
  q.start = denseT_;
  q.h = denseH_;
  q.c[0] = r0;
  q.c[1] = r1 + r2;
  q.c[2] = r3 + r4 - r2;
  q.c[3] = -(r3 + 2 * r4);
  q.c[4] = r4;
  return q;
}

void DormandPrince::DenseState(double s, ContinuousState& y) const {
  for (int i = 0; i < n_; ++i) y[i] = y0_[i];  // a value that does not move stays put
  const int* act = rates_.Active();
  for (int j = 0; j < rates_.ActiveCount(); ++j) y[act[j]] = DenseValue(act[j], s);
}

}  // namespace vantor
