// A zoomed picture: the runs cut to a window of time and counted from its
// start, so that the picture the core draws spans only that window. Used
// for the window, printing, copying and the picture export alike, so that
// each shows what the window shows.
#pragma once

#include <optional>
#include <string>

#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

namespace vantor::app {

struct TimeWindow {
  double from = 0;  // ms
  double to = 0;
};

// The window between two times in either order, within 0 .. `axis`; none
// when it is narrower than `least` ms or the times are not numbers.
std::optional<TimeWindow> ChosenWindow(double a, double b, double axis, double least);

// The picture's title while zoomed: the comment and the window shown.
std::string ZoomedTitle(const std::string& comment, TimeWindow window);

// For as long as it lives, `picture` holds its runs cut to `window` (with
// the sample before and after it, so that the traces reach its edges) and
// Params() the parameters to draw them with. Without a window it changes
// nothing and Params() is `params`.
class ZoomScope {
 public:
  ZoomScope(Picture& picture, const ParameterSet& params, const std::optional<TimeWindow>& window);
  ~ZoomScope();
  ZoomScope(const ZoomScope&) = delete;
  ZoomScope& operator=(const ZoomScope&) = delete;
  const ParameterSet& Params() const { return active_ ? zoomed_ : params_; }

 private:
  Picture& picture_;
  const ParameterSet& params_;
  ParameterSet zoomed_;
  ReplayState kept_;
  double keptAxis_ = 0;
  bool active_ = false;
};

}  // namespace vantor::app
