#include "engine/stimulus_drive.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>

namespace vantor {
namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Strictly inside (from, to), as the parameters' own step is.
bool Inside(double m, double from, double to) { return from < m && m < to; }

// A standard normal value from two uniform ones (Box-Muller): the engine
// (std::mt19937_64) is the same everywhere, so a seed gives the same noise
// on every machine.
double Normal(std::mt19937_64& engine) {
  auto uniform = [&] { return (static_cast<double>(engine() >> 11) + 0.5) * 0x1.0p-53; };
  const double u = uniform(), w = uniform();
  return std::sqrt(-2.0 * std::log(u)) * std::cos(kTwoPi * w);
}

std::string Shortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// Chirp phase (radians) and its rate (radians per s) after tau s of T s.
void ChirpPhase(const Segment& s, double tau, double T, double& phase, double& rate) {
  const double k = s.f1 / s.f0;
  if (s.logSweep && k != 1.0) {
    const double grow = std::pow(k, tau / T);
    phase = kTwoPi * s.f0 * T * (grow - 1.0) / std::log(k);
    rate = kTwoPi * s.f0 * grow;
  } else {
    phase = kTwoPi * (s.f0 * tau + (s.f1 - s.f0) * tau * tau / (2.0 * T));
    rate = kTwoPi * (s.f0 + (s.f1 - s.f0) * tau / T);
  }
}

}  // namespace

StimulusDrive::StimulusDrive(const Stimulus& stimulus, double trial) : stimulus_(&stimulus) {
  points_.resize(stimulus.segments.size());
  auto edge = [&](double t) {
    if (t > 0.0 && t < trial) edges_.push_back(t);
  };
  for (std::size_t i = 0; i < stimulus.segments.size(); ++i) {
    const Segment& s = stimulus.segments[i];
    Points& p = points_[i];
    switch (s.kind) {
      case SegmentKind::Train:
        for (int k = 0; k < s.count; ++k) {
          const double start = s.onset + k * s.interval;
          if (start >= trial) break;
          edge(start);
          edge(start + s.width);
        }
        break;
      case SegmentKind::Noise: {
        // An Ornstein-Uhlenbeck process on its own grid, drawn exactly
        // (no discretisation error at any grid step), starting from its
        // stationary spread; linear between the grid points.
        const double end = std::min(s.offset, trial);
        if (!(end > s.onset)) break;
        std::mt19937_64 engine(s.seed);
        const auto steps = static_cast<std::size_t>(std::ceil((end - s.onset) / s.dt - 1e-9));
        p.t.reserve(steps + 1);
        p.v.reserve(steps + 1);
        double x = s.mean + s.sd * Normal(engine);
        for (std::size_t j = 0; j <= steps; ++j) {
          const double t = j == steps ? end : s.onset + static_cast<double>(j) * s.dt;
          if (j > 0) {
            const double decay = std::exp(-(t - p.t.back()) / s.tau);
            x = s.mean + (x - s.mean) * decay +
                s.sd * std::sqrt(std::max(0.0, 1.0 - decay * decay)) * Normal(engine);
          }
          p.t.push_back(t);
          p.v.push_back(x);
          edge(t);
        }
        break;
      }
      case SegmentKind::Waveform: {
        const std::size_t n = s.times.size();
        p.t.reserve(n);
        p.v.reserve(n);
        for (std::size_t j = 0; j < n; ++j) {
          p.t.push_back(s.onset + s.times[j]);
          p.v.push_back(s.scale * s.values[j]);
        }
        // Only where the slope changes (the ends always: it is 0 outside).
        for (std::size_t j = 0; j < n; ++j) {
          if (j > 0 && j + 1 < n) {
            const double before = (p.v[j] - p.v[j - 1]) / (p.t[j] - p.t[j - 1]);
            const double after = (p.v[j + 1] - p.v[j]) / (p.t[j + 1] - p.t[j]);
            if (before == after) continue;
          }
          edge(p.t[j]);
        }
        break;
      }
      default:
        edge(s.onset);
        edge(s.offset);
        break;
    }
  }
  std::sort(edges_.begin(), edges_.end());
  edges_.erase(std::unique(edges_.begin(), edges_.end()), edges_.end());
}

