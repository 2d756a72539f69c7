// Throughput of TsHTTP::Get against a plain 8 KiB recv loop, same server,
// same Wine. Usage: http_bench_client HOST:PORT PATH [ROUNDS]
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The reference: one connection, the same request, recv into 8 KiB until
// the announced length has arrived.
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

  zq::TsHTTP http(address, zq::MakeWinHttpPlatform());  // starts WinSock too
  http.ShowHourglass = false;
  double best_plain = 1e9;
  double best_client = 1e9;
  long long bytes = 0;
  try {
    for (int i = 0; i < rounds; ++i) {
      auto start = Clock::now();
      bytes = PlainRecv(host, port, path);
      best_plain = std::min(best_plain, Seconds(start));
      start = Clock::now();
      const size_t got = http.Get(path).Size();
      best_client = std::min(best_client, Seconds(start));
      if (static_cast<long long>(got) != bytes) {
        std::fprintf(stderr, "size mismatch: client %zu, recv loop %lld\n", got, bytes);
        return 1;
      }
    }
  } catch (const zq::Error& e) {
    std::fprintf(stderr, "request failed: %s\n", e.what());
    return 1;
  }
  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
  std::printf("body %.1f MiB, best of %d rounds\n", mb, rounds);
  std::printf("plain 8 KiB recv loop: %8.1f MiB/s (%.3f s)\n", mb / best_plain, best_plain);
  std::printf("TsHTTP::Get:           %8.1f MiB/s (%.3f s)\n", mb / best_client, best_client);
  std::printf("ratio client/recv:     %8.3f\n", best_plain / best_client);
  return 0;
}
