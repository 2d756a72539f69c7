#pragma once
#include <optional>
#include <string_view>

namespace zq {

// The mode word of the command line, compared exactly: true for an
// installation run, false for an update run, nothing for any other word.
std::optional<bool> InstallModeForWord(std::string_view word);

}  // namespace zq
