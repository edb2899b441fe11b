#include "app/zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "vantor/render/run_record.h"
#include "vantor/text/number_format.h"

namespace vantor::app {
namespace {

std::vector<RunSample> SamplesOf(const RecordedRun& run) {
  std::vector<RunSample> samples;
  if (run.samples) {
    const std::string& bytes = *run.samples;
    unsigned char one[kSampleBytes];
    for (std::size_t at = 0; at + kSampleBytes <= bytes.size(); at += kSampleBytes) {
      std::memcpy(one, bytes.data() + at, kSampleBytes);
      samples.push_back(DecodeRunSample(one));
    }
    return samples;
  }
  return ReadRunRecord(run.recordName).value_or(std::vector<RunSample>{});
}

// The samples inside the window and one on either side, moved by -from.
std::shared_ptr<const std::string> Cut(const std::vector<RunSample>& samples, TimeWindow w) {
  auto bytes = std::make_shared<std::string>();
  std::size_t first = 0, last = samples.size();
  while (first + 1 < samples.size() && samples[first + 1][0] <= w.from) ++first;
  for (std::size_t i = first; i < samples.size(); ++i)
    if (samples[i][0] >= w.to) {
      last = i + 1;
      break;
    }
  unsigned char one[kSampleBytes];
  for (std::size_t i = first; i < last; ++i) {
    RunSample s = samples[i];
    s[0] = static_cast<float>(s[0] - w.from);
    EncodeRunSample(s, one);
    bytes->append(reinterpret_cast<const char*>(one), kSampleBytes);
  }
  return bytes;
}

RecordedRun Zoomed(const RecordedRun& run, const ParameterSet& params, TimeWindow w) {
  RecordedRun z = run;
  z.samples = Cut(SamplesOf(run), w);
  // The step as that run had it, as the window shows it: its edges where
  // they fall inside, no jump where the window cuts it.
  const InjectionProtocol whole = run.protocol.value_or(Protocol::Of(params));
  InjectionProtocol p = whole;
  p.onset = static_cast<float>(p.onset - w.from);
  p.offset = static_cast<float>(p.offset - w.from);
  p.trialDuration = static_cast<float>(w.to - w.from);
  z.protocol = p;
  if (!run.injected) {
    auto points = std::make_shared<std::vector<std::array<float, 2>>>();
    auto at = [&](double t, double current) {
      points->push_back({static_cast<float>(t - w.from), static_cast<float>(current)});
    };
    at(w.from, whole.InjectedCurrent(w.from));
    for (const ProtocolPiece& piece : whole.Pieces())
      if (piece.from > w.from && piece.from < w.to) {
        at(piece.from, whole.InjectedCurrent(std::nextafter(piece.from, -1e30)));
        at(piece.from, piece.current);
      }
    at(w.to, whole.InjectedCurrent(w.to));
    z.injected = points;
  } else {
    auto points = std::make_shared<std::vector<std::array<float, 2>>>();
    for (const auto& point : *run.injected)
      points->push_back({static_cast<float>(point[0] - w.from), point[1]});
    z.injected = points;
  }
  // The listing on paper names the run's own values, not the window's.
  if (z.parameters.empty())
    for (int k = 0; k < kParameterCount; ++k) z.parameters.push_back(params.Value(k));
  return z;
}

}  // namespace

std::optional<TimeWindow> ChosenWindow(double a, double b, double axis, double least) {
  if (!std::isfinite(a) || !std::isfinite(b) || !(axis > 0)) return std::nullopt;
  TimeWindow w{std::clamp(std::min(a, b), 0.0, axis), std::clamp(std::max(a, b), 0.0, axis)};
  if (w.to - w.from < least) return std::nullopt;
  return w;
}

std::string ZoomedTitle(const std::string& comment, TimeWindow w) {
  const std::string span = FormatNumber(static_cast<float>(w.from), 6, 9, AutoTrimmed) + " to " +
                           FormatNumber(static_cast<float>(w.to), 6, 9, AutoTrimmed) + " ms";
  return comment.empty() ? span : "(" + span + ") " + comment;
}

ZoomScope::ZoomScope(Picture& picture, const ParameterSet& params, const std::optional<TimeWindow>& window)
    : picture_(picture), params_(params) {
  if (!window) return;
  active_ = true;
  kept_ = picture.replay;
  keptAxis_ = picture.timeAxis;
  zoomed_ = params;
  zoomed_.SetValue(param::TrialDuration, static_cast<float>(window->to - window->from));
  zoomed_.SetComment(ZoomedTitle(params.Comment(), *window));
  for (RecordedRun& run : picture.replay.overlays) run = Zoomed(run, params, *window);
  if (!picture.replay.current.recordName.empty() || picture.replay.current.samples)
    picture.replay.current = Zoomed(picture.replay.current, params, *window);
}

ZoomScope::~ZoomScope() {
  if (!active_) return;
  const int mode = picture_.replay.mode;
  picture_.replay = std::move(kept_);
  picture_.replay.mode = mode;
  picture_.timeAxis = keptAxis_;
}

}  // namespace vantor::app
