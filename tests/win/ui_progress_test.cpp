// DownloadProgress in the real window: the Cancel click is answered only at
// the next progress call, several clicks give one prompt, a declined cancel
// lets the download go on, and a confirmed one ends the process with code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "tools/uiauto/child_process_win.h"
#include "tools/uiauto/window_reader_win.h"
#include "ui/application_win.h"
#include "ui/download_progress_win.h"
#include "ui/setup_window_ids.h"
#include "ui/setup_window_win.h"

namespace zq {
namespace {

const std::string kConfirmCaption = "Confirma\xC3\xA7\xC3\xA3o";  // UTF-8

// Answers every cancel prompt of this process with No, from a second thread,
// and counts them.
class PromptAnswerer {
 public:
  PromptAnswerer()
      : thread_([this] {
          while (!stop_) {
            HWND prompt = uiauto::FindTopLevel(kConfirmCaption, "#32770");
            if (prompt == nullptr) {
              Sleep(20);
              continue;
            }
            for (const auto& info : uiauto::ReadTree(prompt)) {
              if (info.text == "Cancelamento Vers\xC3\xA3o Nova Zolmar") named_mode_ = true;
            }
            ++count_;
            uiauto::Press(prompt, IDNO);
            while (IsWindow(prompt) && !stop_) Sleep(20);
          }
        }) {}
  ~PromptAnswerer() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int Count() const { return count_; }
  bool NamedMode() const { return named_mode_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::atomic<bool> named_mode_{false};
  std::thread thread_;
};

TfmSetupZQ& DownloadingWindow() {
  TfmSetupZQ* window = TfmSetupZQ::Create();
  window->SetCaption("Atualiza\xE7\xE3o do Sistema");
  window->FInstallMode = false;
  window->ShowAndBringToFront();
  app::ProcessMessages();
  window->SetBarMax(1000000);
  window->FLastTick = GetTickCount();
  window->FBytesDone = 0;
  window->FIntervalKB = 0;
  return *window;
}

TEST(DownloadProgressInWindow, CancelIsAnsweredAtTheNextCallWithOnePromptForSeveralClicks) {
  TfmSetupZQ& window = DownloadingWindow();
  PromptAnswerer answerer;
  DownloadProgress(&window, 4096);
  EXPECT_EQ(window.pb.Position(), 4096);

  for (int i = 0; i < 3; ++i) SendMessageA(window.btCanc.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(window.FCancelRequested);
  Sleep(300);
  EXPECT_EQ(answerer.Count(), 0);  // the click itself shows nothing

  DownloadProgress(&window, 4096);  // the prompt, answered No by the other thread
  EXPECT_EQ(answerer.Count(), 1);
  EXPECT_TRUE(answerer.NamedMode());
  EXPECT_FALSE(window.FCancelRequested);
  EXPECT_TRUE(IsWindowEnabled(window.Handle()));  // enabled again after the prompt

  // The download goes on: further calls move the bar and ask nothing.
  for (int i = 0; i < 5; ++i) DownloadProgress(&window, 8192);
  Sleep(300);
  answerer.Stop();
  EXPECT_EQ(answerer.Count(), 1);
  EXPECT_EQ(window.pb.Position(), 2 * 4096 + 5 * 8192);
  EXPECT_EQ(window.FBytesDone, 2 * 4096 + 5 * 8192);
}

TEST(DownloadProgressInWindow, RateLineAfterASecond) {
  TfmSetupZQ& window = DownloadingWindow();
  window.FLastTick = GetTickCount() - 2000;
  DownloadProgress(&window, 102400);
  const std::string text = window.laRest.Text();
  EXPECT_EQ(text.rfind("Taxa: ", 0), 0u) << text;
  EXPECT_NE(text.find(" KB/s   ("), std::string::npos) << text;
  EXPECT_NE(text.find(" Mb/s)\rTempo Restante: "), std::string::npos) << text;
  EXPECT_NE(text.find(','), std::string::npos) << "Brazilian decimal separator: " << text;
}

std::string Host() { return "\"" + uiauto::ProgramFolder() + "..\\..\\bin\\uihost.exe\""; }

struct CancelRun {
  const char* name;
  UINT answer;        // IDYES or IDNO
  DWORD exit_code;    // 0 for a confirmed cancel; 3 when the download ran to its end
  const char* output;
};

TEST(DownloadProgressInWindow, ConfirmedCancelEndsTheProcessWithCodeZero) {
  const CancelRun runs[] = {
      {"confirmed", IDYES, 0, ""},
      {"declined", IDNO, 3, "finished\r\n"}  // text-mode output,
  };
  for (const CancelRun& run : runs) {
    SCOPED_TRACE(run.name);
    // About 250 progress calls of 8 KB, 10 ms apart.
    uiauto::ChildProcess host(Host() + " download update 2000000 8192 10");
    ASSERT_TRUE(host.Started());
    HWND window = uiauto::WaitTopLevel("Atualiza\xC3\xA7\xC3\xA3o do Sistema", "TfmSetupZQ", 15000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(uiauto::Press(window, kIdBtCanc));
    HWND prompt = uiauto::WaitTopLevel(kConfirmCaption, "#32770", 15000);
    ASSERT_NE(prompt, nullptr);
    EXPECT_FALSE(IsWindowEnabled(window));  // the setup window waits for the answer
    ASSERT_TRUE(uiauto::Press(prompt, run.answer));
    ASSERT_TRUE(host.Wait(60000));
    EXPECT_EQ(host.ExitCode(), run.exit_code);
    EXPECT_EQ(host.Output(), run.output);
  }
}

}  // namespace
}  // namespace zq
