#include "vantor/analysis/spikes.h"

#include <algorithm>
#include <cmath>

namespace vantor {
namespace {

double Slope(VmView tr, std::size_t i) {  // of the interval ending at sample i
  return (tr.v[i] - tr.v[i - 1]) / (tr.t[i] - tr.t[i - 1]);
}

// The potential at time `at` on the straight lines between the samples.
double PotentialAt(VmView tr, std::size_t k, double at) {
  if (tr.t[k] == tr.t[k - 1]) return tr.v[k];
  return tr.v[k - 1] + (at - tr.t[k - 1]) * Slope(tr, k);
}

// Where the interval ending at `i`, the first to reach the rate, meets it:
// its slope and the one before belong to the middles of the two intervals.
void Onset(VmView tr, std::size_t i, std::size_t before, double rate, Spike& s) {
  const double slope = Slope(tr, i);
  double at = tr.t[i - 1];
  if (before > 0) {
    const double earlier = Slope(tr, before);
    const double m0 = (tr.t[before] + tr.t[before - 1]) / 2, m1 = (tr.t[i] + tr.t[i - 1]) / 2;
    at = m0 + (rate - earlier) * (m1 - m0) / (slope - earlier);
  }
  const std::size_t k = at < tr.t[i - 1] ? before : i;
  s.onsetTime = at;
  s.onsetMv = PotentialAt(tr, k, at);
}

// The first upward crossing of `level` by the samples first .. last.
double RiseThrough(VmView tr, std::size_t first, std::size_t last, double level) {
  for (std::size_t k = std::max<std::size_t>(first, 1); k <= last; ++k)
    if (RisesThrough(tr.v[k - 1], tr.v[k], level))
      return CrossingTime(tr.t[k - 1], tr.v[k - 1], tr.t[k], tr.v[k], level);
  return kNoFeature;
}

}  // namespace

std::vector<Spike> FindSpikes(VmView tr, const SpikeRule& rule) {
  std::vector<Spike> spikes;
  const std::size_t n = std::min(tr.t.size(), tr.v.size());
  std::size_t before = 0;  // the last interval with a length, 0 for none
  bool armed = true;       // dV/dt has been below the rate since the last upstroke
  for (std::size_t i = 1; i < n; ++i) {
    if (!(tr.t[i] > tr.t[i - 1])) continue;
    const double slope = Slope(tr, i);
    const bool fast = slope >= rule.dvdt;
    const std::size_t earlier = before;
    before = i;
    if (!fast) armed = true;
    if (!fast || !armed) continue;
    armed = false;
    Spike s;
    Onset(tr, i, earlier, rule.dvdt, s);
    // Up to the peak: while the potential does not fall.
    std::size_t peak = i;
    s.maxDvdt = slope;
    while (peak + 1 < n && tr.v[peak + 1] >= tr.v[peak]) {
      ++peak;
      if (tr.t[peak] > tr.t[peak - 1]) s.maxDvdt = std::max(s.maxDvdt, Slope(tr, peak));
    }
    s.peakTime = tr.t[peak];
    s.peakMv = tr.v[peak];
    const std::size_t up = i;
    i = peak;
    before = peak;
    if (s.peakMv < rule.threshold || s.Amplitude() < kSpikeHeight) continue;
    // The onset lies in the interval ending at `up` or the one before.
    const std::size_t from = up > 1 ? up - 1 : up;
    s.time = s.onsetMv >= rule.threshold ? s.onsetTime : RiseThrough(tr, from, peak, rule.threshold);
    if (!(s.time >= s.onsetTime)) s.time = s.onsetTime;  // reached just at the onset
    // Down from the peak to the lowest point, then half-width on the way.
    const double half = s.onsetMv + s.Amplitude() / 2;
    const double rise = RiseThrough(tr, from, peak, half);
    std::size_t k = peak;
    while (k + 1 < n && tr.v[k + 1] <= tr.v[k]) {
      ++k;
      if (std::isnan(s.halfWidthMs) && tr.v[k] <= half && tr.v[k - 1] > half)
        s.halfWidthMs = CrossingTime(tr.t[k - 1], tr.v[k - 1], tr.t[k], tr.v[k], half) - rise;
    }
    if (k + 1 < n) s.ahpTime = tr.t[k] - s.peakTime, s.ahpMv = tr.v[k];
    spikes.push_back(s);
  }
  return spikes;
}

std::vector<double> SpikeTimes(const std::vector<Spike>& spikes) {
  std::vector<double> times;
  times.reserve(spikes.size());
  for (const Spike& s : spikes) times.push_back(s.time);
  return times;
}


std::vector<double> Slopes(VmView tr) {
  const std::size_t n = std::min(tr.t.size(), tr.v.size());
  std::vector<double> dvdt(n, kNoFeature);
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t lo = i, hi = i;
    while (lo > 0 && tr.t[lo] == tr.t[i]) --lo;
    while (hi + 1 < n && tr.t[hi] == tr.t[i]) ++hi;
    if (tr.t[hi] > tr.t[lo]) dvdt[i] = (tr.v[hi] - tr.v[lo]) / (tr.t[hi] - tr.t[lo]);
  }
  return dvdt;
}

}  // namespace vantor
