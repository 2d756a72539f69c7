#include "env/file_version_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/error.h"

namespace zq {

namespace {
// Every separator is doubled; the query skips the empty components.
const char* const kQueryPaths[] = {
    "\\\\StringFileInfo\\\\040904E4\\\\FileVersion",
    "\\\\StringFileInfo\\\\041604B0\\\\FileVersion",
};
}  // namespace

std::string GetFileVersionText(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "-1";

  std::vector<char> block(size);  // released on every way out
  GetFileVersionInfoA(path.c_str(), 0, size, block.data());
  for (const char* query : kQueryPaths) {
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), query, &value, &length) && value != nullptr) {
      // The text runs to its NUL, which lies inside the block.
      const char* text = static_cast<const char*>(value);
      const char* end = block.data() + block.size();
      if (text >= block.data() && text < end) return std::string(text, strnlen(text, static_cast<size_t>(end - text)));
      return std::string(text);
    }
  }
  throw Error("FileVersion not found in " + path);
}

}  // namespace zq
