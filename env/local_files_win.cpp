#include "env/local_files_win.h"

#include <windows.h>

#include "env/file_version_win.h"

namespace zq {

bool WinLocalFiles::Exists(const std::string& path) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::string WinLocalFiles::FileVersionText(const std::string& path) { return GetFileVersionText(path); }

}  // namespace zq
