#include "env/os_error_win.h"

namespace zq {

std::string SystemErrorMessage(DWORD code) {
  if (code == 0) return "A call to an OS function failed";
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                           text, sizeof text, nullptr);
  // The system's texts end with a line break; the message carries none.
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  return "System Error.  Code: " + std::to_string(code) + ".\r\n" + std::string(text, n);
}

}  // namespace zq