double StimulusDrive::SegmentLevel(std::size_t i, double t, double m, bool slope) const {
  const Segment& s = stimulus_->segments[i];
  switch (s.kind) {
    case SegmentKind::Step:
      return !slope && Inside(m, s.onset, s.offset) ? s.level : 0.0;
    case SegmentKind::Ramp: {
      if (!Inside(m, s.onset, s.offset)) return 0.0;
      const double rate = (s.level - s.from) / (s.offset - s.onset);
      return slope ? rate : s.from + rate * (t - s.onset);
    }
    case SegmentKind::Train: {
      if (slope || !(m > s.onset)) return 0.0;
      const double k = std::floor((m - s.onset) / s.interval);
      if (k >= s.count) return 0.0;
      return m - (s.onset + k * s.interval) < s.width ? s.amplitude : 0.0;
    }
    case SegmentKind::Sine: {
      if (!Inside(m, s.onset, s.offset)) return 0.0;
      const double w = kTwoPi * s.frequency / 1000.0;  // per ms
      const double phase = w * (t - s.onset) + s.phase * std::numbers::pi / 180.0;
      return slope ? s.amplitude * w * std::cos(phase) : s.amplitude * std::sin(phase);
    }
    case SegmentKind::Chirp: {
      if (!Inside(m, s.onset, s.offset)) return 0.0;
      double phase = 0, rate = 0;
      ChirpPhase(s, (t - s.onset) / 1000.0, (s.offset - s.onset) / 1000.0, phase, rate);
      return slope ? s.amplitude * std::cos(phase) * rate / 1000.0 : s.amplitude * std::sin(phase);
    }
    case SegmentKind::Noise:
    case SegmentKind::Waveform: {
      const Points& p = points_[i];
      const auto after = std::upper_bound(p.t.begin(), p.t.end(), m);
      if (after == p.t.begin() || after == p.t.end()) return 0.0;
      const std::size_t j = static_cast<std::size_t>(after - p.t.begin()) - 1;
      const double rate = (p.v[j + 1] - p.v[j]) / (p.t[j + 1] - p.t[j]);
      return slope ? rate : p.v[j] + rate * (t - p.t[j]);
    }
  }
  return 0.0;
}

double StimulusDrive::Level(double t, double within) const {
  double level = stimulus_->holding;
  for (std::size_t i = 0; i < points_.size(); ++i) level += SegmentLevel(i, t, within, false);
  return level;
}

double StimulusDrive::Slope(double t, double within) const {
  double slope = 0.0;
  for (std::size_t i = 0; i < points_.size(); ++i) slope += SegmentLevel(i, t, within, true);
  return slope;
}

double StimulusDrive::NextEdge(double t) const {
  const auto next = std::upper_bound(edges_.begin(), edges_.end(), t);
  return next == edges_.end() ? kNever : *next;
}

double StimulusDrive::EdgeFrom(double t) const {
  const auto next = std::lower_bound(edges_.begin(), edges_.end(), t);
  return next == edges_.end() ? kNever : *next;
}

std::string StimulusRefusal(const Stimulus& stimulus, const ParameterSet& params) {
  const double dt = params.Value(param::MaxDtForPlot);
  if (!(dt > 0.0)) return {};
  const double nyquist = 1000.0 / (2.0 * dt);
  for (const Segment& s : stimulus.segments) {
    const bool sine = s.kind == SegmentKind::Sine;
    if (!sine && s.kind != SegmentKind::Chirp) continue;
    const double f = sine ? s.frequency : std::max(s.f0, s.f1);
    if (f <= nyquist) continue;
    const char* field = sine ? "frequency" : s.f0 > s.f1 ? "f0" : "f1";
    return stimulus.name + ", line " + std::to_string(s.line) + ", field " + field + ": " +
           Shortest(f) + " Hz is above the " + Shortest(nyquist) +
           " Hz that a sample every " + Shortest(dt) +
           " ms (Maximum dt for plot) can show";
  }
  return {};
}

}  // namespace vantor
