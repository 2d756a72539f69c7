// The module's client, created at start-up for the default host.
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"

namespace zq {

std::unique_ptr<TsHTTP> DefaultClient = std::make_unique<TsHTTP>(kDefaultHost, MakeWinHttpPlatform(AppHttpShell()));

}  // namespace zq
