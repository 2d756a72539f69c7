// The client against real sockets under Wine: a scripted loopback server of
// the test's own for exact bytes, delays and closes.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// after winsock2.h
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"

namespace zq {
namespace {

using Clock = std::chrono::steady_clock;

struct Action {
  enum Kind { kSend, kSendUrgent, kSleep, kClose, kReset, kTrickle } kind;
  std::string data;
  int ms = 0;
};
Action Send(std::string d) { return {Action::kSend, std::move(d), 0}; }
// One byte as urgent (out-of-band) data.
Action SendUrgent() { return {Action::kSendUrgent, "!", 0}; }
Action Sleep(int ms) { return {Action::kSleep, {}, ms}; }
Action CloseIt() { return {Action::kClose, {}, 0}; }
// Closes with SO_LINGER 0: the client sees a reset, not an orderly close.
Action ResetIt() { return {Action::kReset, {}, 0}; }
// One byte every ms.
Action Trickle(std::string d, int ms) { return {Action::kTrickle, std::move(d), ms}; }
using Exchange = std::vector<Action>;  // the answer to one request

// Accepts connections one at a time on 127.0.0.1 and answers the requests
// in order with the scripted exchanges.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<Exchange> script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener_, 4);
    int len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    closesocket(listener_);
    thread_.join();
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  int Connections() const { return connections_; }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    size_t next = 0;
    while (!stop_) {
      const SOCKET c = accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      ++connections_;
      bool open = true;
      while (open && next < script_.size()) {
        std::string request;
        char b[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
          const int n = recv(c, b, sizeof b, 0);
          if (n <= 0) {
            open = false;
            break;
          }
          request.append(b, static_cast<size_t>(n));
        }
        if (!open) break;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          requests_.push_back(request);
        }
        bool reset = false;
        for (const Action& a : script_[next]) {
          if (a.kind == Action::kSend) send(c, a.data.data(), static_cast<int>(a.data.size()), 0);
          if (a.kind == Action::kSendUrgent) send(c, a.data.data(), 1, MSG_OOB);
          if (a.kind == Action::kSleep) std::this_thread::sleep_for(std::chrono::milliseconds(a.ms));
          if (a.kind == Action::kClose) open = false;
          if (a.kind == Action::kReset) open = false, reset = true;
          if (a.kind == Action::kTrickle) {
            for (char ch : a.data) {
              if (stop_ || send(c, &ch, 1, 0) != 1) break;
              std::this_thread::sleep_for(std::chrono::milliseconds(a.ms));
            }
          }
        }
        if (reset) {
          const linger hard{1, 0};
          setsockopt(c, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        }
        ++next;
      }
      if (open) {  // the client's own close ends the connection
        char b[256];
        while (!stop_ && recv(c, b, sizeof b, 0) > 0) {
        }
      }
      closesocket(c);
    }
  }

