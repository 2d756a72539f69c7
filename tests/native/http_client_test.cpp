// The client over a scripted stream and a fake platform: the reply reader's
// cases as a table, then the connection rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "http/http_client.h"
#include "http/reply_reader.h"
#include "tests/doubles/scripted_stream.h"

namespace zq {
namespace {

using Bytes = std::string;

using test::Close;
using test::Connection;
using test::Data;
using test::Reset;
using test::ScriptedStream;
using test::SocketError;
using test::Step;
using test::Timeout;
using test::Trickle;

// A read past a test's script is a fault of the client.
void FailPastTheScript(Connection& c) {
  c.past_end = [] { ADD_FAILURE() << "read past the script"; };
}

// What the platform saw, kept beyond the client's life.
struct PlatformLog {
  std::deque<Connection> connections;  // handed out one per successful open
  enum Outcome { kConnects, kRefused, kHangs };
  std::deque<Outcome> outcomes;  // per connect attempt; empty: connects
  uint32_t tick = 1000;
  bool pending_input = false;
  bool close_fails = false;
  bool active = false;
  int attempts = 0;
  int abandoned = 0;
  int opens = 0;
  int closes = 0;
  std::vector<int> waits_per_attempt;
  std::string target;
  int pumps = 0;
  int hourglass = 0;  // +1 shown, -1 restored
  std::vector<int> pumps_at_write;
};

class FakeWorker : public ConnectWorker {
 public:
  FakeWorker(PlatformLog& log, PlatformLog::Outcome o) : log_(log), outcome_(o) {}
  bool WaitFor(uint32_t ms) override {
    EXPECT_EQ(ms, 400u);
    ++log_.waits_per_attempt.back();
    if (outcome_ == PlatformLog::kHangs) return false;
    if (outcome_ == PlatformLog::kConnects) log_.active = true;
    return true;
  }
  void Abandon() override { ++log_.abandoned; }

 private:
  PlatformLog& log_;
  PlatformLog::Outcome outcome_;
};

class FakePlatform : public HttpPlatform {
 public:
  explicit FakePlatform(PlatformLog& log) : log_(log) {}
  void SetTarget(const std::string& host, int32_t port) override { log_.target = host + ":" + std::to_string(port); }
  bool Active() const override { return log_.active; }
  void Close() override {
    ++log_.closes;
    log_.active = false;
    if (log_.close_fails) throw ESocketError("close refused");
  }
  std::unique_ptr<ConnectWorker> StartOpen() override {
    ++log_.attempts;
    log_.waits_per_attempt.push_back(0);
    PlatformLog::Outcome o = PlatformLog::kConnects;
    if (!log_.outcomes.empty()) {
      o = log_.outcomes.front();
      log_.outcomes.pop_front();
    }
    return std::make_unique<FakeWorker>(log_, o);
  }
  std::unique_ptr<SocketStream> CreateStream(int32_t timeout) override {
    EXPECT_FALSE(log_.connections.size() <= static_cast<size_t>(log_.opens)) << "no scripted connection left";
    if (log_.connections.size() <= static_cast<size_t>(log_.opens)) FailPastTheScript(log_.connections.emplace_back());
    Connection& c = log_.connections[static_cast<size_t>(log_.opens++)];
    c.clock = &log_.tick;
    auto s = std::make_unique<ScriptedStream>(c);
    s->Timeout = timeout;
    return s;
  }
  bool HasPendingInput() override { return log_.pending_input; }
  uint32_t TickCount() override { return log_.tick; }
  void ProcessMessages() override { ++log_.pumps; }
  void ShowHourglass() override { ++log_.hourglass; }
  void RestoreCursor() override { --log_.hourglass; }

 private:
  PlatformLog& log_;
};

struct ProgressLog {
  std::vector<int32_t> calls;
  bool throw_on_tick = false;
  static void Callback(void* ctx, int32_t n) {
    auto* self = static_cast<ProgressLog*>(ctx);
    self->calls.push_back(n);
    if (n == -999 && self->throw_on_tick) throw Error("cancelado");
  }
};

class Client {
 public:
  explicit Client(const std::string& address = "srv01") : http(address, std::make_unique<FakePlatform>(log)) {
    http.OnProgress.Set(&ProgressLog::Callback, &progress);
  }
  Connection& Script(std::vector<Step> reads) {
    Connection& c = log.connections.emplace_back();
    FailPastTheScript(c);
    c.reads.assign(reads.begin(), reads.end());
    return c;
  }
  std::string Fetch(const std::string& path = "/x", uint32_t time_limit = 0) {
    return http.Get(path, time_limit).Text();
  }
  std::string Failure(const std::string& path = "/x", uint32_t time_limit = 0) {
    try {
      http.Get(path, time_limit);
    } catch (const ESocketError& e) {
      return std::string("ESocketError: ") + e.what();
    } catch (const Error& e) {
      return e.what();
    }
    return "(no failure)";
  }

