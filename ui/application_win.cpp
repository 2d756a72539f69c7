#include "ui/application_win.h"

#include <algorithm>

namespace zq::app {

namespace {

bool g_hourglass = false;
HWND g_active_form = nullptr;

// Marks the top-level windows of the window layer (forms), whose Tab key the
// pump moves between the controls.
constexpr const char* kFormProp = "ZqForm";

LRESULT CALLBACK AppWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(param);
  if (hwnd != Handle() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) list->push_back(hwnd);
  return TRUE;
}

bool MovesFocus(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || msg.hwnd == nullptr) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr || GetPropA(root, kFormProp) == nullptr) return false;
  const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  HWND next = GetNextDlgTabItem(root, msg.hwnd, back ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
  return true;
}

}  // namespace

HWND Handle() {
  static HWND handle = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "TApplication", "SetupZQ", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }();
  return handle;
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (MovesFocus(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

ModalScope::ModalScope() : previously_active_(GetActiveWindow()) {
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
  for (HWND h : disabled_) EnableWindow(h, FALSE);
}

ModalScope::~ModalScope() {
  for (HWND h : disabled_) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
  if (previously_active_ != nullptr && IsWindow(previously_active_)) SetActiveWindow(previously_active_);
}

int MessageBox(const std::string& text, const std::string& caption, UINT style) {
  HWND owner = Handle();
  ModalScope modal;
  return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

void SetHourglass(bool busy) {
  if (g_hourglass == busy) return;
  g_hourglass = busy;
  // Show the change at once; the forms keep it up through WM_SETCURSOR.
  SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool HourglassShown() { return g_hourglass; }

HWND ActiveForm() { return g_active_form; }
void SetActiveForm(HWND form) { g_active_form = form; }
void RegisterForm(HWND form) { SetPropA(form, kFormProp, reinterpret_cast<HANDLE>(1)); }

}  // namespace zq::app
