#pragma once
// The client's platform on Windows: WinSock, the connect worker, the
// application's message pump and the hourglass cursor.
#include <memory>

#include "http/http_platform.h"

namespace zq {

std::unique_ptr<HttpPlatform> MakeWinHttpPlatform();

}  // namespace zq
