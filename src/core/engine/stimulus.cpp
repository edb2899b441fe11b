#include "vantor/engine/stimulus.h"

#include <charconv>

namespace vantor {
namespace {

std::string Shortest(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

}  // namespace

bool Segment::operator==(const Segment& o) const {
  return kind == o.kind && onset == o.onset && offset == o.offset && level == o.level &&
         from == o.from && amplitude == o.amplitude && count == o.count && width == o.width &&
         interval == o.interval && frequency == o.frequency && phase == o.phase && f0 == o.f0 &&
         f1 == o.f1 && logSweep == o.logSweep && mean == o.mean && sd == o.sd && tau == o.tau &&
         dt == o.dt && seed == o.seed && scale == o.scale && file == o.file && times == o.times &&
         values == o.values;
}

double& FamilyLevel(Segment& segment) {
  switch (segment.kind) {
    case SegmentKind::Step:
    case SegmentKind::Ramp: return segment.level;
    case SegmentKind::Noise: return segment.mean;
    case SegmentKind::Waveform: return segment.scale;
    default: return segment.amplitude;
  }
}

std::vector<FamilyMember> ExpandFamily(const Stimulus& stimulus) {
  if (!stimulus.family) return {{stimulus, std::nullopt, {}}};
  const Family& family = *stimulus.family;
  const char* unit = stimulus.mode == ClampMode::Voltage ? " mV" : " nA";
  std::vector<FamilyMember> members;
  for (const double value : family.values) {
    FamilyMember m{stimulus, std::nullopt, {}};
    m.stimulus.family.reset();
    if (family.target == Family::kHolding) {
      m.stimulus.holding = value;
      m.label = "holding " + Shortest(value) + unit;
    } else if (family.target == Family::kParameterStep) {
      m.parameterStep = value;
      m.label = "step " + Shortest(value) + " nA";
    } else {
      Segment& s = m.stimulus.segments[family.target - 1];
      FamilyLevel(s) = value;
      m.label = "segment " + std::to_string(family.target) + " " + Shortest(value) +
                (s.kind == SegmentKind::Waveform ? std::string(" x") : std::string(unit));
    }
    members.push_back(std::move(m));
  }
  return members;
}

}  // namespace vantor
