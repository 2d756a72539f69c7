// How fast the reply reader turns blocks into a body, without any socket:
// a 100 MB reply with Content-Length and the same body chunked.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "http/http_client.h"
#include "tests/doubles/scripted_stream.h"

namespace {

class MemoryPlatform : public zq::HttpPlatform {
 public:
  // The reply is copied into the script here, before any time is taken.
  explicit MemoryPlatform(const std::string& reply) { script_.reads.push_back(zq::test::Data(reply)); }
  void SetTarget(const std::string&, int32_t) override {}
  bool Active() const override { return active_; }
  void Close() override { active_ = false; }
  std::unique_ptr<zq::ConnectWorker> StartOpen() override {
    struct Worker : zq::ConnectWorker {
      bool* active;
      bool WaitFor(uint32_t) override { return *active = true; }
      void Abandon() override {}
    };
    auto w = std::make_unique<Worker>();
    w->active = &active_;
    return w;
  }
  std::unique_ptr<zq::SocketStream> CreateStream(int32_t) override {
    return std::make_unique<zq::test::ScriptedStream>(script_);
  }
  bool HasPendingInput() override { return false; }
  uint32_t TickCount() override { return 0; }
  void ProcessMessages() override {}
  void ShowHourglass() override {}
  void RestoreCursor() override {}

 private:
  zq::test::Connection script_;
  bool active_ = false;
};

void Measure(const char* name, const std::string& reply, size_t body) {
  zq::TsHTTP http("bench", std::make_unique<MemoryPlatform>(reply));
  const auto start = std::chrono::steady_clock::now();
  const size_t got = http.Get("/body").Size();
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-16s %zu bytes (expected %zu) in %.3f s: %.0f MiB/s\n", name, got, body, s,
              static_cast<double>(got) / (1024.0 * 1024.0) / s);
}

}  // namespace

int main() {
  const size_t size = 100000000;
  const std::string body(size, 'z');
  Measure("Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n" + body, size);
  std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (size_t i = 0; i < size; i += 65536) {
    const size_t n = std::min<size_t>(65536, size - i);
    char line[32];
    std::snprintf(line, sizeof line, "%zx\r\n", n);
    chunked += line;
    chunked.append(body, i, n);
    chunked += "\r\n";
  }
  chunked += "0\r\n\r\n";
  Measure("chunked", chunked, size);
  return 0;
}
