#include "ui/download_progress_win.h"

#include <windows.h>

#include "ui/application_win.h"
#include "ui/number_format_win.h"
#include "ui/progress.h"
#include "ui/prompts_win.h"
#include "ui/setup_window_win.h"

namespace zq {

namespace {

class WindowPorts : public ProgressPorts {
 public:
  explicit WindowPorts(TfmSetupZQ& window) : window_(window) {}
  uint32_t TickCount() override { return GetTickCount(); }
  std::string FormatNumber(double value) override { return FormatNumber2(value); }
  int32_t BarMax() override { return window_.BarMax(); }
  void StepBar(int32_t delta) override { window_.StepBar(delta); }
  void SetRestText(const std::string& text) override { window_.SetRestText(text); }
  void ProcessMessages() override { app::ProcessMessages(); }
  bool ConfirmCancel() override { return zq::ConfirmCancel(window_); }
  void ExitProcess() override { ::ExitProcess(0); }

 private:
  TfmSetupZQ& window_;
};

}  // namespace

void DownloadProgress(void* window, int32_t n) {
  auto& form = *static_cast<TfmSetupZQ*>(window);
  WindowPorts ports(form);
  AdvanceProgress(form, ports, n);
}

}  // namespace zq
