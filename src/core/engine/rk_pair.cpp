#include "engine/rk_pair.h"

#include <algorithm>
#include <cmath>

namespace vantor {
namespace {

// Nodes and stage coefficients (row sums equal the nodes).
constexpr double c2 = 0.161, c3 = 0.327, c4 = 0.9, c5 = 0.9800255409045097;
constexpr double a21 = 0.161;
constexpr double a31 = -0.008480655492356989, a32 = 0.335480655492357;
constexpr double a41 = 2.897153057105493, a42 = -6.359448489975075, a43 = 4.3622954328695815;
constexpr double a51 = 5.325864828439257, a52 = -11.748883564062828, a53 = 7.4955393428898365,
                 a54 = -0.09249506636175525;
constexpr double a61 = 5.86145544294642, a62 = -12.92096931784711, a63 = 8.159367898576159,
                 a64 = -0.071584973281401, a65 = -0.028269050394068383;
// The fifth-order weights, also the last stage's row.
constexpr double b1 = 0.09646076681806523, b2 = 0.01, b3 = 0.4798896504144996,
                 b4 = 1.379008574103742, b5 = -3.290069515436081, b6 = 2.324710524099774;
// Fifth minus fourth order.
constexpr double e1 = -0.00178001105222577714, e2 = -0.0008164344596567469,
                 e3 = 0.007880878010261995, e4 = -0.1447110071732629, e5 = 0.5823571654525552,
                 e6 = -0.45808210592918697, e7 = 1.0 / 66;
// The dense output: b_i(θ) = r_i1 θ + r_i2 θ² + r_i3 θ³ + r_i4 θ⁴ (r_i1 is 1
// for the first stage and 0 for the others).
constexpr double r12 = -2.763706197274826, r13 = 2.9132554618219126, r14 = -1.0530884977290216;
constexpr double r22 = 0.13169999999999998, r23 = -0.2234, r24 = 0.1017;
constexpr double r32 = 3.9302962368947516, r33 = -5.941033872131505, r34 = 2.490627285651253;
constexpr double r42 = -12.411077166933676, r43 = 30.33818863028232, r44 = -16.548102889244902;
constexpr double r52 = 37.50931341651104, r53 = -88.1789048947664, r54 = 47.37952196281928;
constexpr double r62 = -27.896526289197286, r63 = 65.09189467479366, r64 = -34.87065786149661;
constexpr double r72 = 1.5, r73 = -4.0, r74 = 2.5;

constexpr RungeKuttaPair::Tableau kTableau{
    {0.0, c2, c3, c4, c5, 1.0, 1.0},
    {{},
     {a21},
     {a31, a32},
     {a41, a42, a43},
     {a51, a52, a53, a54},
     {a61, a62, a63, a64, a65},
     {b1, b2, b3, b4, b5, b6}},
    {b1, b2, b3, b4, b5, b6, 0.0},
    {e1, e2, e3, e4, e5, e6, e7},
    {{1.0, r12, r13, r14},
     {0.0, r22, r23, r24},
     {0.0, r32, r33, r34},
     {0.0, r42, r43, r44},
     {0.0, r52, r53, r54},
     {0.0, r62, r63, r64},
     {0.0, r72, r73, r74}},
};

}  // namespace

const RungeKuttaPair::Tableau& RungeKuttaPair::Coefficients() { return kTableau; }

// The stage combinations and the dense output run over the whole state in
// contiguous loops, which the compiler vectorises; where the processor has
// AVX2 a second copy of each uses it (without fused multiply-adds, so both
// give the same bits). Sanitizer builds keep the one copy.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VANTOR_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VANTOR_VECTOR_CLONES
#endif

// The loops over the state run over two spans of whole vectors of four:
// from V to past the last gate that moves, and from the last two gates
// through the shells and the accumulators (to the size rounded up to four).
// What lies between does not move: its slope is 0 at every stage and its
// value stays as Restart left it, so leaving it out changes no result. A
// cell of sodium and potassium alone whose shells sit on their floor (so
// always, unless a dialog has just switched its calcium channels off) has no
// second span: of the built-in cell's sixteen values the loops take four.
template <class F>
[[gnu::always_inline]] inline void Spans(int gatesEnd, int shellsFrom, int end, F&& f) {
  for (int b = 0; b < gatesEnd; b += 4)
    for (int i = b; i < b + 4; ++i) f(i);
  for (int b = shellsFrom; b < end; b += 4)
    for (int i = b; i < b + 4; ++i) f(i);
}

void RungeKuttaPair::Restart(double t, const ContinuousState& y, double iInj) {
  t0_ = t;
  y0_ = y;
  // The values outside the two spans keep these copies for good.
  y1_ = y;
  scratch_ = y;
  generation_ = rates_.Generation();
  gatesEnd_ = std::min((rates_.GatesEnd() + 3) / 4 * 4, kShellsFrom);
  shellsFrom_ = rates_.ShellsStill(y.data()) ? end_ : kShellsFrom;
  for (ContinuousState& k : k_) k.fill(0.0);
  rates_.Evaluate(t, iInj, y0_.data(), k_[0].data());
  ++evaluations_;
}

VANTOR_VECTOR_CLONES
double RungeKuttaPair::Attempt(double h, double iInj, double rtol, const ContinuousState& atol) {
  // A parameter changed while a sample was handed over: what moves, and the
  // first stage, may have changed with it.
  if (rates_.Generation() != generation_) Restart(t0_, y0_, iInj);
  h_ = h;
  const int n = n_, g = gatesEnd_, from = shellsFrom_, last = end_;
  auto& k = k_;
  const auto& y = y0_;
  auto& w = scratch_;
  auto stage = [&](int s, double c) {
    rates_.Evaluate(t0_ + c * h, iInj, w.data(), k[s].data());
    ++evaluations_;
  };
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    w[i] = y[i] + h * a21 * k[0][i];
  });
  stage(1, c2);
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    w[i] = y[i] + h * (a31 * k[0][i] + a32 * k[1][i]);
  });
  stage(2, c3);
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    w[i] = y[i] + h * (a41 * k[0][i] + a42 * k[1][i] + a43 * k[2][i]);
  });
  stage(3, c4);
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    w[i] = y[i] + h * (a51 * k[0][i] + a52 * k[1][i] + a53 * k[2][i] + a54 * k[3][i]);
  });
  stage(4, c5);
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    w[i] = y[i] + h * (a61 * k[0][i] + a62 * k[1][i] + a63 * k[2][i] + a64 * k[3][i] +
                       a65 * k[4][i]);
  });
  stage(5, 1.0);
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    y1_[i] = y[i] + h * (b1 * k[0][i] + b2 * k[1][i] + b3 * k[2][i] + b4 * k[3][i] +
                         b5 * k[4][i] + b6 * k[5][i]);
  });
  rates_.Evaluate(t0_ + h, iInj, y1_.data(), k[6].data());
  ++evaluations_;

  // A value that does not move adds exactly 0.
  double sum = 0;
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    const double err = h * (e1 * k[0][i] + e2 * k[1][i] + e3 * k[2][i] + e4 * k[3][i] +
                            e5 * k[4][i] + e6 * k[5][i] + e7 * k[6][i]);
    // The larger magnitude (a blow-up gives a sum that is not a number either way).
    const double a0 = std::fabs(y[i]), a1 = std::fabs(y1_[i]);
    const double scale = atol[i] + rtol * (a1 > a0 ? a1 : a0);
    const double r = err / scale;
    sum += r * r;
  });
  return std::sqrt(sum / n);
}

