// CPU spent by TsHTTP::Get on a body, without a progress handler and with the
// setup window shown and its download-progress handler in the client's
// OnProgress slot, as the program runs it. Counted for this process
// (GetProcessTimes) and for the wineserver, which Wine's socket and message
// calls go through, and for the X server, which draws the window (utime +
// stime of their /proc stat, read through Z:; X_PID "-" when unknown).
// Usage: http_bench_cpu HOST:PORT PATH WINESERVER_PID X_PID [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "env/handle_win.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"
#include "ui/application_win.h"
#include "ui/download_progress_win.h"
#include "ui/mode_texts.h"
#include "ui/setup_window_win.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

// utime + stime of a Unix process, in seconds; -1 when it can't be read.
double UnixProcessSeconds(const std::string& pid) {
  const std::string path = "Z:\\proc\\" + pid + "\\stat";
  const zq::UniqueHandle f(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return -1;
  char text[1024] = {};
  DWORD n = 0;
  ReadFile(f.Get(), text, sizeof text - 1, &n, nullptr);
  // The fields after the command name, which is in parentheses: state is
  // the 3rd field, utime the 14th and stime the 15th.
  const char* p = std::strrchr(text, ')');
  if (p == nullptr) return -1;
  std::vector<std::string> fields;
  for (const char* s = p + 2; *s;) {
    const char* e = std::strchr(s, ' ');
    if (e == nullptr) e = s + std::strlen(s);
    fields.emplace_back(s, e);
    s = *e ? e + 1 : e;
  }
  if (fields.size() < 13) return -1;
  return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) / 100.0;  // USER_HZ on Linux
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s HOST:PORT PATH WINESERVER_PID X_PID [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string address = argv[1];
  const std::string path = argv[2];
  const std::string server_pid = argv[3];
  const std::string x_pid = argv[4];
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 3;
  if (UnixProcessSeconds(server_pid) < 0) {
    std::fprintf(stderr, "cannot read the wineserver's times (pid %s)\n", server_pid.c_str());
    return 1;
  }
  const bool with_x = UnixProcessSeconds(x_pid) >= 0;

  zq::TsHTTP http(address, zq::MakeWinHttpPlatform(zq::AppHttpShell()));
  http.ShowHourglass = false;
  size_t bytes = 0;
  try {
    bytes = http.Get(path).Size();  // warms the connection and the server's cache
  } catch (const zq::Error& e) {
    std::fprintf(stderr, "request failed: %s\n", e.what());
    return 1;
  }
  zq::TfmSetupZQ* window = zq::TfmSetupZQ::Create();
  window->SetCaption(zq::ModeCaption(false));
  window->SetTitleOpe(zq::ModeTitleOpe(false));

  // Medians of the rounds; the two ways alternate so that both see the same machine.
  std::vector<double> wall[2], own[2], server[2], x[2];
  try {
    for (int i = 0; i < rounds; ++i) {
      for (int with_window = 0; with_window < 2; ++with_window) {
        if (with_window) {
          // As the program's download starts: the window shown, its bar's
          // range the total, the counters reset, the handler installed.
          window->ShowAndBringToFront();
          zq::app::ProcessMessages();
          window->SetBarMax(static_cast<int32_t>(bytes));
          window->SetBarPosition(0);
          window->FLastTick = GetTickCount();
          window->FBytesDone = 0;
          window->FIntervalKB = 0;
          window->FStepBytes = 0;
          http.OnProgress.Set(&zq::DownloadProgress, window);
        } else {
          http.OnProgress.Clear();
        }
        const double own0 = ProcessSeconds();
        const double server0 = UnixProcessSeconds(server_pid);
        const double x0 = with_x ? UnixProcessSeconds(x_pid) : 0;
        const auto start = Clock::now();
        const size_t got = http.Get(path).Size();
        wall[with_window].push_back(std::chrono::duration<double>(Clock::now() - start).count());
        own[with_window].push_back(ProcessSeconds() - own0);
        server[with_window].push_back(UnixProcessSeconds(server_pid) - server0);
        x[with_window].push_back(with_x ? UnixProcessSeconds(x_pid) - x0 : 0);
        if (got != bytes) {
          std::fprintf(stderr, "size mismatch: %zu, then %zu\n", bytes, got);
          return 1;
        }
      }
    }
  } catch (const zq::Error& e) {
    std::fprintf(stderr, "request failed: %s\n", e.what());
    return 1;
  }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double per100 = 100e6 / static_cast<double>(bytes);  // figures per 100 MB
  std::printf("body %.1f MB, median of %d rounds each; CPU seconds (and wall seconds) per 100 MB:\n",
              static_cast<double>(bytes) / 1e6, rounds);
  std::printf("%-34s %8s %10s %9s %9s %7s\n", "", "process", "wineserver", "X server", "together", "wall");
  const char* names[2] = {"TsHTTP::Get, no progress handler:", "with the progress window:"};
  for (int k = 0; k < 2; ++k) {
    const double o = median(own[k]) * per100, s = median(server[k]) * per100, xs = median(x[k]) * per100;
    char x_text[16] = "-";
    if (with_x) std::snprintf(x_text, sizeof x_text, "%.2f", xs);
    std::printf("%-34s %8.2f %10.2f %9s %9.2f %7.2f\n", names[k], o, s, x_text, o + s + xs, median(wall[k]) * per100);
  }
  return 0;
}
