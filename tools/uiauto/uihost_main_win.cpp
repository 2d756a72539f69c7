// uihost: shows the setup window and its prompts outside a real run, for the
// window tests and for screenshots.
//   uihost start  install|update BYTES     the start prompt; prints yes/no
//   uihost cancel install|update           the cancel prompt; prints yes/no
//   uihost window install|update MS        the shown window for MS milliseconds
//   uihost download install|update BYTES BLOCK DELAY_MS
//       a simulated download through DownloadProgress; prints "finished"
//       and exits with 3 when it ran to its end
// Exit codes: 6 yes, 7 no (prompts); 0 when a confirmed cancel ended the
// process; 2 usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/application_win.h"
#include "ui/download_progress_win.h"
#include "ui/mode_texts.h"
#include "ui/prompts_win.h"
#include "ui/setup_window_win.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: uihost start|cancel|window|download install|update [args]\n");
  return 2;
}

void SetModeTexts(zq::TfmSetupZQ& window, bool install) {
  window.SetCaption(zq::ModeCaption(install));
  window.SetTitleOpe(zq::ModeTitleOpe(install));
  window.FInstallMode = install;
}

int Answer(bool yes) {
  std::printf("%s\n", yes ? "yes" : "no");
  std::fflush(stdout);
  return yes ? 6 : 7;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string mode = argv[2];
  if (mode != "install" && mode != "update") return Usage();
  const bool install = mode == "install";
  auto arg = [&](int i) { return i < argc ? std::strtol(argv[i], nullptr, 10) : 0L; };
  try {
    zq::TfmSetupZQ* window = zq::TfmSetupZQ::Create();
    SetModeTexts(*window, install);
    if (command == "start") {
      return Answer(zq::ConfirmStart(install, static_cast<int32_t>(arg(3))));
    }
    if (command == "cancel") return Answer(zq::ConfirmCancel(*window));
    if (command == "window") {
      window->ShowAndBringToFront();
      const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(arg(3));
      while (GetTickCount64() < end) {
        zq::app::ProcessMessages();
        Sleep(20);
      }
      return 0;
    }
    if (command == "download") {
      const auto total = static_cast<int32_t>(arg(3));
      const auto block = static_cast<int32_t>(arg(4));
      const auto delay = static_cast<DWORD>(arg(5));
      window->ShowAndBringToFront();
      zq::app::ProcessMessages();
      window->SetBarMax(total);
      window->FLastTick = GetTickCount();
      window->FBytesDone = 0;
      window->FIntervalKB = 0;
      for (int32_t done = 0; done < total; done += block) {
        Sleep(delay);
        zq::DownloadProgress(window, block);
      }
      std::printf("finished\n");
      std::fflush(stdout);
      return 3;
    }
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
    return 4;
  }
  return Usage();
}
