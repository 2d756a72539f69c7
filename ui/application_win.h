#pragma once
// The application object: a hidden top-level window that owns the program's
// windows and its modal message boxes, the message pump and the screen cursor.
#include <windows.h>

#include <string>
#include <vector>

namespace zq::app {

// The hidden application window, created on first use.
HWND Handle();

// Handles every window message waiting for this thread, then returns.
void ProcessMessages();

// A modal message box owned by the application window; the program's other
// windows are disabled while it is open. Returns the pressed button's id.
int MessageBox(const std::string& text, const std::string& caption, UINT style);

// Disables the thread's other visible windows for the lifetime of a modal
// prompt and enables them again afterwards.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  std::vector<HWND> disabled_;
  HWND previously_active_;
};

// The screen cursor: the hourglass while busy, else each window's own.
void SetHourglass(bool busy);
bool HourglassShown();

// Switches the screen cursor to the hourglass for a scope.
class HourglassCursor {
 public:
  HourglassCursor() : was_(HourglassShown()) { SetHourglass(true); }
  ~HourglassCursor() { SetHourglass(was_); }
  HourglassCursor(const HourglassCursor&) = delete;
  HourglassCursor& operator=(const HourglassCursor&) = delete;

 private:
  bool was_;
};

// The form of this program that is active (or was last), or null.
HWND ActiveForm();
void SetActiveForm(HWND form);
// Marks a top-level window as a form of the window layer: the pump moves the
// focus between its controls with Tab.
void RegisterForm(HWND form);

}  // namespace zq::app
