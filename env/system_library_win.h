#pragma once
// System libraries taken from the system folder only. A library beside the
// program (a Downloads folder at installation time, the installation folder
// in an update run) must never run inside it.
#include <windows.h>

#include <string>

namespace zq {

// Limits every later library search of the process to the system folder
// where the system can (SetDefaultDllDirectories), and takes the current
// folder out of the search everywhere else. Called first in WinMain.
void RestrictLibrarySearch();

// A library loaded by its full path in the system folder, kept for the life
// of the process; a null handle when it can't be loaded.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name);
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  explicit operator bool() const { return module_ != nullptr; }
  // The named entry as a function pointer of type Fn, null when it's absent.
  template <typename Fn>
  Fn Entry(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

// The full path of a library in the system folder ("" when it can't be read).
std::string SystemLibraryPath(const char* name);

}  // namespace zq
