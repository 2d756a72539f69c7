#pragma once
// The setup library's cabinet walk, bound from the system folder at first
// use, so that no library beside the program is loaded in its place.
#include <windows.h>
#include <setupapi.h>

namespace zq {

// SetupIterateCabinetA. Fails with ERROR_MOD_NOT_FOUND when the library
// can't be loaded.
BOOL IterateCabinet(const char* cabinet, PSP_FILE_CALLBACK_A callback, void* context);

}  // namespace zq
