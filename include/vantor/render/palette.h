// The run colours: each run of an overlay gets its own, by its position in
// the replay, wrapping after 16.
#pragma once

#include <array>
#include <cstdint>

namespace vantor {

inline constexpr int kRunPaletteSize = 16;

// 0x00BBGGRR values.
const std::array<uint32_t, kRunPaletteSize>& RunPalette();
// The colour of run `runIndex` (counted from 0); any index is accepted.
uint32_t RunColour(int runIndex);

}  // namespace vantor
