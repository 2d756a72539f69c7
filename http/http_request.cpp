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
  return "GET http://" + host + EncodeRequestPath(path) + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
}

}  // namespace zq
