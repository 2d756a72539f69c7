// Answers a prompt and says when: waits for a top-level window, presses the
// button with the id and prints "press_us=<Unix time in microseconds>" taken
// just before the press is posted, the start of a timed update run.
// Usage: press_stamp CAPTION ID [TIMEOUT_MS]  (CAPTION in UTF-8, %XX escapes allowed)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/update/unix_clock_win.h"
#include "tools/uiauto/window_reader_win.h"

namespace {

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: press_stamp CAPTION ID [TIMEOUT_MS]\n");
    return 2;
  }
  const std::string caption = PercentDecoded(argv[1]);
  const int id = std::atoi(argv[2]);
  const DWORD timeout = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 20000;
  const HWND top = zq::uiauto::WaitTopLevel(caption, "", timeout);
  if (top == nullptr) {
    std::fprintf(stderr, "press_stamp: no window \"%s\"\n", caption.c_str());
    return 1;
  }
  // A dialog just shown may not have its buttons yet. The button is looked up
  // first, so that the stamp is taken right before the message is posted.
  HWND button = nullptr;
  for (int attempt = 0; attempt < 50 && button == nullptr; ++attempt) {
    button = zq::uiauto::FindChildById(top, id);
    if (button == nullptr) Sleep(20);
  }
  char class_name[16] = {};
  if (button != nullptr) GetClassNameA(button, class_name, sizeof class_name);
  const bool is_button = std::string(class_name) == "Button";
  const long long stamp = zq::bench::UnixMicros();
  const BOOL posted = is_button
                          ? PostMessageW(button, BM_CLICK, 0, 0)
                          : PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  if (!posted) return 3;
  std::printf("press_us=%lld\n", stamp);
  return 0;
}
