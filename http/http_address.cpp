#include "http/http_address.h"

#include "base/str_to_int.h"

namespace zq {

namespace {

constexpr size_t kMaxPartText = 999;

void SplitPart(const std::string& part, int32_t default_port, std::string& host, int32_t& port) {
  if (part.empty()) {
    host.clear();
    port = 0;
    return;
  }
  const size_t colon = part.find(':');
  if (colon == std::string::npos) {
    host = part;
    port = default_port;
    return;
  }
  const std::optional<int32_t> value = TryStrToInt(part.substr(colon + 1, kMaxPartText));
  if (value) {
    host = part.substr(0, colon);
    port = *value;
  } else {
    host = part;
    port = default_port;
  }
}

}  // namespace

HttpAddress ParseAddress(const std::string& address) {
  HttpAddress result;
  const size_t hash = address.find('#');
  const std::string server = hash == std::string::npos ? address : address.substr(0, hash);
  const std::string proxy = hash == std::string::npos ? std::string() : address.substr(hash + 1, kMaxPartText);
  SplitPart(server, 80, result.host, result.port);
  SplitPart(proxy, 8080, result.proxy_host, result.proxy_port);
  return result;
}

}  // namespace zq
