#pragma once
// A modal box with an OK button, shown by whoever owns the program's
// windows. Lower layers that must tell the user something are handed one,
// so that they never reach up into the window layer.
#include <functional>
#include <string>

namespace zq {

using ShowBox = std::function<void(const std::string& text, const std::string& caption)>;

}  // namespace zq