VANTOR_VECTOR_CLONES
void RungeKuttaPair::Accept(double end) {
  const int g = gatesEnd_, from = shellsFrom_, last = end_;
  const double h = h_;
  auto& k = k_;
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    dense_[0][i] = h * k[0][i];
    dense_[1][i] = h * (r12 * k[0][i] + r22 * k[1][i] + r32 * k[2][i] + r42 * k[3][i] +
                        r52 * k[4][i] + r62 * k[5][i] + r72 * k[6][i]);
    dense_[2][i] = h * (r13 * k[0][i] + r23 * k[1][i] + r33 * k[2][i] + r43 * k[3][i] +
                        r53 * k[4][i] + r63 * k[5][i] + r73 * k[6][i]);
    dense_[3][i] = h * (r14 * k[0][i] + r24 * k[1][i] + r34 * k[2][i] + r44 * k[3][i] +
                        r54 * k[4][i] + r64 * k[5][i] + r74 * k[6][i]);
    denseStart_[i] = y0_[i];
    y0_[i] = y1_[i];
    k[0][i] = k[6][i];  // first same as last
  });
  denseT_ = t0_;
  denseH_ = h;
  t0_ = end;
}

RungeKuttaPair::Quartic RungeKuttaPair::DenseQuartic(int i) const {
  Quartic q;
  q.start = denseT_;
  q.h = denseH_;
  // A value outside the spans has not moved: the quartic is its value.
  if (i >= gatesEnd_ && i < shellsFrom_) {
    q.c[0] = y0_[i];
    return q;
  }
  q.c[0] = denseStart_[i];
  for (int m = 0; m < 4; ++m) q.c[m + 1] = dense_[m][i];
  return q;
}

VANTOR_VECTOR_CLONES
void RungeKuttaPair::DenseState(double s, ContinuousState& y) const {
  if (s >= denseT_ + denseH_) {  // the end is the accepted state itself
    y = y0_;
    return;
  }
  const double x = (s - denseT_) / denseH_;
  const int g = gatesEnd_, from = shellsFrom_, last = end_;
  for (int b = g; b < from; b += 4)
    for (int i = b; i < b + 4; ++i) y[i] = y0_[i];
  Spans(g, from, last, [&](int i) __attribute__((always_inline)) {
    y[i] = denseStart_[i] +
           x * (dense_[0][i] + x * (dense_[1][i] + x * (dense_[2][i] + x * dense_[3][i])));
  });
}

}  // namespace vantor
