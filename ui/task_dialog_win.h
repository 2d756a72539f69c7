#pragma once
// Shows a platform task dialog (TaskDialogIndirect, bound at run time before
// each dialog) from 8-bit texts and reports the pressed button.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zq {

struct TButtonTextID {
  int32_t ID;
  std::wstring Text;
};

// TASKDIALOGCONFIG as the platform publishes it (byte packing), with each
// button block as one record.
#pragma pack(push, 1)
struct TTaskButtons {
  UINT Count;
  const TASKDIALOG_BUTTON* Buttons;  // TArrayTaskDialogButton
  int Default;
};

struct TTaskDialogConfig {
  UINT cbSize;
  HWND hwndParent;
  HINSTANCE hInstance;
  TASKDIALOG_FLAGS dwFlags;
  TASKDIALOG_COMMON_BUTTON_FLAGS dwCommonButtons;
  PCWSTR pszWindowTitle;
  PCWSTR pszMainIcon;
  PCWSTR pszMainInstruction;
  PCWSTR pszContent;
  TTaskButtons Buttons;
  TTaskButtons RadioButtons;
  PCWSTR pszVerificationText;
  PCWSTR pszExpandedInformation;
  PCWSTR pszExpandedControlText;
  PCWSTR pszCollapsedControlText;
  PCWSTR pszFooterIcon;
  PCWSTR pszFooter;
  PFTASKDIALOGCALLBACK pfCallback;
  LONG_PTR lpCallbackData;
  UINT cxWidth;
};
#pragma pack(pop)

class TTaskDialog {
 public:
  TTaskDialog();
  virtual ~TTaskDialog();
  TTaskDialog(const TTaskDialog&) = delete;
  TTaskDialog& operator=(const TTaskDialog&) = delete;

  void Clear();
  // -1 when the dialog cannot be run at all, else TaskDialogIndirect's result.
  int32_t Execute(int32_t& button, int32_t& radio_button, BOOL& verification);
  // The record Execute hands to the platform; the arrays it points into live
  // in `buttons` and `radio_buttons`.
  TTaskDialogConfig BuildConfig(std::vector<TASKDIALOG_BUTTON>& buttons,
                                std::vector<TASKDIALOG_BUTTON>& radio_buttons) const;

  std::vector<TButtonTextID> FButtons;
  std::vector<TButtonTextID> FRadioButtons;
  int32_t FDefaultButton = 0;
  int32_t FDefaultRadioButton = 0;
  std::wstring FWindowTitle;
  std::wstring FMainInstruction;
  std::wstring FContent;
  std::wstring FVerificationText;
  std::wstring FExpandedInformation;
  std::wstring FExpandedControlText;
  std::wstring FCollapsedControlText;
  std::wstring FFooter;
  uintptr_t FMainIcon = 0;
  uintptr_t FFooterIcon = 0;
  HWND FParentWindow = nullptr;
  HINSTANCE FInstance = nullptr;
  uint32_t FFlags = 0;
  uint32_t FCommonButtons = 0;
  PFTASKDIALOGCALLBACK FCallback = nullptr;
  LONG_PTR FCallbackData = 0;
  uint32_t FWidth = 0;
};

// Builds a dialog owned by the application window and runs it; returns the
// pressed button's identifier. Shows "Erro na execução da TaskDialog." and
// raises EAbort when no dialog could be shown.
int32_t ShowTaskDialog(const std::string& window_title, const std::string& main_instruction,
                       const std::string& content, uint32_t common_buttons, int32_t main_icon,
                       const std::string& expanded_information, const std::string& footer);

// Opens a clicked hyperlink; S_OK for every notification.
HRESULT CALLBACK TaskDialogCallback(HWND dialog, UINT notification, WPARAM wparam, LPARAM lparam,
                                    LONG_PTR callback_data);

// True when the Windows major version is 6 or more.
bool IsWin6OrLater();

}  // namespace zq
