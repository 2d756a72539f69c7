#pragma once
// Colour values of the window layer, in the 0x00BBGGRR form; a value with the
// high bit set names a system colour (0x80000000 + the system colour index).
#include <cstdint>

namespace zq {

inline constexpr uint32_t clBtnFace = 0x8000000F;
inline constexpr uint32_t clWindowText = 0x80000008;
inline constexpr uint32_t clWhite = 0x00FFFFFF;
inline constexpr uint32_t clBlack = 0x00000000;

// The tag that keeps a control's true system button-face colour.
inline constexpr uint32_t kKeepSystemFaceTag = 0xFB65B2C7;
// The layer's own tint for the button face of every other control.
inline constexpr uint32_t kFaceTint = 0x00F7F3F0;

// The colour a control with this tag actually gets when `color` is assigned.
constexpr uint32_t EffectiveColor(uint32_t tag, uint32_t color) {
  return (color == clBtnFace && tag != kKeepSystemFaceTag) ? kFaceTint : color;
}

constexpr bool IsSystemColor(uint32_t color) { return (color & 0x80000000u) != 0; }

}  // namespace zq
