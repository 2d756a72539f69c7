#pragma once
// The start and cancel prompts: task dialogs on Windows 6.1/6.2, message
// boxes on every other version.
#include <cstdint>

#include "ui/setup_window_win.h"

namespace zq {

// True when Windows of the NT family reports version 6.1 or 6.2.
bool IsWin61Or62();

// Asks whether to go on with a run of that mode that downloads totalBytes.
bool ConfirmStart(bool installMode, int32_t totalBytes);

// Asks whether to cancel the run of the window's mode.
bool ConfirmCancel(TfmSetupZQ& window);

}  // namespace zq
