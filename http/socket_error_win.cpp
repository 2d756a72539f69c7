#include "http/socket_error_win.h"

#include "env/os_error_win.h"

namespace zq {

std::string SocketErrorText(int code, const char* api) {
  return "Windows socket error: " + SystemMessage(static_cast<DWORD>(code)) + " (" + std::to_string(code) +
         "), on API '" + api + "'";
}

}  // namespace zq
