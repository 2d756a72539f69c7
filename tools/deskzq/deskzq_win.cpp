// Stand-in for the product DeskZQ.exe. Each start appends to a log
//   cmdline=<the command line exactly as GetCommandLineA gives it>\n
//   cwd=<the current folder>\n
// (log path: the environment variable ZQ_DESKZQ_LOG, else DeskZQ.log beside
// the executable). Then it waits, with a hidden window "DeskZQ stand-in",
// until it is ended or closed; with ZQ_DESKZQ_EXIT=1 it exits at once.
#include <windows.h>

#include <string>

namespace {

std::string EnvironmentText(const char* name) {
  char buffer[32768];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

std::string LogPath() {
  std::string path = EnvironmentText("ZQ_DESKZQ_LOG");
  if (!path.empty()) return path;
  char exe[32768];
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  path.assign(exe, n < sizeof exe ? n : 0);
  return path.substr(0, path.find_last_of("\\/:") + 1) + "DeskZQ.log";
}

// One write per record, appended, so that copies started together don't mix
// their lines; a log held open by another copy is retried for a while.
void AppendRecord(const std::string& record) {
  const std::string path = LogPath();
  for (int tries = 0; tries < 100; ++tries) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(20);
  }
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char cwd[32768];
  const DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  AppendRecord(std::string("cmdline=") + GetCommandLineA() + "\ncwd=" +
               std::string(cwd, n < sizeof cwd ? n : 0) + "\n");
  if (EnvironmentText("ZQ_DESKZQ_EXIT") == "1") return 0;

  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = "DeskZQStandIn";
  RegisterClassA(&wc);
  CreateWindowExA(0, wc.lpszClassName, "DeskZQ stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                  nullptr, instance, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
