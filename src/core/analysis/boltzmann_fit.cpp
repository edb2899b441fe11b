// The Boltzmann and exponential fits through GSL's nonlinear least squares.
#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>

#include "vantor/analysis/clamp_curves.h"

namespace vantor {
namespace {

// GSL's trust-region least squares of `residuals` (n of them, np unknowns)
// from `start`, which then holds the fitted values; `rms` is the root mean
// square of the residuals there. The GSL status.
int LeastSquares(int (*residuals)(const gsl_vector*, void*, gsl_vector*), void* data,
                 std::size_t n, std::size_t np, double* start, double& rms) {
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = residuals;
  fdf.n = n;
  fdf.p = np;
  fdf.params = data;
  gsl_multifit_nlinear_parameters settings = gsl_multifit_nlinear_default_parameters();
  gsl_multifit_nlinear_workspace* w =
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &settings, n, np);
  if (w == nullptr) return GSL_ENOMEM;
  gsl_vector_view x0 = gsl_vector_view_array(start, np);
  gsl_error_handler_t* former = gsl_set_error_handler_off();
  int info = 0;
  int status = gsl_multifit_nlinear_init(&x0.vector, &fdf, w);
  if (status == GSL_SUCCESS)
    status = gsl_multifit_nlinear_driver(500, 1e-10, 1e-10, 1e-12, nullptr, nullptr, &info, w);
  gsl_set_error_handler(former);
  const gsl_vector* p = gsl_multifit_nlinear_position(w);
  for (std::size_t k = 0; k < np; ++k) start[k] = gsl_vector_get(p, k);
  double chi = 0;
  gsl_blas_ddot(gsl_multifit_nlinear_residual(w), gsl_multifit_nlinear_residual(w), &chi);
  rms = std::sqrt(chi / static_cast<double>(n));
  gsl_multifit_nlinear_free(w);
  return status;
}

enum class Form { Activation, Inactivation, Tail };

struct Data {
  const std::vector<double>* v;
  const std::vector<double>* i;
  Form form;
};

double Model(const Data& d, const gsl_vector* p, double v) {
  const double a = gsl_vector_get(p, 0), vHalf = gsl_vector_get(p, 1);
  const double k = gsl_vector_get(p, 2);
  switch (d.form) {
    case Form::Activation:
      return a * (v - gsl_vector_get(p, 3)) / (1.0 + std::exp((vHalf - v) / k));
    case Form::Tail:
      return gsl_vector_get(p, 3) + a / (1.0 + std::exp((vHalf - v) / k));
    case Form::Inactivation:
      break;
  }
  return a / (1.0 + std::exp((v - vHalf) / k));
}

int Residuals(const gsl_vector* p, void* data, gsl_vector* f) {
  const Data& d = *static_cast<const Data*>(data);
  for (std::size_t j = 0; j < d.v->size(); ++j)
    gsl_vector_set(f, j, Model(d, p, (*d.v)[j]) - (*d.i)[j]);
  return GSL_SUCCESS;
}

BoltzmannFit Fit(const std::vector<double>& levels, const std::vector<double>& currents,
                 Form form) {
  BoltzmannFit fit;
  const bool activation = form == Form::Activation;
  const std::size_t n = levels.size(), np = form == Form::Inactivation ? 3 : 4;
  if (n != currents.size() || n < np) {
    fit.error = "needs at least " + std::to_string(np) + " levels";
    return fit;
  }
  for (std::size_t j = 0; j < n; ++j)
    if (!std::isfinite(levels[j]) || !std::isfinite(currents[j])) {
      fit.error = "a level or a current is not a finite number";
      return fit;
    }
  const auto [lo, hi] = std::minmax_element(levels.begin(), levels.end());
  const double span = std::max(*hi - *lo, 1.0);
  // Starting values from the data: the middle of the range, a tenth of it
  // as the slope factor; the largest current for Imax; for the activation
  // a reversal beyond the highest level on the side the currents point to,
  // and the conductance that gives the largest current there.
  double biggest = 0;
  for (double c : currents)
    if (std::fabs(c) > std::fabs(biggest)) biggest = c;
  double start[4] = {biggest, *lo + span / 2, span / 10, 0};
  if (activation) {
    start[3] = biggest < 0 ? *hi + span / 2 : *lo - span / 2;
    double g = 0;
    for (std::size_t j = 0; j < n; ++j)
      if (std::fabs(levels[j] - start[3]) > 1e-9) g = std::max(g, currents[j] / (levels[j] - start[3]));
    start[0] = g > 0 ? g : std::fabs(biggest) / span;
  }
  // A tail: from the current at the lowest level (the offset) to that at
  // the highest.
  const std::size_t low = static_cast<std::size_t>(lo - levels.begin());
  const std::size_t high = static_cast<std::size_t>(hi - levels.begin());
  if (form == Form::Tail) {
    start[0] = currents[high] - currents[low];
    start[3] = currents[low];
  }
  Data data{&levels, &currents, form};
  const int status = LeastSquares(Residuals, &data, n, np, start, fit.residual);
  fit.scale = start[0];
  fit.vHalf = start[1];
  fit.slope = start[2];
  if (activation) fit.reversal = start[3];
  if (form == Form::Tail) {
    // The same curve has two forms, (C, A, k) and (C + A, -A, -k); the one
    // kept has C where the channel is closed: the end of the smaller current.
    fit.offset = start[3];
    const bool openLow = std::fabs(currents[low]) > std::fabs(currents[high]);
    if (openLow != (fit.slope < 0)) {
      fit.offset += fit.scale;
      fit.scale = -fit.scale;
      fit.slope = -fit.slope;
    }
  }
  fit.ok = status == GSL_SUCCESS && std::isfinite(fit.residual) && std::isfinite(fit.vHalf) &&
           std::isfinite(fit.slope);
  if (!fit.ok) fit.error = std::string("the fit did not converge (") + gsl_strerror(status) + ")";
  return fit;
}

}  // namespace

