// The ten preference values: eight colours (0x00BBGGRR), a reserved value
// and the CGM switch.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "vantor/params/messages.h"

namespace vantor {

constexpr int kPreferenceCount = 10;
constexpr int32_t kExtendedModeColour = 0x40A0C0;

struct Preferences {
  enum Index : int {
    VoltageColour = 0,
    CurrentColour,
    AltCurrentColour,
    Gate1Colour,
    Gate2Colour,
    Gate3Colour,
    CalciumColour,
    BackgroundColour,
    Reserved,
    CgmSwitch,
  };
  std::array<int32_t, kPreferenceCount> values = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00,
                                                  0x00FFFF, 0x007F7F, 0xFFFFFF, 0,        0};
  uint32_t Colour(Index i) const { return static_cast<uint32_t>(values[i]); }
  bool CgmOn() const { return values[CgmSwitch] != 0; }
};

}  // namespace vantor
