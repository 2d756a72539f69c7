#include "http/http_request.h"

namespace zq {

std::string EncodeRequestPath(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '%' || c == '#' || c == '?') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string BuildRequest(const std::string& host, std::string_view path) {
  // A host name holds no blank nor control byte; one that came with CR LF
  // from a quoted command-line address would add headers of its own.
  std::string name;
  for (const char c : host) {
    const auto b = static_cast<unsigned char>(c);
    if (b > 0x20 && b != 0x7F) name += c;
  }
  return "GET http://" + name + EncodeRequestPath(path) + " HTTP/1.1\r\nHost: " + name + "\r\n\r\n";
}

}  // namespace zq
