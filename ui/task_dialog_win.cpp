#include "ui/task_dialog_win.h"

#include <shellapi.h>

#include <cstddef>
#include <memory>

#include "base/error.h"
#include "ui/application_win.h"
#include "ui/controls_win.h"
#include "ui/prompt_texts.h"
#include "ui/wide_text_win.h"

namespace zq {

static_assert(sizeof(TTaskDialogConfig) == sizeof(TASKDIALOGCONFIG));
static_assert(offsetof(TTaskDialogConfig, RadioButtons) == offsetof(TASKDIALOGCONFIG, cRadioButtons));
static_assert(offsetof(TTaskDialogConfig, pszFooter) == offsetof(TASKDIALOGCONFIG, pszFooter));
static_assert(offsetof(TTaskDialogConfig, cxWidth) == offsetof(TASKDIALOGCONFIG, cxWidth));
#if defined(__i386__)
static_assert(sizeof(TTaskDialogConfig) == 96, "TASKDIALOGCONFIG of the 32-bit program");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA of the 32-bit program");
#endif

namespace {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TTaskDialogConfig*, int*, int*, BOOL*);

constexpr uint32_t kAllowCancellation = 8;  // TDF_ALLOW_DIALOG_CANCELLATION
constexpr uint32_t kEnableHyperlinks = 1;   // TDF_ENABLE_HYPERLINKS
constexpr uintptr_t kShieldIcon = 0xFFFC;   // TD_SHIELD_ICON

class Library {
 public:
  explicit Library(const char* name) : handle_(LoadLibraryA(name)) {}
  ~Library() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  // A handle below 32 is a failure, as for the old loaders.
  bool Loaded() const { return reinterpret_cast<uintptr_t>(handle_) >= 32; }
  FARPROC Find(const char* name) const { return GetProcAddress(handle_, name); }

 private:
  HMODULE handle_;
};

std::vector<TASKDIALOG_BUTTON> ButtonArray(const std::vector<TButtonTextID>& list) {
  std::vector<TASKDIALOG_BUTTON> array;
  array.reserve(list.size());
  for (const TButtonTextID& entry : list) array.push_back({entry.ID, entry.Text.c_str()});
  return array;
}

}  // namespace

TTaskDialog::TTaskDialog() { Clear(); }
TTaskDialog::~TTaskDialog() { Clear(); }

void TTaskDialog::Clear() {
  FButtons.clear();
  FRadioButtons.clear();
  FDefaultButton = 0;
  FDefaultRadioButton = 0;
  FWindowTitle.clear();
  FMainInstruction.clear();
  FContent.clear();
  FVerificationText.clear();
  FExpandedInformation.clear();
  FExpandedControlText.clear();
  FCollapsedControlText.clear();
  FMainIcon = 0;
  FFooterIcon = 0;
  FParentWindow = nullptr;
  FInstance = nullptr;
  FFlags = 0;
  FCommonButtons = 0;
  FWidth = 0;
}

TTaskDialogConfig TTaskDialog::BuildConfig(std::vector<TASKDIALOG_BUTTON>& buttons,
                                           std::vector<TASKDIALOG_BUTTON>& radio_buttons) const {
  buttons = ButtonArray(FButtons);
  radio_buttons = ButtonArray(FRadioButtons);
  TTaskDialogConfig config{};
  config.cbSize = sizeof(TTaskDialogConfig);
  config.hwndParent = FParentWindow;
  config.hInstance = FInstance;
  config.dwFlags = static_cast<TASKDIALOG_FLAGS>(FFlags);
  config.dwCommonButtons = static_cast<TASKDIALOG_COMMON_BUTTON_FLAGS>(FCommonButtons);
  // Every text points to its field's UTF-16 text, an empty one included.
  config.pszWindowTitle = FWindowTitle.c_str();
  config.pszMainIcon = reinterpret_cast<PCWSTR>(FMainIcon);
  config.pszMainInstruction = FMainInstruction.c_str();
  config.pszContent = FContent.c_str();
  config.Buttons = {static_cast<UINT>(buttons.size()), buttons.empty() ? nullptr : buttons.data(), FDefaultButton};
  config.RadioButtons = {static_cast<UINT>(radio_buttons.size()),
                         radio_buttons.empty() ? nullptr : radio_buttons.data(), FDefaultRadioButton};
  config.pszVerificationText = FVerificationText.c_str();
  config.pszExpandedInformation = FExpandedInformation.c_str();
  config.pszExpandedControlText = FExpandedControlText.c_str();
  config.pszCollapsedControlText = FCollapsedControlText.c_str();
  config.pszFooterIcon = reinterpret_cast<PCWSTR>(FFooterIcon);
  config.pszFooter = FFooter.c_str();
  config.pfCallback = FCallback;
  config.lpCallbackData = FCallbackData;
  config.cxWidth = FWidth;
  return config;
}

