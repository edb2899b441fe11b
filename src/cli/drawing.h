// What the command line needs of Qt to draw: the application object that
// fonts need, and the encoding of a chart. Without Qt (VANTOR_WITH_QT=OFF)
// nothing can be drawn and both say so.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "vantor/render/device.h"

namespace vantor::cli {

// Pictures need fonts, and fonts need a GUI application object; commands
// that draw call this first. The platform is always the offscreen one: the
// command line never needs a display. False when Qt cannot start.
bool EnsureGuiApplication();

// Whether this command line can draw at all (built with Qt).
bool CanDraw();

// Whether a chart file's name asks for a format that can be written (.png,
// .svg).
bool IsChartFile(const std::string& path);

// The chart drawn by `draw` on a white surface of width x height, encoded as
// its file's extension asks; none when it could not be encoded.
std::optional<std::string> EncodeChart(const std::string& path, int width, int height,
                                       const std::function<void(Device&)>& draw);

}  // namespace vantor::cli
