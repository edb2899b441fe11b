// How a text stands at its point: shared by the drawing layer and its mirrors.
#pragma once

namespace vantor {

// Layer alignment codes: h 0 left, 6 centre, 2 right; v 0 top, 6 centre,
// 8 bottom. A vertical 6 is the layer's own: the layer centres the text on
// its measured height.
namespace text_align {
inline constexpr int Left = 0;
inline constexpr int Centre = 6;
inline constexpr int Right = 2;
inline constexpr int Top = 0;
inline constexpr int Middle = 6;
inline constexpr int Bottom = 8;
}  // namespace text_align

}  // namespace vantor
