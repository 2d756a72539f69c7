#include "tools/uiauto/window_reader_win.h"

#include <cstdio>

namespace zq::uiauto {

namespace {

// A window that does not answer within this time reads as having no text, so
// that a reader never hangs on a busy or blocked thread.
constexpr UINT kAnswerTimeoutMs = 1000;

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &result)) {
    return 0;
  }
  return static_cast<LRESULT>(result);
}

std::wstring WindowTextW(HWND hwnd) {
  // WM_GETTEXT reads other processes' controls as well.
  const LRESULT length = Ask(hwnd, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Ask(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[256];
  const int n = GetClassNameW(hwnd, name, 256);
  return WideToUtf8(std::wstring(name, static_cast<size_t>(n > 0 ? n : 0)));
}

struct FindRequest {
  std::wstring caption;
  std::string class_name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* request = reinterpret_cast<FindRequest*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (WindowTextW(hwnd) != request->caption) return TRUE;
  if (!request->class_name.empty() && ClassOf(hwnd) != request->class_name) return TRUE;
  request->found = hwnd;
  return FALSE;
}

WindowInfo Describe(HWND hwnd, HWND top) {
  WindowInfo info;
  info.hwnd = hwnd;
  info.class_name = ClassOf(hwnd);
  info.id = hwnd == top ? 0 : GetDlgCtrlID(hwnd);
  info.text = WideToUtf8(WindowTextW(hwnd));
  RECT rect;
  GetWindowRect(hwnd, &rect);
  if (hwnd == top) {
    // The window itself: its client area's size at the origin.
    GetClientRect(hwnd, &rect);
  } else {
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
  }
  info.rect = rect;
  info.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  info.visible = IsWindowVisible(hwnd) != FALSE;
  return info;
}

struct TreeRequest {
  HWND top;
  std::vector<WindowInfo>* list;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* request = reinterpret_cast<TreeRequest*>(param);
  request->list->push_back(Describe(hwnd, request->top));
  return TRUE;
}

}  // namespace


HWND FindTopLevel(const std::string& caption, const std::string& class_name) {
  FindRequest request{Utf8ToWide(caption), class_name, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND WaitTopLevel(const std::string& caption, const std::string& class_name, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (HWND found = FindTopLevel(caption, class_name)) return found;
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(50);
  }
}

std::vector<WindowInfo> ReadTree(HWND top) {
  std::vector<WindowInfo> list;
  list.push_back(Describe(top, top));
  TreeRequest request{top, &list};
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&request));
  return list;
}

std::string FormatLine(const WindowInfo& info) {
  std::string text;
  for (char c : info.text) {
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else {
      text += c;
    }
  }
  char tail[96];
  std::snprintf(tail, sizeof tail, "\t%ld,%ld,%ld,%ld\t%08lx", static_cast<long>(info.rect.left),
                static_cast<long>(info.rect.top), static_cast<long>(info.rect.right - info.rect.left),
                static_cast<long>(info.rect.bottom - info.rect.top), static_cast<unsigned long>(info.style));
  return info.class_name + "\t" + std::to_string(info.id) + "\t" + text + tail;
}

HWND FindChildById(HWND top, int id) {
  for (const WindowInfo& info : ReadTree(top)) {
    if (info.hwnd != top && info.id == id) return info.hwnd;
  }
  return nullptr;
}

bool Press(HWND top, int id) {
  HWND child = FindChildById(top, id);
  if (child != nullptr && ClassOf(child) == "Button") {
    // Posted, so that a modal loop started by the click does not block us.
    PostMessageW(child, BM_CLICK, 0, 0);
    return true;
  }
  return PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(child)) != FALSE;
}

void SendEscape(HWND top) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  HWND target = top;
  const DWORD thread = GetWindowThreadProcessId(top, nullptr);
  if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus != nullptr) target = gui.hwndFocus;
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

}  // namespace zq::uiauto