  PlatformLog log;
  ProgressLog progress;
  TsHTTP http;
};

Bytes Frame(uint32_t marker, const Bytes& payload, int32_t length = -2) {
  const uint32_t l = static_cast<uint32_t>(length == -2 ? static_cast<int32_t>(payload.size()) : length);
  Bytes b;
  for (uint32_t v : {marker, l})
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  return b + payload;
}
const Bytes kOk = "HTTP/1.1 200 OK\r\n";

struct ReplyCase {
  const char* name;
  std::vector<Step> reads;
  const char* host;
  Bytes body;                       // expected body when failure is null
  const char* failure;              // expected message
  std::vector<int32_t> progress;    // expected OnProgress calls
  bool closes_after;                // the connection is closed after a success
};

TEST(HttpReply, ReadsEveryKindOfReply) {
  const Bytes big(10000, 'b');
  const Bytes error_text(4096, 'e');
  const Bytes unexpected_default =
      "GetHttpReturnCode - unexpected ...\rlPath: /x\rBufferRec.xbuffer:\rHTTP/1.1 404 Not Found\r\n\r\n";
  const ReplyCase cases[] = {
      {"length, all in the first block", {Data(kOk + "Content-Length: 5\r\n\r\nhello")}, "srv01", "hello", nullptr,
       {5}, false},
      {"length over blocks", {Data(kOk + "Content-Length: 5\r\n\r\nhe"), Data("llo")}, "srv01", "hello", nullptr,
       {2, 3}, false},
      {"headers alone first", {Data(kOk + "Content-Length: 3\r\n\r\n"), Data("abc")}, "srv01", "abc", nullptr,
       {3}, false},
      {"length of 10000 in 8192-byte reads", {Data(kOk + "Content-Length: 10000\r\n\r\n" + big)}, "srv01", big,
       nullptr, {8192 - 42, 10000 - (8192 - 42)}, false},
      {"length zero", {Data(kOk + "Content-Length: 0\r\n\r\n")}, "srv01", "", nullptr, {}, false},
      {"header name in any case, blanks around the value",
       {Data(kOk + "content-LENGTH:   4  \r\n\r\nabcd")}, "srv01", "abcd", nullptr, {4}, false},
      {"a length in the body is no header",
       {Data(kOk + "X: 1\r\n\r\nContent-Length: 2\r\n\r\nabc"), Close()}, "srv01",
       "Content-Length: 2\r\n\r\nabc", nullptr, {24}, true},
      {"end tags in a later block stop reading",
       {Data(kOk + "\r\n<html>"), Data("<body>x</body></HTML>")}, "srv01", "<html><body>x</body></HTML>", nullptr,
       {6, 21}, false},
      {"end tags of the first block are not looked at",
       {Data(kOk + "\r\n<body></body></html>"), Data("more"), Close()}, "srv01", "<body></body></html>more",
       nullptr, {20, 4}, true},
      {"end tags in the wrong order", {Data(kOk + "\r\n"), Data("</html></body>"), Close()}, "srv01",
       "</html></body>", nullptr, {14}, true},
      {"no length: the server's close ends the body", {Data(kOk + "\r\nab"), Data("cd"), Close()}, "srv01", "abcd",
       nullptr, {2, 2}, true},
      {"no length and a silent server", {Data(kOk + "\r\nab"), Timeout()}, "srv01", "",
       "Não foi possível acessar o servidor (tempo excedido)", {2}, false},
      {"chunked", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel"), Data("lo\r\n0\r\n\r\n")}, "srv01",
       "hello", nullptr, {3, 2}, false},
      {"chunked wins over a length",
       {Data(kOk + "Content-Length: 99\r\ntransfer-encoding: Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n")}, "srv01", "abc",
       nullptr, {3}, false},
      {"chunked cut short", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel"), Close()}, "srv01", "",
       "Não foi possível acessar o servidor (acesso incompleto)", {3}, false},
      {"chunked malformed", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\nxyz\r\n")}, "srv01", "",
       "Não foi possível acessar o servidor (resposta fragmentada inválida)", {}, false},
      {"chunked with bytes behind the last chunk",
       {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n1\r\na\r\n0\r\n\r\nHTTP/1.1 200")}, "srv01", "a", nullptr,
       {1}, true},
      {"404", {Data("HTTP/1.1 404 Not Found\r\n\r\n")}, "srv01", "",
       "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)", {}, false},
      {"404 for the default host", {Data("HTTP/1.1 404 Not Found\r\n\r\n")}, "zqserver", "",
       unexpected_default.c_str(), {}, false},
      {"redirect", {Data("HTTP/1.0 302 Found\r\nLocation: /\r\n\r\n")}, "srv01", "",
       "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)", {}, false},
      {"500 with its line end", {Data("HTTP/1.1 500 Internal Server Error\r\nX: 1\r\n\r\n")}, "srv01", "",
       "HTTP/1.1 500 Internal Server Error", {}, false},
      {"500 of HTTP/1.0 with its line end", {Data("HTTP/1.0 500 Falha\r\n\r\n")}, "zqserver", "",
       "HTTP/1.0 500 Falha", {}, false},
      {"500 without line end", {Data("HTTP/1.1 500")}, "srv01", "",
       "Não foi possível acessar o servidor (HTTP/1.1 500)", {}, false},
      {"500 without line end, default host", {Data("HTTP/1.1 500 Erro")}, "zqserver", "",
       "HTTP/1.1 500 - não foi possível realizar a operação", {}, false},
      {"100 then 200", {Data("HTTP/1.1 100 Continue\r\n\r\n"), Data(kOk + "Content-Length: 2\r\n\r\nok")}, "srv01",
       "ok", nullptr, {2}, false},
      {"100 and 200 in one block, no length",
       {Data("HTTP/1.1 100 Continue\r\n\r\n" + kOk + "X: 1\r\n\r\nab"), Close()}, "srv01", "ab", nullptr, {2},
       true},
      {"two 100s", {Data("HTTP/1.1 100 Continue\r\n\r\n"), Data("HTTP/1.1 100 Continue\r\n\r\n")}, "srv01", "",
       "Não foi possível acessar o servidor (100)", {}, false},
      {"100 then nothing", {Data("HTTP/1.1 100 Continue\r\n\r\n"), Close()}, "srv01", "",
       "Não foi possível acessar o servidor Nenhum dado recebido (3)", {}, false},
      {"frame without header", {Data(Frame(0x40BA0C50, "payload"))}, "srv01", "payload", nullptr, {7}, false},
      {"frame in pieces",
       {Data(Frame(0x40BA0C50, "payload").substr(0, 5)), Data(Frame(0x40BA0C50, "payload").substr(5, 6)),
        Data("load")},
       "srv01", "payload", nullptr, {3, 4}, false},
      {"frame behind headers", {Data(kOk + "Content-Length: 99\r\n\r\n" + Frame(0x40BA0C50, "abc"))}, "srv01",
       "abc", nullptr, {3}, false},
      {"frame behind a 404 header", {Data("HTTP/1.1 404 X\r\n\r\n" + Frame(0x40BA0C50, "abc"))}, "srv01", "abc",
       nullptr, {3}, false},
      {"frame behind HTTP/1.0 is an ordinary body",
       {Data("HTTP/1.0 200 OK\r\nContent-Length: 11\r\n\r\n" + Frame(0x40BA0C50, "abc"))}, "srv01",
       Frame(0x40BA0C50, "abc"), nullptr, {11}, false},
      {"empty frame", {Data(Frame(0x40BA0C50, ""))}, "srv01", "", nullptr, {}, false},
      {"error frame", {Data(Frame(0x474A35D7, "Falha no servidor"))}, "srv01", "", "Falha no servidor", {17},
       false},
      {"error frame text ends at its zero", {Data(Frame(0x474A35D7, Bytes("ab\0cd", 5)))}, "srv01", "", "ab", {5},
       false},
      {"frame cut short", {Data(Frame(0x40BA0C50, "abc", 5)), Close()}, "srv01", "",
       "Não foi possível acessar o servidor Nenhum dado recebido (GetResponseTC)", {3}, false},
      {"frame read timed out", {Data(Frame(0x40BA0C50, "abc", 5)), Timeout()}, "srv01", "",
       "Não foi possível acessar o servidor (tempo excedido)", {3}, false},
      {"first read timed out", {Timeout()}, "srv01", "", "Não foi possível acessar o servidor (tempo excedido)",
       {}, false},
      {"first read got nothing", {Close()}, "srv01", "",
       "Não foi possível acessar o servidor Nenhum dado recebido (DoReceive)", {}, false},
      {"socket error on the first read", {SocketError("Read error 10054, reset")}, "srv01", "",
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, reset)",
       {}, false},
      {"socket error on a later read", {Data(kOk + "Content-Length: 5\r\n\r\n"), SocketError("Read error 1, x")},
       "srv01", "", "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Read error 1, x", {},
       false},
      // The sound answers to faulty replies.
      {"headers split over blocks", {Data("HTTP/1.1 200 OK\r\nConte"), Data("nt-Length: 2\r\n\r\nok")}, "srv01",
       "ok", nullptr, {2}, false},
      {"headers that never end", {Data(kOk + "X: " + Bytes(4000, 'x')), Data(Bytes(8192 - 4020, 'x'))}, "srv01", "",
       "Não foi possível acessar o servidor (cabeçalho da resposta incompleto)", {}, false},
      {"headers cut by a close", {Data(kOk + "X: 1\r\n"), Close()}, "srv01", "",
       "Não foi possível acessar o servidor (cabeçalho da resposta incompleto)", {}, false},
      {"body shorter than its length", {Data(kOk + "Content-Length: 5\r\n\r\nab"), Close()}, "srv01", "",
       "Não foi possível acessar o servidor (acesso incompleto)", {2}, false},
      {"body longer than its length, first block", {Data(kOk + "Content-Length: 2\r\n\r\nabcdef")}, "srv01", "ab",
       nullptr, {2}, true},
      {"body longer than its length, later block", {Data(kOk + "Content-Length: 3\r\n\r\na"), Data("bcdef")},
       "srv01", "abc", nullptr, {1, 2}, true},
      {"frame longer than its length", {Data(Frame(0x40BA0C50, "abc", 2))}, "srv01", "ab", nullptr, {2}, true},
      {"negative length", {Data(kOk + "Content-Length: -5\r\n\r\n")}, "srv01", "",
       "DoSocketHttpRequest - invalid ContentLength =  -5", {}, false},
      {"length above 500 MiB", {Data(kOk + "Content-Length: 524288001\r\n\r\n")}, "srv01", "",
       "DoSocketHttpRequest - too large ContentLength =  524288001", {}, false},
      {"length not a number", {Data(kOk + "Content-Length: 12a\r\n\r\n")}, "srv01", "",
       "'12a' is not a valid integer value", {}, false},
      {"negative frame length", {Data(Frame(0x40BA0C50, "abc", -1))}, "srv01", "",
       "GetResponseTC - invalid frame length = -1", {}, false},
      {"frame length above 500 MiB", {Data(Frame(0x40BA0C50, "abc", 524288001))}, "srv01", "",
       "GetResponseTC - invalid frame length = 524288001", {}, false},
      // A reset is no end: once the body began the reply is incomplete;
      // before, it fails as a socket error of the first read does.
      {"reset after a whole manifest line, no length", {Data(kOk + "\r\na.txt=1;5\r\n"), Reset()}, "srv01", "",
       "Não foi possível acessar o servidor (acesso incompleto)", {11}, false},
      {"reset inside a length body", {Data(kOk + "Content-Length: 5\r\n\r\nab"), Reset()}, "srv01", "",
       "Não foi possível acessar o servidor (acesso incompleto)", {2}, false},
      {"reset between chunks", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n2\r\nab\r\n"), Reset()}, "srv01",
       "", "Não foi possível acessar o servidor (acesso incompleto)", {2}, false},
      {"reset inside a frame", {Data(Frame(0x40BA0C50, "abc", 5)), Reset()}, "srv01", "",
       "Não foi possível acessar o servidor (acesso incompleto)", {3}, false},
      {"reset on the first read", {Reset()}, "srv01", "",
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, reset)",
       {}, false},
      {"reset inside the headers", {Data("HTTP/1.1 200 OK\r\nCont"), Reset()}, "srv01", "",
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, reset)",
       {}, false},
      {"reset inside a frame's head", {Data(Frame(0x40BA0C50, "abc").substr(0, 5)), Reset()}, "srv01", "",
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, reset)",
       {}, false},
      {"reset after a 100", {Data("HTTP/1.1 100 Continue\r\n\r\n"), Reset()}, "srv01", "",
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Read error 10054, reset)",
       {}, false},
      // Bounded memory and work.
      {"length of exactly 500 MiB is read", {Data(kOk + "Content-Length: 524288000\r\n\r\nabc"), Close()}, "srv01",
       "", "Não foi possível acessar o servidor (acesso incompleto)", {3}, false},
      {"frame length of exactly 500 MiB is read", {Data(Frame(0x40BA0C50, "abc", 524288000)), Close()}, "srv01", "",
       "Não foi possível acessar o servidor Nenhum dado recebido (GetResponseTC)", {3}, false},
      {"error frame: only its first 4096 bytes are read and shown",
       {Data(Frame(0x474A35D7, Bytes(6000, 'e'), 524288000))}, "srv01", "", error_text.c_str(), {4096},
       false},
      {"trailers without end",
       {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n1\r\na\r\n0\r\n"), Data(Bytes(4000, 'x') + "\r\n"),
        Data(Bytes(4000, 'x') + "\r\n"), Data(Bytes(4000, 'x') + "\r\n")},
       "srv01", "", "Não foi possível acessar o servidor (resposta fragmentada inválida)", {1}, false},
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Client client(c.host);
    Connection& conn = client.Script(c.reads);
    if (c.failure) {
      EXPECT_EQ(client.Failure(), c.failure);
      EXPECT_TRUE(conn.stream_freed) << "a failed exchange keeps its connection";
      EXPECT_FALSE(client.log.active);
    } else {
      EXPECT_EQ(client.Fetch(), c.body);
      EXPECT_EQ(client.http.Response.Position(), 0u);
      EXPECT_EQ(client.log.active, !c.closes_after);
      EXPECT_EQ(conn.stream_freed, c.closes_after);
    }
    std::vector<int32_t> data_calls;
    for (int32_t n : client.progress.calls)
      if (n != -999) data_calls.push_back(n);
    EXPECT_EQ(data_calls, c.progress);
    EXPECT_TRUE(conn.reads.empty() || conn.reads.front().kind == Step::kClose) << "script not read to its end";
  }
}

