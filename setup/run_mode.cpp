#include "setup/run_mode.h"

namespace zq {

std::optional<bool> InstallModeForWord(std::string_view word) {
  struct Entry {
    std::string_view word;
    bool install;
  };
  static constexpr Entry kModes[] = {
      {"xctltn_InstalaTC", true},
      {"xctltn", true},
      {"xctltn_NewDesk", false},
      {"xctkd", false},
  };
  for (const auto& m : kModes)
    if (m.word == word) return m.install;
  return std::nullopt;
}

}  // namespace zq
