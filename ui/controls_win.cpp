#include "ui/controls_win.h"

#include <algorithm>

#include <commctrl.h>
#include <shellapi.h>

#include "ui/application_win.h"
#include "ui/colors.h"
#include "ui/placement.h"

namespace zq::ui {

namespace {
constexpr const char* kPanelClass = "TPanel";
constexpr const char* kLabelClass = "TLabel";
constexpr const char* kPictureClass = "TImage";
constexpr UINT kLabelFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}
}  // namespace

COLORREF ToColorRef(uint32_t color) {
  if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

// ---- Control

Control::~Control() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Control::RegisterOwnClass(const char* class_name) {
  WNDCLASSA wc{};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (GetClassInfoA(instance, class_name, &wc)) return;
  wc.lpfnWndProc = OwnWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = class_name;
  RegisterClassA(&wc);
}

LRESULT CALLBACK Control::OwnWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, msg, wparam, lparam);
  return self->HandleMessage(msg, wparam, lparam);
}

void Control::CreateHandle(DWORD ex_style, const char* class_name, DWORD style, HWND parent, int id, int left,
                           int top, int width, int height, const std::string& text) {
  id_ = id;
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  HWND hwnd = CreateWindowExA(ex_style, class_name, text.c_str(), style, left, top, width, height, parent, menu,
                              GetModuleHandleA(nullptr), this);
  hwnd_ = hwnd;
}

LRESULT Control::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT paints the whole client area
    case WM_PAINT:
      PaintWindow();
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wparam, lparam);
  }
}

void Control::Paint(HDC dc, const RECT& client) { FillBackground(dc, client); }

void Control::PaintWindow() {
  const PaintDC paint(hwnd_);
  const HDC dc = paint.Get();
  RECT client;
  GetClientRect(hwnd_, &client);
  if (double_buffered_ && client.right > 0 && client.bottom > 0) {
    const MemoryDC mem(dc);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
      const SelectedObject selected(mem.Get(), bitmap.Get());
      Paint(mem.Get(), client);
      BitBlt(dc, 0, 0, client.right, client.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
  } else {
    Paint(dc, client);
  }
}

void Control::FillBackground(HDC dc, const RECT& rect) const {
  const GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorRef(color_)));
  FillRect(dc, &rect, brush.Get());
}

void Control::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

