// The server address host[:port][#proxyhost[:proxyport]], parsed alone and
// by the client's constructor over a fake platform that records the
// socket's target.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/str_to_int.h"
#include "fuzz_check.h"
#include "http/http_address.h"
#include "http/http_client.h"

namespace {

constexpr size_t kMaxPartText = 999;

// One part against what it was split into.
void CheckPart(const std::string& part, int32_t default_port, const std::string& host, int32_t port) {
  if (part.empty()) {
    FUZZ_CHECK(host.empty() && port == 0, "an empty part gives an empty host and port 0");
    return;
  }
  if (host == part) {
    // No port taken: there is no colon, or what follows it is no integer.
    FUZZ_CHECK(port == default_port, "a part kept whole must get the default port");
    const size_t colon = part.find(':');
    FUZZ_CHECK(colon == std::string::npos || !zq::TryStrToInt(part.substr(colon + 1, kMaxPartText)),
               "a valid port was not taken");
    return;
  }
  FUZZ_CHECK(host.find(':') == std::string::npos, "a host split off its port holds a colon");
  FUZZ_CHECK(part.size() > host.size() && part.compare(0, host.size(), host) == 0 && part[host.size()] == ':',
             "the host must be the text before the first colon");
  FUZZ_CHECK(zq::TryStrToInt(part.substr(host.size() + 1, kMaxPartText)) == std::optional<int32_t>(port),
             "the port must be the value of the text after the colon");
}

struct TargetRecorder : zq::HttpPlatform {
  std::string* host;
  int32_t* port;
  TargetRecorder(std::string* h, int32_t* p) : host(h), port(p) {}
  void SetTarget(const std::string& h, int32_t p) override {
    *host = h;
    *port = p;
  }
  bool Active() const override { return false; }
  void Close() override {}
  std::unique_ptr<zq::ConnectWorker> StartOpen() override { std::abort(); }
  std::unique_ptr<zq::SocketStream> CreateStream(int32_t) override { std::abort(); }
  bool HasPendingInput() override { return false; }
  uint32_t TickCount() override { return 0; }
  void ProcessMessages() override {}
  void ShowHourglass() override {}
  void RestoreCursor() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string address(reinterpret_cast<const char*>(data), size);
  const zq::HttpAddress a = zq::ParseAddress(address);

  const size_t hash = address.find('#');
  const std::string server = address.substr(0, hash);
  const std::string proxy = hash == std::string::npos ? std::string() : address.substr(hash + 1, kMaxPartText);
  FUZZ_CHECK(a.host.find('#') == std::string::npos, "the host holds a #");
  CheckPart(server, 80, a.host, a.port);
  CheckPart(proxy, 8080, a.proxy_host, a.proxy_port);

  // The constructor takes the same parse and aims the socket at the proxy
  // when there is one.
  std::string target_host = "(none)";
  int32_t target_port = -12345;
  zq::TsHTTP client(address, std::make_unique<TargetRecorder>(&target_host, &target_port));
  FUZZ_CHECK(client.Host == a.host && client.Port == a.port && client.ProxyHost == a.proxy_host &&
                 client.ProxyPort == a.proxy_port,
             "the client's fields differ from the parse");
  if (a.proxy_host.empty()) {
    FUZZ_CHECK(target_host == a.host && target_port == a.port && client.ReuseWindow == 600000,
               "without a proxy the socket goes to the server");
  } else {
    FUZZ_CHECK(target_host == a.proxy_host && target_port == a.proxy_port && client.ReuseWindow == 0,
               "with a proxy the socket goes to the proxy");
  }
  FUZZ_CHECK(client.Path.empty() && client.Response.Size() == 0, "construction does no request");

  // A host without ":" or "#" and a port written in decimal read back.
  if (!a.host.empty() && a.host.find_first_of(":#") == std::string::npos) {
    const zq::HttpAddress back = zq::ParseAddress(a.host + ":" + std::to_string(a.port));
    FUZZ_CHECK(back.host == a.host && back.port == a.port && back.proxy_host.empty(), "host:port round trip");
  }
  return 0;
}
