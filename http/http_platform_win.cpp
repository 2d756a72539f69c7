#include "http/http_platform_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <utility>

#include "base/error.h"
#include "http/connect_worker_win.h"
#include "http/socket_stream_win.h"
#include "http/unique_socket_win.h"
#include "env/os_error_win.h"
#include "http/socket_error_win.h"

namespace zq {

namespace {

// WinSock is started once, and everything it loads on first use is loaded
// here on the calling thread rather than inside a connect worker.
void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (getaddrinfo("127.0.0.1", "80", &hints, &found) == 0) freeaddrinfo(found);
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) closesocket(s);
    return true;
  }();
  (void)started;
}

class WinHttpPlatform;

class WinConnectWorker : public ConnectWorker {
 public:
  WinConnectWorker(WinHttpPlatform& platform, std::unique_ptr<TOpenSocketThread> thread)
      : platform_(platform), thread_(std::move(thread)) {}
  bool WaitFor(uint32_t ms) override;
  void Abandon() override { thread_->Abandon(); }

 private:
  WinHttpPlatform& platform_;
  std::unique_ptr<TOpenSocketThread> thread_;
};

class WinHttpPlatform : public HttpPlatform {
 public:
  explicit WinHttpPlatform(HttpShell shell) : shell_(std::move(shell)) { StartWinsock(); }
  ~WinHttpPlatform() override { Discard(); }
  WinHttpPlatform(const WinHttpPlatform&) = delete;
  WinHttpPlatform& operator=(const WinHttpPlatform&) = delete;

  void SetTarget(const std::string& host, int32_t port) override {
    host_ = host;
    port_ = port;
  }
  bool Active() const override { return active_; }
  void Close() override {
    const SOCKET s = socket_.Release();
    active_ = false;
    if (s != INVALID_SOCKET && closesocket(s) == SOCKET_ERROR)
      throw ESocketError(SocketErrorText(WSAGetLastError(), "closesocket"));
  }
  std::unique_ptr<ConnectWorker> StartOpen() override {
    Discard();
    // The worker takes the socket over; it comes back only connected.
    auto thread = std::make_unique<TOpenSocketThread>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), host_, port_);
    thread->Start();
    return std::make_unique<WinConnectWorker>(*this, std::move(thread));
  }
  std::unique_ptr<SocketStream> CreateStream(int32_t timeout) override {
    return std::make_unique<WinSocketStream>(socket_.Get(), timeout);
  }
  bool HasPendingInput() override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.Get(), &readable);
    timeval zero{0, 0};
    return select(0, &readable, nullptr, nullptr, &zero) != 0;
  }
  uint32_t TickCount() override { return GetTickCount(); }
  void ProcessMessages() override { shell_.processMessages(); }
  void ShowHourglass() override { saved_cursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
  void RestoreCursor() override { SetCursor(saved_cursor_); }

  void Connected(SOCKET s) {
    socket_.Reset(s);
    active_ = true;
  }
  void ShowFailure(const std::string& text) { shell_.showBox(text, "Erro"); }
  void Discard() {
    socket_.Reset();
    active_ = false;
  }

 private:
  HttpShell shell_;
  std::string host_;
  int32_t port_ = 0;
  UniqueSocket socket_;
  bool active_ = false;
  HCURSOR saved_cursor_ = nullptr;
};

bool WinConnectWorker::WaitFor(uint32_t ms) {
  if (!thread_->WaitFor(ms)) return false;
  // The worker's failure is shown here, on the waiting (main) thread.
  if (!thread_->Failure().empty()) platform_.ShowFailure(thread_->Failure());
  const SOCKET s = thread_->TakeSocket();
  if (s != INVALID_SOCKET) platform_.Connected(s);
  return true;
}

}  // namespace

std::unique_ptr<HttpPlatform> MakeWinHttpPlatform(HttpShell shell) {
  return std::make_unique<WinHttpPlatform>(std::move(shell));
}

}  // namespace zq
