#include "engine/stimulus_fields.h"

#include <iterator>

namespace vantor::stimulus_fields {
namespace {

using S = Segment;
constexpr Field kStep[] = {{"onset", Type::Number, &S::onset, true},
                           {"offset", Type::Number, &S::offset, true},
                           {"level", Type::Number, &S::level, true}};
constexpr Field kRamp[] = {{"onset", Type::Number, &S::onset, true},
                           {"offset", Type::Number, &S::offset, true},
                           {"from", Type::Number, &S::from, false},
                           {"to", Type::Number, &S::level, true}};
constexpr Field kTrain[] = {{"onset", Type::Number, &S::onset, true},
                            {"count", Type::Count, nullptr, true},
                            {"width", Type::Number, &S::width, true},
                            {"interval", Type::Number, &S::interval, true},
                            {"amplitude", Type::Number, &S::amplitude, true}};
constexpr Field kSine[] = {{"onset", Type::Number, &S::onset, true},
                           {"offset", Type::Number, &S::offset, true},
                           {"amplitude", Type::Number, &S::amplitude, true},
                           {"frequency", Type::Number, &S::frequency, true},
                           {"phase", Type::Number, &S::phase, false}};
constexpr Field kChirp[] = {{"onset", Type::Number, &S::onset, true},
                            {"offset", Type::Number, &S::offset, true},
                            {"amplitude", Type::Number, &S::amplitude, true},
                            {"f0", Type::Number, &S::f0, true},
                            {"f1", Type::Number, &S::f1, true},
                            {"sweep", Type::Sweep, nullptr, false}};
constexpr Field kNoise[] = {{"onset", Type::Number, &S::onset, true},
                            {"offset", Type::Number, &S::offset, true},
                            {"mean", Type::Number, &S::mean, false},
                            {"sd", Type::Number, &S::sd, true},
                            {"tau", Type::Number, &S::tau, true},
                            {"seed", Type::Seed, nullptr, false},
                            {"dt", Type::Number, &S::dt, false}};
constexpr Field kWaveform[] = {{"file", Type::Path, nullptr, true},
                               {"onset", Type::Number, &S::onset, false},
                               {"scale", Type::Number, &S::scale, false}};

template <std::size_t N>
constexpr Kind Make(const char* name, SegmentKind kind, const Field (&fields)[N]) {
  return {name, kind, fields, static_cast<int>(N)};
}

constexpr Kind kKinds[] = {
    Make("step", SegmentKind::Step, kStep),       Make("ramp", SegmentKind::Ramp, kRamp),
    Make("train", SegmentKind::Train, kTrain),    Make("sine", SegmentKind::Sine, kSine),
    Make("chirp", SegmentKind::Chirp, kChirp),    Make("noise", SegmentKind::Noise, kNoise),
    Make("waveform", SegmentKind::Waveform, kWaveform),
};

}  // namespace

const Kind* KindNamed(std::string_view name) {
  for (const Kind& k : kKinds)
    if (name == k.name) return &k;
  return nullptr;
}

const Kind& KindOf(SegmentKind kind) {
  for (const Kind& k : kKinds)
    if (k.kind == kind) return k;
  return kKinds[0];
}

}  // namespace vantor::stimulus_fields
