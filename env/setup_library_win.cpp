#include "env/setup_library_win.h"

#include "env/system_library_win.h"

namespace zq {

BOOL IterateCabinet(const char* cabinet, PSP_FILE_CALLBACK_A callback, void* context) {
  using IterateFn = BOOL(WINAPI*)(PCSTR, DWORD, PSP_FILE_CALLBACK_A, PVOID);
  static const SystemLibrary lib("setupapi.dll");
  static const auto iterate = lib.Entry<IterateFn>("SetupIterateCabinetA");
  if (!iterate) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  return iterate(cabinet, 0, callback, context);
}

}  // namespace zq
