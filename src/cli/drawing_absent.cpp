// A command line built without Qt draws nothing.
#include "cli/drawing.h"

namespace vantor::cli {

bool CanDraw() { return false; }

bool EnsureGuiApplication() { return false; }

bool IsChartFile(const std::string&) { return false; }

std::optional<std::string> EncodeChart(const std::string&, int, int,
                                       const std::function<void(Device&)>&) {
  return std::nullopt;
}

}  // namespace vantor::cli
