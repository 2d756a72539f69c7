#include "env/file_version_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/error.h"
#include "env/system_library_win.h"

namespace zq {

namespace {
using GetFileVersionInfoSizeAFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoAFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueAFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// The version library, from the system folder, bound on first use.
struct VersionLibrary {
  GetFileVersionInfoSizeAFn infoSize = nullptr;
  GetFileVersionInfoAFn info = nullptr;
  VerQueryValueAFn query = nullptr;

  static const VersionLibrary& Get() {
    static const SystemLibrary lib("version.dll");
    static const VersionLibrary bound{lib.Entry<GetFileVersionInfoSizeAFn>("GetFileVersionInfoSizeA"),
                                      lib.Entry<GetFileVersionInfoAFn>("GetFileVersionInfoA"),
                                      lib.Entry<VerQueryValueAFn>("VerQueryValueA")};
    if (!bound.infoSize || !bound.info || !bound.query)
      throw Error("Não foi possível carregar a biblioteca do sistema version.dll");
    return bound;
  }
};

// Every separator is doubled; the query skips the empty components.
const char* const kQueryPaths[] = {
    "\\\\StringFileInfo\\\\040904E4\\\\FileVersion",
    "\\\\StringFileInfo\\\\041604B0\\\\FileVersion",
};
}  // namespace

std::string GetFileVersionText(const std::string& path) {
  const VersionLibrary& version = VersionLibrary::Get();
  DWORD ignored = 0;
  const DWORD size = version.infoSize(path.c_str(), &ignored);
  if (size == 0) return "-1";

  std::vector<char> block(size);  // released on every way out
  version.info(path.c_str(), 0, size, block.data());
  for (const char* query : kQueryPaths) {
    void* value = nullptr;
    UINT length = 0;
    if (version.query(block.data(), query, &value, &length) && value != nullptr) {
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
