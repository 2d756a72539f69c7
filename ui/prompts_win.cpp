#include "ui/prompts_win.h"

#include <windows.h>

#include "ui/application_win.h"
#include "ui/number_format_win.h"
#include "ui/prompt_texts.h"
#include "ui/task_dialog_win.h"

namespace zq {

namespace {

constexpr int kTaskDialogStartIcon = 106;
constexpr int kTaskDialogCancelIcon = 104;
constexpr UINT kYesNoButtons = 2 | 4;  // TDCBF_YES_BUTTON | TDCBF_NO_BUTTON

// The version numbers as the system reports them, read once.
const OSVERSIONINFOA& ReportedVersion() {
  static const OSVERSIONINFOA version = [] {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) info = OSVERSIONINFOA{};
#pragma GCC diagnostic pop
    return info;
  }();
  return version;
}

}  // namespace

bool IsWin61Or62() {
  const OSVERSIONINFOA& v = ReportedVersion();
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion == 6 &&
         (v.dwMinorVersion == 1 || v.dwMinorVersion == 2);
}

bool ConfirmStart(bool installMode, int32_t totalBytes) {
  const std::string size_line = SizeLine(FormatNumber2(DownloadMegabytes(totalBytes)));
  int answer;
  if (IsWin61Or62()) {
    const PromptTexts texts = StartPromptTexts(installMode);
    answer = ShowTaskDialog(kStartDialogTitle, texts.main_instruction, texts.content, kYesNoButtons,
                            kTaskDialogStartIcon, size_line, FooterLink());
  } else {
    answer = app::MessageBox(StartMessageBoxText(installMode, size_line), kConfirmCaption, MB_YESNO);
  }
  return answer == IDYES;
}

bool ConfirmCancel(TfmSetupZQ& window) {
  const PromptTexts texts = CancelPromptTexts(window.FInstallMode);
  int answer;
  if (IsWin61Or62()) {
    answer = ShowTaskDialog(kConfirmCaption, texts.main_instruction, texts.content, kYesNoButtons,
                            kTaskDialogCancelIcon, "", FooterLink());
  } else {
    answer = app::MessageBox(texts.message_box, kConfirmCaption, MB_YESNO);
  }
  return answer == IDYES;
}

}  // namespace zq
