// The impedance profile through GSL's radix-2 real FFT.
#include <gsl/gsl_errno.h>
#include <gsl/gsl_fft_real.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "vantor/analysis/ramp_chirp.h"

namespace vantor {
namespace {

// `values` at the times from + k step (k < n), linear between the samples.
std::vector<double> Resample(const std::vector<double>& t, const std::vector<double>& values,
                             double from, double step, std::size_t n) {
  std::vector<double> out(n);
  std::size_t j = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const double at = from + step * static_cast<double>(k);
    while (j + 1 < t.size() && t[j + 1] <= at) ++j;
    if (j + 1 >= t.size() || !(t[j + 1] > t[j]) || at <= t[j]) {
      out[k] = values[j];
    } else {
      out[k] = values[j] + (values[j + 1] - values[j]) * (at - t[j]) / (t[j + 1] - t[j]);
    }
  }
  double mean = 0;
  for (double x : out) mean += x;
  mean /= static_cast<double>(n);
  for (double& x : out) x -= mean;
  return out;
}

}  // namespace

ImpedanceProfile ImpedanceFrom(const std::vector<double>& times, const std::vector<double>& v,
                               const std::vector<double>& i, double from, double to, double f0,
                               double f1) {
  ImpedanceProfile z;
  const double lo = std::min(f0, f1), hi = std::max(f0, f1);
  if (times.size() < 2 || times.size() != v.size() || times.size() != i.size() ||
      !(to > from) || !(lo > 0) || !std::isfinite(hi)) {
    z.error = "needs samples over the chirp and a band above 0 Hz";
    return z;
  }
  for (std::size_t k = 0; k < times.size(); ++k)
    if (!std::isfinite(times[k]) || !std::isfinite(v[k]) || !std::isfinite(i[k]) ||
        (k > 0 && times[k] < times[k - 1])) {
      z.error = "the samples are not finite numbers in time order";
      return z;
    }
  // Steps of at most 0.1 ms and a twentieth of the highest period.
  const double span = to - from;  // ms
  const double wanted = std::min(0.1, 1000.0 / (20.0 * hi));
  std::size_t n = 2;
  while (static_cast<double>(n) * wanted < span && n < (std::size_t{1} << 22)) n *= 2;
  const double step = span / static_cast<double>(n);
  if (step > 1000.0 / (5.0 * hi)) {
    z.error = "the chirp is too long for its highest frequency (" + std::to_string(n) +
              " points cannot show it)";
    return z;
  }
  std::vector<double> vs = Resample(times, v, from, step, n);
  std::vector<double> is = Resample(times, i, from, step, n);
  gsl_error_handler_t* former = gsl_set_error_handler_off();
  const int a = gsl_fft_real_radix2_transform(vs.data(), 1, n);
  const int b = gsl_fft_real_radix2_transform(is.data(), 1, n);
  gsl_set_error_handler(former);
  if (a != GSL_SUCCESS || b != GSL_SUCCESS) {
    z.error = std::string("the transform failed (") + gsl_strerror(a != GSL_SUCCESS ? a : b) + ")";
    return z;
  }
  // Half-complex order: [0] the mean, [k] and [n - k] the real and imaginary
  // parts of frequency k / span, [n / 2] the highest.
  // Frequencies where the current has less than a hundredth of its largest
  // amplitude in the band carry no measure (a ratio of two small numbers).
  const double resolution = 1000.0 / span;  // Hz
  double largest = 0;
  for (std::size_t k = 1; k < n / 2; ++k) {
    const double f = resolution * static_cast<double>(k);
    if (f >= lo && f <= hi) largest = std::max(largest, std::hypot(is[k], is[n - k]));
  }
  for (std::size_t k = 1; k < n / 2; ++k) {
    const double f = resolution * static_cast<double>(k);
    if (f < lo || f > hi) continue;
    const double iv = std::hypot(is[k], is[n - k]);
    if (!(iv > 0) || iv < largest / 100) continue;
    z.frequency.push_back(f);
    z.magnitude.push_back(std::hypot(vs[k], vs[n - k]) / iv);
  }
  // The ratio ripples from bin to bin (a chirp is no steady sine); the peak
  // is taken on its running mean over five bins.
  for (std::size_t k = 0; k < z.magnitude.size(); ++k) {
    const std::size_t a = k < 2 ? 0 : k - 2, b = std::min(k + 3, z.magnitude.size());
    double mean = 0;
    for (std::size_t j = a; j < b; ++j) mean += z.magnitude[j];
    mean /= static_cast<double>(b - a);
    if (mean > z.peakMagnitude) {
      z.peakMagnitude = mean;
      z.peakFrequency = z.frequency[k];
    }
  }
  if (z.frequency.empty()) {
    char text[96];
    std::snprintf(text, sizeof text, "the chirp is too short to resolve its band (steps of %g Hz)",
                  resolution);
    z.error = text;
    return z;
  }
  z.ok = true;
  return z;
}

}  // namespace vantor