  std::vector<Exchange> script_;
  SOCKET listener_;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

// Watches for the failure box captioned "Erro", reads its text and answers OK.
class ErrorBoxWatcher {
 public:
  ErrorBoxWatcher() {
    thread_ = std::thread([this] {
      while (!stop_) {
        HWND box = FindWindowA(nullptr, "Erro");
        DWORD owner = 0;
        if (box) GetWindowThreadProcessId(box, &owner);
        if (box && owner == GetCurrentProcessId()) {  // other test programs share the desktop
          // The box's static text, once the box has filled it in.
          char text[512] = {};
          for (int i = 0; i < 40 && !GetDlgItemTextA(box, 0xFFFF, text, sizeof text); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
          }
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  }
  ~ErrorBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
};

struct Progress {
  std::vector<int32_t> calls;
  static void Callback(void* ctx, int32_t n) { static_cast<Progress*>(ctx)->calls.push_back(n); }
  int Ticks() const { return static_cast<int>(std::count(calls.begin(), calls.end(), -999)); }
};

std::unique_ptr<TsHTTP> MakeClient(const std::string& address, Progress* progress = nullptr) {
  auto http = std::make_unique<TsHTTP>(address, MakeWinHttpPlatform(AppHttpShell()));
  http->ShowHourglass = false;
  if (progress) http->OnProgress.Set(&Progress::Callback, progress);
  return http;
}

std::string Failure(TsHTTP& http, const std::string& path = "/x", uint32_t time_limit = 0) {
  try {
    http.Get(path, time_limit);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no failure)";
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
std::string Reply(const std::string& body) {
  return kOk + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
std::string Frame(uint32_t marker, const std::string& payload) {
  std::string b;
  const auto l = static_cast<uint32_t>(payload.size());
  for (uint32_t v : {marker, l})
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  return b + payload;
}

TEST(HttpClientWin, DefaultClientExistsForTheDefaultHost) {
  ASSERT_TRUE(DefaultClient);
  EXPECT_EQ(DefaultClient->Host, "zqserver");
  EXPECT_EQ(DefaultClient->Port, 80);
  EXPECT_EQ(DefaultClient->ReuseWindow, 600000);
  EXPECT_TRUE(DefaultClient->ShowHourglass);
}

TEST(HttpClientWin, SendsExactBytesAndReusesTheConnection) {
  ScriptedServer server({{Send(Reply("manifest"))}, {Send(Reply("cab"))}});
  Progress progress;
  auto http = MakeClient(server.Address(), &progress);
  EXPECT_EQ(http->Get("/scripts/zq.dll/stptc").Text(), "manifest");
  EXPECT_EQ(http->Get("/BinZQ/a b.cab").Text(), "cab");
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_EQ(server.Requests(),
            (std::vector<std::string>{"GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                                      "GET http://127.0.0.1/BinZQ/a%20b.cab HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"}));
  EXPECT_EQ(progress.calls, (std::vector<int32_t>{8, 3}));
}

TEST(HttpClientWin, AnIdleConnectionClosedByTheServerIsReplaced) {
  ScriptedServer server({{Send(Reply("one")), Sleep(100), CloseIt()}, {Send(Reply("two"))}});
  auto http = MakeClient(server.Address());
  EXPECT_EQ(http->Get("/a").Text(), "one");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(http->Get("/b").Text(), "two");
  EXPECT_EQ(server.Connections(), 2);
}

TEST(HttpClientWin, BodiesInManyBlocksChunkedAndUntilClose) {
  std::string big(300000, 'z');
  for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>('a' + i % 26);
  ScriptedServer server({
      {Send(kOk + "Content-Length: " + std::to_string(big.size()) + "\r\n\r\n"), Sleep(50), Send(big)},
      {Send(kOk + "Transfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n"), Sleep(50), Send("5\r\npedia\r\n0\r\n\r\n")},
      {Send(kOk + "\r\nuntil"), Sleep(50), Send(" close"), CloseIt()},
  });
  auto http = MakeClient(server.Address());
  EXPECT_EQ(http->Get("/big").Text(), big);
  EXPECT_EQ(http->Get("/chunked").Text(), "Wikipedia");
  EXPECT_EQ(http->Get("/close").Text(), "until close");
  EXPECT_EQ(server.Connections(), 1);
}

TEST(HttpClientWin, RepliesOfEveryStatus) {
  struct Case {
    const char* name;
    Exchange exchange;
    const char* body;     // null: fails with message
    const char* message;
  };
  const std::string frame = Frame(0x40BA0C50, "framed");
  const Case cases[] = {
      {"404", {Send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")}, nullptr,
       "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)"},
      {"500 with line end", {Send("HTTP/1.1 500 Internal Server Error\r\n\r\n")}, nullptr,
       "HTTP/1.1 500 Internal Server Error"},
      {"500 without line end", {Send("HTTP/1.1 500")}, nullptr, "Não foi possível acessar o servidor (HTTP/1.1 500)"},
      {"100 then 200", {Send("HTTP/1.1 100 Continue\r\n\r\n"), Sleep(100), Send(Reply("after100"))}, "after100",
       nullptr},
      {"two 100s", {Send("HTTP/1.1 100 Continue\r\n\r\n"), Sleep(100), Send("HTTP/1.1 100 Continue\r\n\r\n")},
       nullptr, "Não foi possível acessar o servidor (100)"},
      {"error frame", {Send(Frame(0x474A35D7, "Falha do servidor"))}, nullptr, "Falha do servidor"},
      {"frame after headers", {Send("HTTP/1.1 200 OK\r\nServer: x\r\n\r\n" + frame)}, "framed", nullptr},
      {"frame without header", {Send(frame.substr(0, 10)), Sleep(100), Send(frame.substr(10))}, "framed", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({c.exchange});
    auto http = MakeClient(server.Address());
    if (c.body)
      EXPECT_EQ(http->Get("/x").Text(), c.body);
    else
      EXPECT_EQ(Failure(*http), c.message);
  }
}

TEST(HttpClientWin, ASlowServerYieldsWaitingTicks) {
  ScriptedServer server({{Sleep(1100), Send(Reply("late"))}});
  Progress progress;
  auto http = MakeClient(server.Address(), &progress);
  EXPECT_EQ(http->Get("/slow").Text(), "late");
  EXPECT_GE(progress.Ticks(), 4);
  EXPECT_LE(progress.Ticks(), 6);
  EXPECT_EQ(progress.calls.back(), 4);
}

TEST(HttpClientWin, ATimedOutReadIsCancelledAndTheNextRequestIsClean) {
  // The late reply of the first request lands on a connection the client
  // has given up; the second request must see only its own reply.
  ScriptedServer server({{Sleep(1500), Send(Reply("stale")), Sleep(500), CloseIt()}, {Send(Reply("fresh"))}});
  Progress progress;
  auto http = MakeClient(server.Address(), &progress);
  http->SocketTimeout = 600;
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http), "Não foi possível acessar o servidor (tempo excedido)");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(ms, 550);
  EXPECT_LT(ms, 1400);
  EXPECT_EQ(progress.Ticks(), 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(http->Get("/y").Text(), "fresh");
}

TEST(HttpClientWin, AnExceptionOfTheProgressHandlerAbandonsTheRead) {
  ScriptedServer server({{Sleep(800), Send(Reply("late")), CloseIt()}, {Send(Reply("next"))}});
  auto http = MakeClient(server.Address());
  http->OnProgress.Set([](void*, int32_t n) { if (n == -999) throw Error("Cancelado pelo usuário"); }, nullptr);
  EXPECT_EQ(Failure(*http), "Cancelado pelo usuário");
  http->OnProgress.Clear();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(http->Get("/y").Text(), "next");
  EXPECT_EQ(server.Connections(), 2);
}

// Whether a recv on a non-blocking socket, once select finds it readable,
// reports a connection reset by its peer as WSAECONNRESET. Windows does;
// Wine 8 gives 0, a clean close, so there no program can tell them apart.
bool SystemReportsResets() {
  ScriptedServer server({{ResetIt()}});
  const std::string address = server.Address();
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<u_short>(std::stoi(address.substr(address.find(':') + 1))));
  bool reported = false;
  const char request[] = "GET / HTTP/1.1\r\n\r\n";
  if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      send(s, request, sizeof request - 1, 0) == static_cast<int>(sizeof request - 1)) {
    u_long non_blocking = 1;
    ioctlsocket(s, FIONBIO, &non_blocking);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait{2, 0};
    char byte = 0;
    reported = select(0, &readable, nullptr, nullptr, &wait) == 1 && recv(s, &byte, 1, 0) == SOCKET_ERROR &&
               WSAGetLastError() == WSAECONNRESET;
  }
  closesocket(s);
  return reported;
}

// A reset is no end: a manifest without a length, cut by a reset right
// after a whole line, must not pass for the whole manifest.
TEST(HttpClientWin, AResetFailsTheRequest) {
  if (!SystemReportsResets()) GTEST_SKIP() << "this system reads a reset connection as a clean close";
  struct Case {
    const char* name;
    Exchange exchange;
    std::string failure_start;
  } const cases[] = {
      {"after a whole manifest line", {Send(kOk + "\r\na.txt=1;5\r\n"), Sleep(300), ResetIt()},
       "Não foi possível acessar o servidor (acesso incompleto)"},
      {"inside a length body", {Send(kOk + "Content-Length: 100\r\n\r\nabc"), Sleep(300), ResetIt()},
       "Não foi possível acessar o servidor (acesso incompleto)"},
      {"before the first byte", {ResetIt()},
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({c.exchange});
    auto http = MakeClient(server.Address());
    const std::string failure = Failure(*http, "/scripts/zq.dll/stptc");
    EXPECT_EQ(failure.substr(0, c.failure_start.size()), c.failure_start) << failure;
  }
}

TEST(HttpClientWin, APeerThatIsNoHttpServerFailsAtOnce) {
  ScriptedServer server({{Send("SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n"), Sleep(3000)}});
  auto http = MakeClient(server.Address());
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http), "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_LT(ms, 1500);
}

TEST(HttpClientWin, ATimeLimitEndsATrickle) {
  ScriptedServer server({{Trickle(kOk + "Content-Length: 100\r\n\r\n" + std::string(100, 'x'), 50)}});
  auto http = MakeClient(server.Address());
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http, "/scripts/zq.dll/stptc", 1500), "Não foi possível acessar o servidor (tempo excedido)");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(ms, 1400);
  EXPECT_LT(ms, 3000);
}

// A pending urgent byte must neither spin the wait nor stop its ticks and
// its timeout.
TEST(HttpClientWin, AnUrgentByteDoesNotHoldTheRead) {
  ScriptedServer server({{Send(kOk + "\r\nbody"), Sleep(100), SendUrgent(), Sleep(3000)}});
  Progress progress;
  auto http = MakeClient(server.Address(), &progress);
  http->SocketTimeout = 600;
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http), "Não foi possível acessar o servidor (tempo excedido)");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_LT(ms, 2000);
  EXPECT_GE(progress.Ticks(), 2);
}

// A peer that takes the connection but never reads: the request fills the
// buffers, and a write that cannot complete in time fails as timed out,
// also when part of it went.
TEST(HttpClientWin, AWriteThatTimesOutFailsAsTimedOut) {
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(listener, 4);  // the connection waits in the backlog, unread
  int len = sizeof a;
  getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  auto http = MakeClient("127.0.0.1:" + std::to_string(ntohs(a.sin_port)));
  http->SocketTimeout = 1000;
  EXPECT_EQ(Failure(*http, "/" + std::string(32 << 20, 'p')), "Não foi possível acessar o servidor (tempo excedido)");
  closesocket(listener);
}

int ThreadsOfThisProcess() {
  const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  int n = 0;
  for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
    if (e.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

TEST(HttpClientWin, ARefusedConnectionShowsTheErrorBoxThenFails) {
  // A port that was bound and released refuses connections.
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  ErrorBoxWatcher watcher;
  auto http = MakeClient("127.0.0.1:" + std::to_string(ntohs(a.sin_port)));
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http), "Não foi possível acessar o servidor");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  const std::vector<std::string> texts = watcher.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Windows socket error: "), std::string::npos) << texts[0];
  EXPECT_NE(texts[0].find("(10061), on API 'connect'"), std::string::npos) << texts[0];
  EXPECT_LT(ms, 4000);
}

TEST(HttpClientWin, AListenerThatNeverAcceptsFailsAfterBothBoundedWaits) {
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(listener, 0);
  int len = sizeof a;
  getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  const SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);  // fills the backlog
  ASSERT_EQ(connect(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ErrorBoxWatcher watcher;
  auto http = MakeClient("127.0.0.1:" + std::to_string(ntohs(a.sin_port)));
  const int threads_before = ThreadsOfThisProcess();
  const auto start = Clock::now();
  EXPECT_EQ(Failure(*http), "Não foi possível acessar o servidor");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  std::printf("never-accepting listener: failed after %lld ms\n", static_cast<long long>(ms));
  EXPECT_GE(ms, 7000);
  EXPECT_LT(ms, 9000);
  EXPECT_TRUE(watcher.Texts().empty());
  // The two abandoned workers end by themselves, soon.
  int threads = ThreadsOfThisProcess();
  for (int i = 0; i < 20 && threads > threads_before; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    threads = ThreadsOfThisProcess();
  }
  EXPECT_EQ(threads, threads_before);
  closesocket(holder);
  closesocket(listener);
}

}  // namespace
}  // namespace zq