TEST(HttpReply, APeerThatIsNoHttpServerIsNotWaitedFor) {
  struct Case {
    const char* name;
    Bytes first;
    int reads;  // reads made before the failure
  } const cases[] = {
      {"ssh banner", "SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n", 1},
      {"smtp greeting", "220 mail.example.com ESMTP\r\n", 1},
      {"another protocol version", "HTTP/2 200\r\n", 1},
      {"a status that is no number", "HTTP/1.1 2x", 1},
      {"a marker's start that goes wrong", Bytes("\x50\x0C\x00", 3), 1},
      {"the start of a status line is read on", "HTTP/1.1 2", 2},
      {"the start of a marker is read on", Bytes("\x50\x0C", 2), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client;
    Connection& conn = client.Script({Data(c.first), Data("zz\r\n"), Timeout()});
    EXPECT_EQ(client.Failure(), "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)");
    EXPECT_EQ(conn.reads_made, c.reads);
  }
}

TEST(HttpReply, AnnouncedLengthsGetStorageOnlyAsBytesArrive) {
  struct Case {
    const char* name;
    Bytes head;
  } const cases[] = {
      {"Content-Length", kOk + "Content-Length: 524288000\r\n\r\n"},
      {"frame length", Frame(0x40BA0C50, "", 524288000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client;
    client.Script({Data(c.head + "abc"), Data(Bytes(8192, 'x')), Close()});
    client.Failure();
    EXPECT_EQ(client.http.Response.Size(), 3u + 8192u);
    EXPECT_LE(client.http.Response.Capacity(), 64u * 1024u) << "the announced length was allocated up front";
  }
  // A trusted length still gets its storage once it is reached, never more.
  Client client;
  const Bytes body(1 << 20, 'm');
  client.Script({Data(kOk + "Content-Length: 1048576\r\n\r\n" + body)});
  EXPECT_EQ(client.Fetch(), body);
  EXPECT_EQ(client.http.Response.Capacity(), body.size());
}

// The reader's cap on a body without a length, lowered for the test.
TEST(HttpReply, ABodyWithoutALengthIsCapped) {
  struct Case {
    const char* name;
    std::vector<Step> reads;
    const char* failure;  // nullptr: read whole
  } const cases[] = {
      {"until close, at the cap", {Data(kOk + "\r\n12345"), Data("67890"), Close()}, nullptr},
      {"until close, over the cap", {Data(kOk + "\r\n12345"), Data("678901")},
       "Não foi possível acessar o servidor (resposta grande demais)"},
      {"over the cap in the first block", {Data(kOk + "\r\n12345678901")},
       "Não foi possível acessar o servidor (resposta grande demais)"},
      {"chunks at the cap", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\n12345\r\n5\r\n67890\r\n0\r\n\r\n")},
       nullptr},
      {"chunks over the cap", {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\n12345\r\n6\r\n")},
       "Não foi possível acessar o servidor (resposta grande demais)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Connection conn;
    FailPastTheScript(conn);
    conn.reads.assign(c.reads.begin(), c.reads.end());
    ScriptedStream stream(conn);
    ReceiveBuffer buffer;
    MemoryStream response;
    const EventSlot<int32_t> no_progress;
    const std::string host = "srv01", path = "/x";
    ReplyReader reader(stream, buffer, response, 3600000, no_progress, host, path, RequestDeadline(), 10);
    if (c.failure) {
      try {
        reader.DoReceive();
        ADD_FAILURE() << "read whole";
      } catch (const Error& e) {
        EXPECT_STREQ(e.what(), c.failure);
      }
    } else {
      reader.DoReceive();
      EXPECT_EQ(response.Text(), "1234567890");
    }
  }
}

TEST(HttpReply, WaitingReportsTicksAndFrameReadsUseFiveSeconds) {
  Client client;
  client.http.SocketTimeout = 1000;
  Connection& conn = client.Script({Data(Frame(0x40BA0C50, "abc", 4)), Timeout()});
  EXPECT_EQ(client.Failure(), "Não foi possível acessar o servidor (tempo excedido)");
  EXPECT_EQ(conn.read_timeouts, (std::vector<int32_t>{1000, 5000}));
  EXPECT_EQ(client.progress.calls, (std::vector<int32_t>{3, -999, -999, -999, -999, -999, -999, -999, -999, -999,
                                                         -999, -999, -999, -999, -999, -999, -999, -999, -999,
                                                         -999, -999, -999, -999, -999, -999, -999}));
}

TEST(HttpReply, TicksNeedAProgressHandlerAndStopAfterTheReply) {
  Client client;
  client.http.OnProgress.Clear();
  client.http.SocketTimeout = 400;
  client.Script({Timeout()});
  EXPECT_EQ(client.Failure(), "Não foi possível acessar o servidor (tempo excedido)");
  EXPECT_TRUE(client.progress.calls.empty());
}

TEST(HttpReply, LengthSizesTheResponseOnceAndOverwritesTheLastBody) {
  Client client;
  client.Script({Data(kOk + "Content-Length: 6\r\n\r\nfirst!"), Data(kOk + "Content-Length: 2\r\n\r\nok")});
  MemoryStream& first = client.http.Get("/a");
  EXPECT_EQ(first.Text(), "first!");
  MemoryStream& second = client.http.Get("/b");
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(second.Text(), "ok");
}

TEST(HttpReply, AnExceptionOfTheProgressHandlerClosesTheConnection) {
  Client client;
  client.progress.throw_on_tick = true;
  Connection& conn = client.Script({Timeout()});
  EXPECT_EQ(client.Failure(), "cancelado");
  EXPECT_TRUE(conn.stream_freed);
  EXPECT_FALSE(client.log.active);
}

TEST(HttpSend, SendsTheRequestBytesInPiecesOf4096WithAPumpAfterEach) {
  Client client;
  Connection& conn = client.Script({Data(kOk + "Content-Length: 0\r\n\r\n")});
  const std::string prefix = "GET http://srv01";
  const std::string suffix = " HTTP/1.1\r\nHost: srv01\r\n\r\n";
  const std::string path = "/" + std::string(4097 - prefix.size() - suffix.size() - 1, 'p');
  const int pumps_before = client.log.pumps;
  client.Fetch(path);
  EXPECT_EQ(conn.written, prefix + path + suffix);
  EXPECT_EQ(conn.write_sizes, (std::vector<int32_t>{4096, 1}));
  // one at the start of Get, one per connect wait, one per piece
  EXPECT_EQ(client.log.pumps - pumps_before, 1 + 1 + 2);
  EXPECT_EQ(client.http.Path, path);
}

TEST(HttpSend, AResetAtASendFailsTheRequest) {
  Client client;
  Connection& conn = client.Script({});
  conn.write_broken = true;
  EXPECT_EQ(client.Failure(),
            "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
            "servidor.\r\r(Write error 10054, reset)");
  EXPECT_EQ(conn.reads_made, 0);
  EXPECT_TRUE(conn.stream_freed);
  EXPECT_FALSE(client.log.active);
}

TEST(HttpSend, ProxyFormNamesTheHostWithoutPortAndConnectsToTheProxy) {
  Client client("srv01:8081#127.0.0.1:3128");
  EXPECT_EQ(client.log.target, "127.0.0.1:3128");
  EXPECT_EQ(client.http.ReuseWindow, 0);
  Connection& conn = client.Script({Data(kOk + "Content-Length: 0\r\n\r\n")});
  client.Fetch("/scripts/zq.dll/stptc");
  EXPECT_EQ(conn.written, "GET http://srv01/scripts/zq.dll/stptc HTTP/1.1\r\nHost: srv01\r\n\r\n");
}

TEST(HttpSend, WriteFailuresFollowTheCheckRule) {
  struct Case {
    std::vector<int32_t> results;
    std::optional<Bytes> error;
    const char* message;
  } const cases[] = {
      {{-1}, std::nullopt, "Não foi possível acessar o servidor (tempo excedido)"},
      {{0}, std::nullopt, "Não foi possível acessar o servidor Nenhum dado recebido (tdsSend)"},
      {{3}, std::nullopt, "Não foi possível acessar o servidor (acesso incompleto)"},
      {{}, Bytes("Write error 10054, reset"),
       "A tentativa de envio de dados pela rede falhou. Mensagem da rede: Erro na comunicação com o "
       "servidor.\r\r(Write error 10054, reset)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Client client;
    Connection& conn = client.Script({});
    conn.write_results = c.results;
    conn.write_error = c.error;
    EXPECT_EQ(client.Failure(), c.message);
    EXPECT_EQ(conn.reads_made, 0);
    EXPECT_TRUE(conn.stream_freed);
    EXPECT_FALSE(client.log.active);
  }
}

// A request's time limit, on the platform's clock: every transfer's
// timeout is cut to what is left, and a trickle ends when nothing is left.
TEST(HttpDeadline, ATimeLimitBoundsTheWholeRequest) {
  const Bytes body(500, 't');
  const Bytes reply = kOk + "Content-Length: 500\r\n\r\n" + body;  // 538 reads of 100 ms: 53.8 s
  struct Case {
    const char* name;
    uint32_t limit;
    const char* failure;  // nullptr: the body arrives
  } const cases[] = {
      {"no limit: each read has SocketTimeout", 0, nullptr},
      {"a limit the trickle keeps", 60000, nullptr},
      {"a limit the trickle overruns", 50000, "Não foi possível acessar o servidor (tempo excedido)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client;
    Connection& conn = client.Script({Trickle(reply, 100)});
    const uint32_t start = client.log.tick;
    if (c.failure) {
      EXPECT_EQ(client.Failure("/x", c.limit), c.failure);
      EXPECT_EQ(conn.reads_made, 500);  // the 501st would begin at 50 s
      EXPECT_EQ(client.log.tick - start, c.limit);
    } else {
      EXPECT_EQ(client.Fetch("/x", c.limit), body);
    }
  }
}

TEST(HttpDeadline, ASilentServerIsWaitedForOnlyWhatIsLeft) {
  Client client;
  Connection& conn = client.Script({Data("HTTP/1.1 200 OK\r\n", 20000), Timeout()});
  EXPECT_EQ(client.Failure("/x", kManifestTimeLimit), "Não foi possível acessar o servidor (tempo excedido)");
  EXPECT_EQ(kManifestTimeLimit, 60000u);
  EXPECT_EQ(conn.write_timeouts, (std::vector<int32_t>{60000}));
  EXPECT_EQ(conn.read_timeouts, (std::vector<int32_t>{60000, 40000}));
  // The next request has no limit unless it names one.
  Client later;
  Connection& next = later.Script({Data(kOk + "Content-Length: 0\r\n\r\n")});
  later.Fetch();
  EXPECT_EQ(next.read_timeouts, (std::vector<int32_t>{3600000}));
}

TEST(HttpConnection, ReuseFollowsTheWindowAndTheProbe) {
  struct Case {
    const char* name;
    uint32_t elapsed;
    bool pending_input;
    bool reused;
  } const cases[] = {
      {"at once", 0, false, true},
      {"at the window's end", 600000, false, true},
      {"after the window", 600001, false, false},
      {"idle connection closed by the server", 10, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client;
    client.log.tick = 0xFFFFFF00u;  // the difference is taken across the wrap
    client.Script({Data(kOk + "Content-Length: 1\r\n\r\na"), Data(kOk + "Content-Length: 1\r\n\r\nb")});
    client.Script({Data(kOk + "Content-Length: 1\r\n\r\nc")});
    client.Fetch();
    client.log.tick += c.elapsed;
    client.log.pending_input = c.pending_input;
    EXPECT_EQ(client.Fetch(), c.reused ? "b" : "c");
    EXPECT_EQ(client.log.attempts, c.reused ? 1 : 2);
    EXPECT_EQ(client.log.closes, c.reused ? 0 : 1);
    EXPECT_EQ(client.log.connections[0].stream_freed, !c.reused);
    EXPECT_EQ(client.http.LastRequestTick, client.log.tick);
  }
}

TEST(HttpConnection, ThroughAProxyOnlyTheSameTickReuses) {
  Client client("srv01#gate");
  const Bytes empty = kOk + "Content-Length: 0\r\n\r\n";
  client.Script({Data(empty), Data(empty)});
  client.Script({Data(empty)});
  client.Fetch();
  client.Fetch();
  EXPECT_EQ(client.log.attempts, 1);
  client.log.tick += 1;
  client.Fetch();
  EXPECT_EQ(client.log.attempts, 2);
}

TEST(HttpConnection, BoundedWaitsGiveUpAfter5And13Waits) {
  Client client;
  client.log.outcomes = {PlatformLog::kHangs, PlatformLog::kHangs};
  EXPECT_EQ(client.Failure(), "Não foi possível acessar o servidor");
  EXPECT_EQ(client.log.waits_per_attempt, (std::vector<int>{5, 13}));
  EXPECT_EQ(client.log.abandoned, 2);
  EXPECT_EQ(client.log.hourglass, 0);
}

TEST(HttpConnection, SecondAttemptFollowsAnOverrunFirst) {
  Client client;
  client.log.outcomes = {PlatformLog::kHangs, PlatformLog::kConnects};
  client.Script({Data(kOk + "Content-Length: 2\r\n\r\nok")});
  EXPECT_EQ(client.Fetch(), "ok");
  EXPECT_EQ(client.log.waits_per_attempt, (std::vector<int>{5, 1}));
  EXPECT_EQ(client.log.abandoned, 1);
}

TEST(HttpConnection, AWorkerThatEndsUnconnectedIsNotRetried) {
  Client client;
  client.log.outcomes = {PlatformLog::kRefused};
  EXPECT_EQ(client.Failure(), "Não foi possível acessar o servidor");
  EXPECT_EQ(client.log.attempts, 1);
  EXPECT_EQ(client.log.abandoned, 0);
}

TEST(HttpConnection, AFailedCloseOfTheOldConnectionIsReported) {
  Client client;
  client.Script({Data(kOk + "Content-Length: 0\r\n\r\n")});
  client.Fetch();
  client.log.pending_input = true;
  client.log.close_fails = true;
  EXPECT_EQ(client.Failure(),
            "A tentativa de encerramento da comunicação falhou. Mensagem da rede: close refused");
}

TEST(HttpClient, HourglassIsRestoredAfterAFailureAndUntouchedWhenSwitchedOff) {
  struct HourglassSpy : FakePlatform {
    using FakePlatform::FakePlatform;
    void ShowHourglass() override { events += "show "; }
    void RestoreCursor() override { events += "restore "; }
    void ProcessMessages() override { events += "pump "; }
    std::string events;
  };
  PlatformLog log;
  log.outcomes = {PlatformLog::kRefused, PlatformLog::kRefused};
  auto platform = std::make_unique<HourglassSpy>(log);
  HourglassSpy& spy = *platform;
  TsHTTP http("srv01", std::move(platform));
  EXPECT_THROW(http.Get("/x"), Error);
  EXPECT_EQ(spy.events, "show pump pump restore ");
  spy.events.clear();
  http.ShowHourglass = false;
  EXPECT_THROW(http.Get("/x"), Error);
  EXPECT_EQ(spy.events, "pump pump ");
}

// A request with an expected length: a reply announcing another one fails
// before its body is read, one without an announced length once it grows
// past; the connection is then closed.
TEST(HttpReply, AnExpectedLengthIsCheckedAsSoonAsTheReplyKnowsItsLength) {
  const Bytes rest = "the body the reader must not ask for";
  struct Case {
    const char* name;
    std::vector<Step> reads;
    int64_t length;     // expected failure's length; -1: the reply is taken
    bool announced;
    int reads_made;     // reads of the reply
  } const cases[] = {
      {"Content-Length as expected", {Data(kOk + "Content-Length: 5\r\n\r\n"), Data("abcde")}, -1, false, 2},
      {"Content-Length differs", {Data(kOk + "Content-Length: 6\r\n\r\n"), Data(rest)}, 6, true, 1},
      {"Content-Length shorter", {Data(kOk + "Content-Length: 4\r\n\r\n"), Data(rest)}, 4, true, 1},
      {"frame length differs", {Data(Frame(kDataMarker, "abcdef")), Data(rest)}, 6, true, 1},
      {"chunks grow past it",
       {Data(kOk + "Transfer-Encoding: chunked\r\n\r\n"), Data("5\r\nabcde\r\n"), Data("3\r\nxyz\r\n"), Data(rest)},
       8, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Client client;
    Connection& conn = client.Script(c.reads);
    if (c.length < 0) {
      EXPECT_EQ(client.http.GetExactly("/x", 5).Text(), "abcde");
    } else {
      try {
        client.http.GetExactly("/x", 5);
        ADD_FAILURE() << "no failure";
      } catch (const EUnexpectedLength& e) {
        EXPECT_EQ(e.Length, c.length);
        EXPECT_EQ(e.Announced, c.announced);
      }
      EXPECT_TRUE(conn.stream_freed);
    }
    EXPECT_EQ(conn.reads_made, c.reads_made);
  }
  // Without an expected length the same reply is taken.
  Client client;
  client.Script({Data(kOk + "Content-Length: 6\r\n\r\nabcdef")});
  EXPECT_EQ(client.Fetch(), "abcdef");
}

}  // namespace
}  // namespace zq