int32_t TTaskDialog::Execute(int32_t& button, int32_t& radio_button, BOOL& verification) {
  button = 0;
  radio_button = 0;
  verification = FALSE;
  if (!IsWin6OrLater()) return -1;
  Library comctl32("comctl32.dll");
  if (!comctl32.Loaded()) return -1;
  auto task_dialog_indirect = reinterpret_cast<TaskDialogIndirectFn>(
      reinterpret_cast<void (*)()>(comctl32.Find("TaskDialogIndirect")));
  if (task_dialog_indirect == nullptr) return -1;

  std::vector<TASKDIALOG_BUTTON> buttons;
  std::vector<TASKDIALOG_BUTTON> radio_buttons;
  const TTaskDialogConfig config = BuildConfig(buttons, radio_buttons);

  if (HWND form = app::ActiveForm(); form != nullptr && IsWindow(form)) {
    SendMessageA(form, ui::kFormActivateMessage, 0, 0);
    app::ProcessMessages();
  }
  // The program's other windows wait while the dialog is open, as they do
  // for the application's message boxes.
  app::ModalScope modal;
  int pressed = 0;
  int radio = 0;
  BOOL checked = FALSE;
  const HRESULT result = task_dialog_indirect(&config, &pressed, &radio, &checked);
  button = pressed;
  radio_button = radio;
  verification = checked;
  return static_cast<int32_t>(result);
}

int32_t ShowTaskDialog(const std::string& window_title, const std::string& main_instruction,
                       const std::string& content, uint32_t common_buttons, int32_t main_icon,
                       const std::string& expanded_information, const std::string& footer) {
  auto dialog = std::make_unique<TTaskDialog>();
  dialog->FParentWindow = app::Handle();
  dialog->FWindowTitle = AnsiToWide(window_title);
  dialog->FMainInstruction = AnsiToWide(main_instruction);
  dialog->FContent = AnsiToWide(content);
  dialog->FCommonButtons = common_buttons;
  dialog->FFlags = kAllowCancellation;
  if (!expanded_information.empty()) {
    dialog->FCollapsedControlText = AnsiToWide(kCollapsedText);
    dialog->FExpandedControlText = AnsiToWide(kExpandedText);
    dialog->FExpandedInformation = AnsiToWide(expanded_information);
  }
  dialog->FMainIcon = static_cast<uintptr_t>(static_cast<uint32_t>(main_icon));
  dialog->FCallback = TaskDialogCallback;
  dialog->FCallbackData = 0;
  dialog->FFlags |= kEnableHyperlinks;
  if (!footer.empty()) dialog->FFooter = AnsiToWide(footer);
  dialog->FFooterIcon = kShieldIcon;

  int32_t button = 0;
  int32_t radio_button = 0;
  BOOL verification = FALSE;
  if (dialog->Execute(button, radio_button, verification) == -1) {
    app::MessageBox("Erro na execução da TaskDialog.", "Erro", MB_OK);
    throw EAbort();
  }
  return button;
}

HRESULT CALLBACK TaskDialogCallback(HWND dialog, UINT notification, WPARAM, LPARAM lparam, LONG_PTR) {
  if (notification == TDN_HYPERLINK_CLICKED) {
    const std::string address = WideToAnsi(reinterpret_cast<const wchar_t*>(lparam));
    ShellExecuteA(dialog, "open", address.c_str(), nullptr, nullptr, SW_SHOW);
  }
  return S_OK;
}

bool IsWin6OrLater() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwMajorVersion >= 6;
}

}  // namespace zq
