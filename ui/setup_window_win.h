#pragma once
// The setup window: the program's only window, showing the operation, a
// status line, the progress bar, the rate and remaining time, and Cancel.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/controls_win.h"
#include "ui/run_state.h"

namespace zq {

class TfmSetupZQ : public RunState {
 public:
  // Creates the hidden window (FormCreate runs last) and sets fmSetupZQ. The
  // application owns the window; it lives until the process ends.
  static TfmSetupZQ* Create();

  void SetCaption(const std::string& text);
  std::string Caption() const;
  void SetTitleOpe(const std::string& text);  // laTitle_Ope
  void SetSetupText(const std::string& text);  // laSetup
  void SetRestText(const std::string& text);   // laRest
  // Visible and in front; the placement is computed at the first show.
  void ShowAndBringToFront();
  void SetBarMax(int32_t max);
  int32_t BarMax() const;
  void SetBarPosition(int32_t position);
  void StepBar(int32_t delta);
  // Disables btCanc and repaints it.
  void DisableCancelButton();
  HWND Handle() const;

  // The components, in declaration order of the form.
  ui::Form form;
  ui::Button btCanc;
  ui::Panel paTop;
  ui::Picture im1;
  ui::Label laSetup;
  ui::ProgressBar pb;
  ui::Label laRest;
  ui::Panel Panel1;
  ui::Button btDummy;
  ui::Label laTitle_Ope;

  void FormCreate();
  void btCancClick();

 private:
  TfmSetupZQ();
};

extern TfmSetupZQ* fmSetupZQ;

}  // namespace zq
