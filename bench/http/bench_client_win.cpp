// Throughput of TsHTTP::Get against two references on the same server in the
// same Wine: a plain 8 KiB recv loop and Wine's own WinHTTP (reads of 8 KiB,
// the client's block size, and of 64 KiB).
// Usage: http_bench_client HOST:PORT PATH [ROUNDS]
#include <winsock2.h>
#include <ws2tcpip.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"

#include "bench/winhttp_handle_win.h"

namespace {

using zq::bench::InternetHandle;
using zq::bench::Wide;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// One connection, the same request, recv into 8 KiB until the announced
// length has arrived.
long long PlainRecv(const std::string& host, const std::string& port, const std::string& path) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) return -1;
  freeaddrinfo(found);
  const std::string request = "GET http://" + host + path + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
  send(s, request.data(), static_cast<int>(request.size()), 0);
  static char buffer[8192];
  std::string head;
  long long body = 0;
  long long length = -1;
  for (;;) {
    const int n = recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    if (length < 0) {
      head.append(buffer, static_cast<size_t>(n));
      const size_t end = head.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      const size_t cl = head.find("Content-Length:");
      length = cl == std::string::npos ? 0 : std::atoll(head.c_str() + cl + 15);
      body = static_cast<long long>(head.size() - end - 4);
    } else {
      body += n;
    }
    if (length >= 0 && body >= length) break;
  }
  closesocket(s);
  return body;
}

// The reference downloader: one session and connection for all rounds (kept
// alive like the client's), each GET read with WinHttpReadData into a body
// buffer sized from Content-Length, `piece` bytes per call.
class WinHttpDownloader {
 public:
  WinHttpDownloader(const std::string& host, int port)
      : session_(WinHttpOpen(L"zq-bench", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0)),
        connection_(session_ ? WinHttpConnect(session_.Get(), Wide(host).c_str(), static_cast<INTERNET_PORT>(port), 0)
                             : nullptr) {}

  // Body bytes received, or -1 on failure.
  long long Get(const std::string& path, DWORD piece) {
    if (!connection_) return -1;
    InternetHandle request(WinHttpOpenRequest(connection_.Get(), L"GET", Wide(path).c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request || !WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr))
      return -1;
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX))
      return -1;
    body_.resize(length);
    size_t got = 0;
    for (;;) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(piece, body_.size() - got));
      if (want == 0) break;
      if (!WinHttpReadData(request.Get(), body_.data() + got, want, &n)) return -1;
      if (n == 0) break;
      got += n;
    }
    return static_cast<long long>(got);
  }

 private:
  InternetHandle session_;
  InternetHandle connection_;
  std::vector<char> body_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s HOST:PORT PATH [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string address = argv[1];
  const std::string path = argv[2];
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  const size_t colon = address.find(':');
  const std::string host = address.substr(0, colon);
  const std::string port = colon == std::string::npos ? "80" : address.substr(colon + 1);

  zq::TsHTTP http(address, zq::MakeWinHttpPlatform(zq::AppHttpShell()));  // starts WinSock too
  http.ShowHourglass = false;
  WinHttpDownloader winhttp(host, std::atoi(port.c_str()));
  double best_plain = 1e9;
  double best_client = 1e9;
  double best_winhttp8 = 1e9;
  double best_winhttp64 = 1e9;
  long long bytes = 0;
  const auto check = [&bytes](const char* who, long long got) {
    if (got == bytes) return true;
    std::fprintf(stderr, "size mismatch: %s %lld, recv loop %lld\n", who, got, bytes);
    return false;
  };
  try {
    for (int i = 0; i < rounds; ++i) {
      auto start = Clock::now();
      bytes = PlainRecv(host, port, path);
      best_plain = std::min(best_plain, Seconds(start));
      start = Clock::now();
      const auto got = static_cast<long long>(http.Get(path).Size());
      best_client = std::min(best_client, Seconds(start));
      if (!check("client", got)) return 1;
      start = Clock::now();
      if (!check("WinHTTP 8 KiB", winhttp.Get(path, 8192))) return 1;
      best_winhttp8 = std::min(best_winhttp8, Seconds(start));
      start = Clock::now();
      if (!check("WinHTTP 64 KiB", winhttp.Get(path, 65536))) return 1;
      best_winhttp64 = std::min(best_winhttp64, Seconds(start));
    }
  } catch (const zq::Error& e) {
    std::fprintf(stderr, "request failed: %s\n", e.what());
    return 1;
  }
  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  const auto line = [mb](const char* name, double s) { std::printf("%-26s %8.1f MiB/s (%.3f s)\n", name, mb / s, s); };
  std::printf("body %.1f MiB, best of %d rounds each\n", mb, rounds);
  line("plain 8 KiB recv loop:", best_plain);
  line("WinHTTP, 8 KiB reads:", best_winhttp8);
  line("WinHTTP, 64 KiB reads:", best_winhttp64);
  line("TsHTTP::Get:", best_client);
  std::printf("ratio client/recv loop:      %.3f   (goal >= 0.9)\n", best_plain / best_client);
  std::printf("ratio client/WinHTTP 8 KiB:  %.3f   (goal > 1)\n", best_winhttp8 / best_client);
  std::printf("ratio client/WinHTTP 64 KiB: %.3f   (goal > 1)\n", best_winhttp64 / best_client);
  return 0;
}
