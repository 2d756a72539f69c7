#include "ui/application_win.h"

namespace zq::app {

namespace {
LRESULT CALLBACK AppWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }
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
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int MessageBox(const std::string& text, const std::string& caption, UINT style) {
  return MessageBoxA(Handle(), text.c_str(), caption.c_str(), style | MB_TASKMODAL);
}

}  // namespace zq::app
