// A stimulus as a run evaluates it: the level (nA in current clamp, mV in
// voltage clamp) as a function of time, its slope, and the edges where it
// jumps or its slope changes. Everything is laid out before the run (noise
// drawn, waveforms placed, edges sorted); evaluating allocates nothing.
//
// Between two edges every segment is smooth. A caller taking a step from t
// to t + h (never across an edge) names a time `within` inside it: a
// segment's pieces are chosen there, so a step that ends on an edge sees the
// piece it lies in, not the one after.
#pragma once

#include <string>
#include <vector>

#include "vantor/engine/stimulus.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

class StimulusDrive {
 public:
  // No stimulus: Active() is false.
  StimulusDrive() = default;
  // Lays out `stimulus` (which must outlive the drive) over [0, trial].
  StimulusDrive(const Stimulus& stimulus, double trial);

  bool Active() const { return stimulus_ != nullptr; }
  bool VoltageClamp() const { return Active() && stimulus_->mode == ClampMode::Voltage; }
  // MOhm; 0 for an ideal clamp.
  double SeriesResistance() const { return Active() ? stimulus_->seriesResistance : 0.0; }

  // The holding level plus every segment at t, pieces chosen at `within`.
  double Level(double t, double within) const;
  double Level(double t) const { return Level(t, t); }
  // Its slope per ms.
  double Slope(double t, double within) const;

  // The first edge after t, or after or at t; infinity when none comes.
  double NextEdge(double t) const;
  double EdgeFrom(double t) const;
  std::size_t EdgeCount() const { return edges_.size(); }

 private:
  double SegmentLevel(std::size_t i, double t, double m, bool slope) const;

  const Stimulus* stimulus_ = nullptr;
  // Noise and waveforms as points in run time, per segment (empty otherwise).
  struct Points {
    std::vector<double> t, v;
  };
  std::vector<Points> points_;
  std::vector<double> edges_;
};

// Why the stimulus cannot be run with these parameters ("" when it can): a
// frequency above what the record's sampling ("Max dt for plot") can show.
std::string StimulusRefusal(const Stimulus& stimulus, const ParameterSet& params);

}  // namespace vantor
