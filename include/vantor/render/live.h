// Drawing while a run goes: each recorded sample extends the live V-m trace
// that PlotSetup started; the rest of the picture comes from the replay.
#pragma once

#include <initializer_list>
#include <vector>

#include "vantor/engine/run_sample.h"
#include "vantor/render/picture.h"

namespace vantor {

// Extends the live V-m trace to (t, V) in the V-m band's transform that
// PlotSetup left in force. Nothing when V-m is not shown.
void DrawLiveSample(Picture& picture, double v, double t);

class LiveTraceSink : public RunSink {
 public:
  explicit LiveTraceSink(Picture& picture) : picture_(picture) {}
  void Sample(const RunSample& sample) override { DrawLiveSample(picture_, sample[1], sample[0]); }

 private:
  Picture& picture_;
};

// Hands every sample to each sink in order (the record writer first, so a
// sample is on disk before it is drawn).
class SinkFanOut : public RunSink {
 public:
  SinkFanOut() = default;
  SinkFanOut(std::initializer_list<RunSink*> sinks) : sinks_(sinks) {}
  void Add(RunSink* sink) {
    if (sink != nullptr) sinks_.push_back(sink);
  }
  void Sample(const RunSample& sample) override {
    for (RunSink* sink : sinks_) sink->Sample(sample);
  }
  void Precise(const RunSample& sample, const PreciseSample& precise) override {
    for (RunSink* sink : sinks_) sink->Precise(sample, precise);
  }
  bool NeedsCurrents() const override {
    for (const RunSink* sink : sinks_)
      if (sink->NeedsCurrents()) return true;
    return false;
  }

 private:
  std::vector<RunSink*> sinks_;
};

}  // namespace vantor
