#pragma once
// The application object's pump and boxes, as the lower layers take them.
#include "base/show_box.h"
#include "http/http_platform_win.h"

namespace zq {

// A box with OK owned by the application window (app::MessageBox, MB_OK).
ShowBox AppShowBox();

// The client's platform shell: the application's pump and its boxes.
HttpShell AppHttpShell();

}  // namespace zq
