#include "env/entry_name_win.h"

#include <windows.h>

namespace zq {

std::optional<std::string> FoundEntryName(const std::string& path) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return std::string(data.cFileName);
}

}  // namespace zq
