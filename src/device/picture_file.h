// One picture drawn into memory as PNG, SVG or PDF and then written out:
// to a file (through a temporary file beside it, renamed over the old one
// only when complete) or into a byte array (the clipboard).
#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vantor/render/device.h"

namespace vantor {

enum class PictureFormat { Png, Svg, Pdf };

// The format a file name asks for by its extension (".png", ".svg", ".pdf",
// any case); none for anything else.
std::optional<PictureFormat> PictureFormatForPath(const std::string& path);

// Draws with `draw` on a fresh surface of width x height device units
// (pixels; 96 per inch for SVG and PDF) filled with `background`, and returns
// the encoded picture; empty when encoding failed. A `description` (UTF-8,
// how the picture was made) goes into the file: a PNG text chunk, the SVG's
// <desc>, the PDF's subject in its XMP metadata.
QByteArray RenderPicture(PictureFormat format, int width, int height, uint32_t background,
                         const std::function<void(Device&)>& draw,
                         const std::string& description = {});

// Draws on an image that is thrown away: for pictures whose only product is
// what the drawing layer mirrors into a metafile or a plotter file.
void DrawScratch(int width, int height, const std::function<void(Device&)>& draw);

// RenderPicture, then the bytes into `path` without ever leaving a half
// written file there. False with a one-line reason when it cannot be written.
bool SavePicture(PictureFormat format, const std::string& path, int width, int height,
                 uint32_t background, const std::function<void(Device&)>& draw,
                 std::string& error);

}  // namespace vantor
