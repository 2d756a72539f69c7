#pragma once
// The client's platform on Windows: WinSock, the connect worker and the
// hourglass cursor, with the application's message pump and its boxes
// handed in by the program.
#include <functional>
#include <memory>

#include "base/show_box.h"
#include "http/http_platform.h"

namespace zq {

// What the platform borrows from the window layer.
struct HttpShell {
  std::function<void()> processMessages;  // handles the waiting window messages
  ShowBox showBox;                        // the connect worker's failure, captioned "Erro"
};

std::unique_ptr<HttpPlatform> MakeWinHttpPlatform(HttpShell shell);

}  // namespace zq