BoltzmannFit FitActivation(const std::vector<double>& levels, const std::vector<double>& currents) {
  return Fit(levels, currents, Form::Activation);
}

BoltzmannFit FitInactivation(const std::vector<double>& levels,
                             const std::vector<double>& currents) {
  return Fit(levels, currents, Form::Inactivation);
}

BoltzmannFit FitTailActivation(const std::vector<double>& levels,
                               const std::vector<double>& currents) {
  return Fit(levels, currents, Form::Tail);
}

namespace {

struct Decay {
  std::vector<double> t, i;  // t from the first sample
};

int DecayResiduals(const gsl_vector* p, void* data, gsl_vector* f) {
  const Decay& d = *static_cast<const Decay*>(data);
  const double a = gsl_vector_get(p, 0), tau = gsl_vector_get(p, 1), c = gsl_vector_get(p, 2);
  for (std::size_t j = 0; j < d.t.size(); ++j)
    gsl_vector_set(f, j, a * std::exp(-d.t[j] / tau) + c - d.i[j]);
  return GSL_SUCCESS;
}

}  // namespace

ExponentialFit FitExponential(const std::vector<double>& times, const std::vector<double>& currents,
                              double from, double to) {
  ExponentialFit fit;
  Decay d;
  double t0 = 0;
  for (std::size_t j = 0; j < times.size() && j < currents.size(); ++j) {
    if (times[j] < from || times[j] > to) continue;
    if (!std::isfinite(times[j]) || !std::isfinite(currents[j])) {
      fit.error = "a time or a current is not a finite number";
      return fit;
    }
    if (d.t.empty()) t0 = times[j];
    d.t.push_back(times[j] - t0);
    d.i.push_back(currents[j]);
  }
  const std::size_t n = d.t.size();
  if (n < 4 || !(d.t.back() > 0)) {
    fit.error = "needs at least 4 samples";
    return fit;
  }
  // Starting values: the last sample as the level it decays to, the first
  // above it as the amplitude, and where a 1/e of it is left as tau.
  double start[3] = {d.i.front() - d.i.back(), d.t.back() / 3, d.i.back()};
  for (std::size_t j = 0; j < n; ++j)
    if (std::fabs(d.i[j] - d.i.back()) < std::fabs(start[0]) / std::exp(1.0)) {
      if (d.t[j] > 0) start[1] = d.t[j];
      break;
    }
  const int status = LeastSquares(DecayResiduals, &d, n, 3, start, fit.residual);
  fit.amplitude = start[0];
  fit.tau = start[1];
  fit.offset = start[2];
  fit.ok = status == GSL_SUCCESS && std::isfinite(fit.residual) && fit.tau > 0 &&
           std::isfinite(fit.tau);
  if (!fit.ok)
    fit.error = status != GSL_SUCCESS
                    ? std::string("the fit did not converge (") + gsl_strerror(status) + ")"
                    : "no decay to fit";
  return fit;
}

}  // namespace vantor
