#include "setup/app_shell_win.h"

#include <windows.h>

#include "ui/application_win.h"

namespace zq {

ShowBox AppShowBox() {
  return [](const std::string& text, const std::string& caption) { app::MessageBox(text, caption, MB_OK); };
}

HttpShell AppHttpShell() { return HttpShell{&app::ProcessMessages, AppShowBox()}; }

}  // namespace zq
