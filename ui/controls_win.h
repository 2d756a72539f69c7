#pragma once
// The window layer's controls: a form (a fixed-size top-level window) with
// panels, labels, pictures, push buttons and a smooth progress bar, each a
// real child window at form-resource positions (pixels at 96 DPI).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/gdi_win.h"

namespace zq::ui {

// The font of a control: face name, height as stored (negative: character
// height without internal leading), colour (0x00BBGGRR or a system colour)
// and character set.
struct FontSpec {
  std::string name = "MS Sans Serif";
  int32_t height = -11;
  uint32_t color = 0x80000008;  // clWindowText
  BYTE charset = DEFAULT_CHARSET;
};

// A colour value of the layer turned into a COLORREF.
COLORREF ToColorRef(uint32_t color);

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle() const { return hwnd_; }
  int Id() const { return id_; }
  void SetText(const std::string& text);
  std::string Text() const;
  void SetFont(const FontSpec& font);
  const FontSpec& Font() const { return font_; }
  void SetEnabled(bool enabled);
  bool Enabled() const;
  // Invalidates and paints the control at once.
  void Repaint();
  void SetDoubleBuffered(bool on) { double_buffered_ = on; }
  bool DoubleBuffered() const { return double_buffered_; }
  // Colour of the background (panels, forms); see EffectiveColor for the
  // button-face rule that the tag controls.
  void SetTag(uint32_t tag) { tag_ = tag; }
  uint32_t Tag() const { return tag_; }
  void SetColor(uint32_t color);
  uint32_t Color() const { return color_; }
  // Position relative to the parent's client area.
  RECT Bounds() const;

 protected:
  Control() = default;
  // Creates the window; classes of our own get `this` as their window data.
  void CreateHandle(DWORD ex_style, const char* class_name, DWORD style, HWND parent, int id, int left, int top,
                    int width, int height, const std::string& text);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam);
  virtual void Paint(HDC dc, const RECT& client);
  virtual void FontChanged() {}
  // Paints through an off-screen bitmap when double buffered.
  void PaintWindow();
  void FillBackground(HDC dc, const RECT& rect) const;
  static void RegisterOwnClass(const char* class_name);
  static LRESULT CALLBACK OwnWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  int id_ = 0;
  FontSpec font_;
  GdiObject<HFONT> hfont_;
  uint32_t tag_ = 0;
  uint32_t color_ = 0x8000000F;
  bool double_buffered_ = false;
};

class Panel : public Control {
 public:
  Panel(Control& parent, int id, int left, int top, int width, int height, uint32_t color);
};

// A text that sizes itself to its text, does not wrap, starts a new line at
// a carriage return and paints on its parent's colour.
class Label : public Control {
 public:
  Label(Control& parent, int id, int left, int top, const std::string& text, const FontSpec& font);
  void SetCaption(const std::string& text);

 protected:
  void Paint(HDC dc, const RECT& client) override;
  void FontChanged() override { AutoSize(); }

 private:
  void AutoSize();
};

// Shows a bitmap unscaled at its top-left corner on the parent's colour.
class Picture : public Control {
 public:
  Picture(Control& parent, int id, int left, int top, int width, int height);
  void SetBitmap(HBITMAP bitmap);  // takes ownership
  bool HasBitmap() const { return bitmap_.Get() != nullptr; }

 protected:
  void Paint(HDC dc, const RECT& client) override;

 private:
  GdiObject<HBITMAP> bitmap_;
};

class Button : public Control {
 public:
  Button(Control& parent, int id, int left, int top, int width, int height, const std::string& text,
         const FontSpec& font);
  std::function<void()> OnClick;
};

// A continuous bar with a 32-bit range. The position is kept here exactly
// (clamped to 0..max, as the control does); the control is told of a step
// only when the bar would move by at least one pixel, because it repaints
// itself at once on every change, and thousands of steps per download cost
// more than the download itself.
class ProgressBar : public Control {
 public:
  ProgressBar(Control& parent, int id, int left, int top, int width, int height);
  void SetMax(int32_t max);
  int32_t Max() const;
  void SetPosition(int32_t position);
  int32_t Position() const { return position_; }
  void StepBy(int32_t delta);

 private:
  int32_t Pixel(int32_t position) const;
  void Show(int32_t position);

  int width_;
  int32_t max_ = 0;
  int32_t position_ = 0;
  int32_t shown_ = 0;  // the position the control was last given
};

// A top-level window with a fixed single border and no title-bar buttons,
// owned by the application window and hidden until shown.
class Form : public Control {
 public:
  Form(const char* class_name, const std::string& caption, int client_width, int client_height,
       const FontSpec& font);
  ~Form() override;

  void SetHint(const std::string& hint) { hint_ = hint; }
  const std::string& Hint() const { return hint_; }
  // The control that gets the keyboard focus whenever the form is active.
  void SetActiveControl(Control* control);
  Control* ActiveControl() const { return active_control_; }
  // Visible and in front; the placement is computed at the first show.
  void Show();
  bool Shown() const { return shown_; }
  void AddButton(Button* button);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  void PlaceForFirstShow();
  void FocusActiveControl();

  std::string hint_;
  Control* active_control_ = nullptr;
  bool shown_ = false;
  std::vector<Button*> buttons_;
  GdiObject<HBRUSH> button_brush_;
};

// The layer's form-activation notification, sent to a form before a modal
// prompt runs.
inline constexpr UINT kFormActivateMessage = 0xB000;

// Height of the taskbar from the shell's app-bar query on "Shell_TrayWnd";
// 0 when there is none or the query fails.
int32_t TaskbarHeight();

}  // namespace zq::ui
