#pragma once
// The text of a GET request: an absolute target and a single Host header.
#include <string>
#include <string_view>

namespace zq {

// Percent-encodes the bytes that cannot stand in a request target: blanks,
// control characters, bytes above 127, "%", "#" and "?". Everything else
// passes unchanged.
std::string EncodeRequestPath(std::string_view path);

// "GET http://HOST/PATH HTTP/1.1\r\nHost: HOST\r\n\r\n"; never a port.
// Blanks and control bytes of HOST are left out.
std::string BuildRequest(const std::string& host, std::string_view path);

}  // namespace zq