std::string Control::Text() const {
  const int length = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  hfont_.Reset(CreateFontA(font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, font.charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.Get()), TRUE);
  FontChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void Control::Repaint() {
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

void Control::SetColor(uint32_t color) {
  color_ = EffectiveColor(tag_, color);
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT Control::Bounds() const {
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  HWND parent = GetParent(hwnd_);
  if (parent != nullptr && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

// ---- Panel

Panel::Panel(Control& parent, int id, int left, int top, int width, int height, uint32_t color) {
  RegisterOwnClass(kPanelClass);
  color_ = color;
  CreateHandle(0, kPanelClass, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, parent.Handle(), id, left,
               top, width, height, "");
}

// ---- Label

Label::Label(Control& parent, int id, int left, int top, const std::string& text, const FontSpec& font) {
  RegisterOwnClass(kLabelClass);
  color_ = parent.Color();  // a label shows its parent's colour around the text
  CreateHandle(0, kLabelClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent.Handle(), id, left, top, 0, 0, text);
  SetFont(font);
}

void Label::SetCaption(const std::string& text) {
  SetText(text);
  AutoSize();
  Repaint();
}

void Label::AutoSize() {
  const std::string text = Text();
  RECT rect{0, 0, 0, 0};
  {
    const WindowDC dc(hwnd_);
    const SelectedObject font(dc.Get(), hfont_.Get());
    // An empty label keeps the height of one line.
    DrawTextA(dc.Get(), text.empty() ? " " : text.c_str(), -1, &rect, kLabelFormat | DT_CALCRECT);
  }
  SetWindowPos(hwnd_, nullptr, 0, 0, text.empty() ? 0 : rect.right, rect.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::Paint(HDC dc, const RECT& client) {
  FillBackground(dc, client);
  const std::string text = Text();
  const SelectedObject font(dc, hfont_.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(font_.color));
  RECT rect = client;
  DrawTextA(dc, text.c_str(), -1, &rect, kLabelFormat);
}

// ---- Picture

Picture::Picture(Control& parent, int id, int left, int top, int width, int height) {
  RegisterOwnClass(kPictureClass);
  color_ = parent.Color();
  CreateHandle(0, kPictureClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent.Handle(), id, left, top, width,
               height, "");
}

void Picture::SetBitmap(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Picture::Paint(HDC dc, const RECT& client) {
  FillBackground(dc, client);
  if (bitmap_.Get() == nullptr) return;
  BITMAP info;
  GetObjectA(bitmap_.Get(), sizeof info, &info);
  const MemoryDC mem(dc);
  const SelectedObject selected(mem.Get(), bitmap_.Get());
  BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, mem.Get(), 0, 0, SRCCOPY);
}

// ---- Button

Button::Button(Control& parent, int id, int left, int top, int width, int height, const std::string& text,
               const FontSpec& font) {
  EnsureCommonControls();
  CreateHandle(0, "BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON, parent.Handle(),
               id, left, top, width, height, text);
  SetFont(font);
}

// ---- ProgressBar

ProgressBar::ProgressBar(Control& parent, int id, int left, int top, int width, int height) : width_(width) {
  EnsureCommonControls();
  CreateHandle(0, PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | PBS_SMOOTH, parent.Handle(), id, left,
               top, width, height, "");
  SetMax(0);
}

void ProgressBar::SetMax(int32_t max) {
  SendMessageA(hwnd_, PBM_SETRANGE32, 0, max);
  max_ = static_cast<int32_t>(SendMessageA(hwnd_, PBM_GETRANGE, FALSE, 0));
  position_ = shown_ = static_cast<int32_t>(SendMessageA(hwnd_, PBM_GETPOS, 0, 0));
}

int32_t ProgressBar::Max() const { return max_; }

void ProgressBar::Show(int32_t position) {
  SendMessageA(hwnd_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  shown_ = position;
}

void ProgressBar::SetPosition(int32_t position) {
  position_ = std::clamp(position, std::min(0, max_), std::max(0, max_));
  Show(position_);
}

int32_t ProgressBar::Pixel(int32_t position) const {
  return max_ > 0 ? static_cast<int32_t>(static_cast<int64_t>(position) * width_ / max_) : 0;
}

void ProgressBar::StepBy(int32_t delta) {
  const int64_t next = static_cast<int64_t>(position_) + delta;
  position_ = static_cast<int32_t>(std::clamp<int64_t>(next, std::min(0, max_), std::max(0, max_)));
  if (Pixel(position_) != Pixel(shown_)) Show(position_);
}

// ---- Form

Form::Form(const char* class_name, const std::string& caption, int client_width, int client_height,
           const FontSpec& font) {
  RegisterOwnClass(class_name);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;  // single fixed border, no title-bar buttons
  RECT rect{0, 0, client_width, client_height};
  AdjustWindowRectEx(&rect, style, FALSE, 0);
  CreateHandle(0, class_name, style, app::Handle(), 0, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
               rect.bottom - rect.top, caption);
  app::RegisterForm(hwnd_);
  SetFont(font);
}

Form::~Form() {
  if (app::ActiveForm() == hwnd_) app::SetActiveForm(nullptr);
}

void Form::AddButton(Button* button) { buttons_.push_back(button); }

void Form::SetActiveControl(Control* control) {
  active_control_ = control;
  if (IsWindowVisible(hwnd_)) FocusActiveControl();
}

void Form::FocusActiveControl() {
  if (active_control_ != nullptr && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_)) {
    SetFocus(active_control_->Handle());
  }
}

void Form::PlaceForFirstShow() {
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  const ScreenPoint at =
      CentredPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), rect.right - rect.left,
                       rect.bottom - rect.top, hint_, hint_ == kHintForceTopW7 ? TaskbarHeight() : 0);
  SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (!shown_) {
    PlaceForFirstShow();
    shown_ = true;
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
  FocusActiveControl();
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        for (Button* button : buttons_) {
          if (button->Id() == LOWORD(wparam) && button->OnClick) button->OnClick();
        }
      }
      return 0;
    case WM_CTLCOLORBTN: {
      // The button's corners show the form's colour.
      button_brush_.Reset(CreateSolidBrush(ToColorRef(color_)));
      return reinterpret_cast<LRESULT>(button_brush_.Get());
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) {
        app::SetActiveForm(hwnd_);
        FocusActiveControl();
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case kFormActivateMessage:
      FocusActiveControl();
      return 0;
    case WM_SETCURSOR:
      if (app::HourglassShown()) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      return 0;  // the program never closes its form; it goes with the process
    default:
      break;
  }
  return Control::HandleMessage(msg, wparam, lparam);
}

int32_t TaskbarHeight() {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  if (tray == nullptr) return 0;
  APPBARDATA data{};
  data.cbSize = sizeof data;
  data.hWnd = tray;
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) == 0) return 0;
  return data.rc.bottom - data.rc.top;
}

}  // namespace zq::ui
