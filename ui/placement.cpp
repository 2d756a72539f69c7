#include "ui/placement.h"

namespace zq {

namespace {
int32_t HalfOrZero(int32_t span) {
  const int32_t half = span / 2;  // truncates toward zero
  return half < 0 ? 0 : half;
}
}  // namespace

ScreenPoint CentredPlacement(int32_t screen_width, int32_t screen_height, int32_t window_width,
                             int32_t window_height, const std::string& hint, int32_t taskbar_height) {
  int32_t height = screen_height;
  if (hint == kHintForceTopW7) height = screen_height - taskbar_height - 30;
  return {HalfOrZero(screen_width - window_width), HalfOrZero(height - window_height)};
}

}  // namespace zq
