#pragma once
// The text of a refused socket call.
#include <string>

namespace zq {

// "Windows socket error: <message> (<code>), on API '<api>'".
std::string SocketErrorText(int code, const char* api);

}  // namespace zq
