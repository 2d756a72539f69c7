#pragma once
// Finds top-level windows by caption and class and reads their child
// windows: class, id, text (UTF-8), position in the top-level window's
// client area and style.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/wide_text_win.h"

namespace zq::uiauto {

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string class_name;
  int id = 0;
  std::string text;  // UTF-8
  RECT rect{};       // left, top, right, bottom in the top-level window's client coordinates
  DWORD style = 0;
  bool visible = false;
};

// A visible top-level window with exactly this caption (UTF-8) and, when
// class_name is not empty, this class; null when there is none.
HWND FindTopLevel(const std::string& caption, const std::string& class_name);

// Waits up to timeout_ms for such a window.
HWND WaitTopLevel(const std::string& caption, const std::string& class_name, DWORD timeout_ms);

// The window itself first, then every descendant in z-order.
std::vector<WindowInfo> ReadTree(HWND top);

// One line: class<TAB>id<TAB>text<TAB>left,top,width,height<TAB>style-hex,
// with CR and LF in the text shown as \r and \n.
std::string FormatLine(const WindowInfo& info);

// The first child with this control id, or null.
HWND FindChildById(HWND top, int id);

// Presses a button: BM_CLICK on a child with that id when it is a button,
// else WM_COMMAND with the id to the window. False when nothing was sent.
bool Press(HWND top, int id);

// Sends Escape to the window's focused control (or the window).
void SendEscape(HWND top);

inline std::string WideToUtf8(const std::wstring& text) { return FromWide(text, CP_UTF8); }
inline std::wstring Utf8ToWide(const std::string& text) { return ToWide(text, CP_UTF8); }

}  // namespace zq::uiauto
