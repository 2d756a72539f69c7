#pragma once
// The application object: a hidden top-level window that owns the program's
// windows and its modal message boxes, and the message pump.
#include <windows.h>

#include <string>

namespace zq::app {

// The hidden application window, created on first use.
HWND Handle();

// Handles every window message waiting for this thread, then returns.
void ProcessMessages();

// A modal message box owned by the application window; the program's other
// windows are disabled while it is open. Returns the pressed button's id.
int MessageBox(const std::string& text, const std::string& caption, UINT style);

}  // namespace zq::app
