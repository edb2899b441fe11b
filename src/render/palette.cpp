#include "vantor/render/palette.h"

namespace vantor {

const std::array<uint32_t, kRunPaletteSize>& RunPalette() {
  static constexpr std::array<uint32_t, kRunPaletteSize> kPalette = {
      0x2F4F4F, 0xBDB76B, 0x4B0082, 0x7F0000, 0xFF0000, 0xFFA500, 0xFFFF00, 0x00FF00,
      0x006400, 0x00FA9A, 0x00FFFF, 0x0000FF, 0xFF00FF, 0x6495ED, 0xFF1493, 0xFFC0CB,
  };
  return kPalette;
}

uint32_t RunColour(int runIndex) {
  int i = runIndex % kRunPaletteSize;
  if (i < 0) i += kRunPaletteSize;
  return RunPalette()[static_cast<std::size_t>(i)];
}

}  // namespace vantor
