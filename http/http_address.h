#pragma once
// The server address host[:port][#proxyhost[:proxyport]] given to the client.
#include <cstdint>
#include <string>

namespace zq {

struct HttpAddress {
  std::string host;
  int32_t port = 0;
  std::string proxy_host;
  int32_t proxy_port = 0;
};

// Never fails: a port that is not an integer makes the whole part the host.
HttpAddress ParseAddress(const std::string& address);

}  // namespace zq
