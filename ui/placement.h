#pragma once
// Where a form appears when it is first shown: the centre of the primary
// screen, or, for a form with the hint "csForce_TopW7", the centre of the
// screen height above the taskbar less 30 pixels.
#include <cstdint>
#include <string>

namespace zq {

inline constexpr const char* kHintForceTopW7 = "csForce_TopW7";

struct ScreenPoint {
  int32_t left;
  int32_t top;
};

// Sizes are the whole window's (frame included).
ScreenPoint CentredPlacement(int32_t screen_width, int32_t screen_height, int32_t window_width,
                             int32_t window_height, const std::string& hint, int32_t taskbar_height);

}  // namespace zq
