#pragma once
// The start and cancel prompts: task dialogs on Windows 6.1/6.2, message
// boxes on every other version.
#include "ui/setup_window_win.h"

namespace zq {

// True when Windows of the NT family reports version 6.1 or 6.2.
bool IsWin61Or62();

// Asks whether to go on with the run; reads InstallMode and TotalBytes.
bool ConfirmStart();

// Asks whether to cancel the run of the window's mode.
bool ConfirmCancel(TfmSetupZQ& window);

}  // namespace zq
