#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/memory_stream.h"
#include "http/chunked_decoder.h"
#include "http/http_address.h"
#include "http/http_request.h"
#include "http/transfer_check.h"

namespace zq {
namespace {

TEST(HttpAddress, ParsesServerAndProxyParts) {
  struct Case {
    const char* address;
    const char* host;
    int32_t port;
    const char* proxy;
    int32_t proxy_port;
  } const cases[] = {
      {"srv01", "srv01", 80, "", 0},
      {"srv01:81", "srv01", 81, "", 0},
      {"srv01:abc", "srv01:abc", 80, "", 0},
      {"srv01:", "srv01:", 80, "", 0},
      {"", "", 0, "", 0},
      {"srv01#gate:3128", "srv01", 80, "gate", 3128},
      {"srv01:81#gate", "srv01", 81, "gate", 8080},
      {"srv01#", "srv01", 80, "", 0},
      {"#gate:1", "", 0, "gate", 1},
      {"srv01#gate:x", "srv01", 80, "gate:x", 8080},
      {"a:1:2", "a:1:2", 80, "", 0},
      {"srv01#gate#2:5", "srv01", 80, "gate#2", 5},
      {"127.0.0.1:$50", "127.0.0.1", 80, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const HttpAddress a = ParseAddress(c.address);
    EXPECT_EQ(a.host, c.host);
    EXPECT_EQ(a.port, c.port);
    EXPECT_EQ(a.proxy_host, c.proxy);
    EXPECT_EQ(a.proxy_port, c.proxy_port);
  }
}

TEST(HttpAddress, ProxyPartIsCutAt999Characters) {
  const HttpAddress a = ParseAddress("s#" + std::string(1200, 'p'));
  EXPECT_EQ(a.proxy_host, std::string(999, 'p'));
}

TEST(HttpRequest, IsTheAbsoluteTargetAndOneHostHeaderWithoutPort) {
  EXPECT_EQ(BuildRequest("srv01", "/scripts/zq.dll/stptc"),
            "GET http://srv01/scripts/zq.dll/stptc HTTP/1.1\r\nHost: srv01\r\n\r\n");
  // A quoted address may carry line breaks: they must not add headers.
  EXPECT_EQ(BuildRequest("srv01\r\nX-Mais: 1 \t\x7F", "/a"),
            "GET http://srv01X-Mais:1/a HTTP/1.1\r\nHost: srv01X-Mais:1\r\n\r\n");
}

TEST(HttpRequest, PercentEncodesOnlyWhatCannotStandInATarget) {
  struct Case {
    std::string path;
    const char* encoded;
  } const cases[] = {
      {"/BinZQ/Deskzq.cab", "/BinZQ/Deskzq.cab"},
      {"/a b", "/a%20b"},
      {"/a\r\nHost: x", "/a%0D%0AHost:%20x"},
      {"/100%", "/100%25"},
      {"/a#b?c", "/a%23b%3Fc"},
      {"/a\x7F", "/a%7F"},
      {"/ação", "/a%E7%E3o"},
      {"/~!$&'()*+,;=:@-._", "/~!$&'()*+,;=:@-._"},
      {std::string("/\0x", 3), "/%00x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoded);
    EXPECT_EQ(EncodeRequestPath(c.path), c.encoded);
  }
}

TEST(TransferCheck, FollowsTheCheckRule) {
  struct Case {
    int32_t r;
    int32_t expected;
    const char* message;  // nullptr: passes
  } const cases[] = {
      {-1, -1, "Não foi possível acessar o servidor (tempo excedido)"},
      {0, -1, "Não foi possível acessar o servidor Nenhum dado recebido (tdsSend)"},
      {5, 6, "Não foi possível acessar o servidor (acesso incompleto)"},
      {5, 5, nullptr},
      {7, -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r);
    if (c.message) {
      try {
        CheckTransfer(c.r, c.expected, "tdsSend");
        ADD_FAILURE() << "passed";
      } catch (const Error& e) {
        EXPECT_STREQ(e.what(), c.message);
      }
    } else {
      EXPECT_NO_THROW(CheckTransfer(c.r, c.expected, "tdsSend"));
    }
  }
}

std::string Decode(const std::string& wire, size_t piece, bool* done = nullptr, size_t* surplus = nullptr) {
  ChunkedDecoder d;
  MemoryStream out;
  size_t left = 0;
  for (size_t i = 0; i < wire.size(); i += piece) {
    const size_t n = std::min(piece, wire.size() - i);
    const ChunkedDecoder::Result r = d.Feed(reinterpret_cast<const uint8_t*>(wire.data()) + i, n, out);
    left += n - r.consumed;
  }
  if (done) *done = d.Done();
  if (surplus) *surplus = left;
  return out.Text();
}

TEST(ChunkedDecoder, DecodesWhateverTheBlockBoundaries) {
  const std::string wire = "5;ext=1\r\nhello\r\nA \r\n0123456789\r\n0\r\nX-Trailer: 1\r\n\r\n";
  for (size_t piece : {1u, 2u, 3u, 7u, 100u}) {
    SCOPED_TRACE(piece);
    bool done = false;
    size_t surplus = 1;
    EXPECT_EQ(Decode(wire, piece, &done, &surplus), "hello0123456789");
    EXPECT_TRUE(done);
    EXPECT_EQ(surplus, 0u);
  }
}

TEST(ChunkedDecoder, StopsAtTheLastChunkAndLeavesTheRest) {
  bool done = false;
  size_t surplus = 0;
  EXPECT_EQ(Decode("2\r\nab\r\n0\r\n\r\nEXTRA", 100, &done, &surplus), "ab");
  EXPECT_TRUE(done);
  EXPECT_EQ(surplus, 5u);
  EXPECT_EQ(Decode("2\r\nab\r\n", 100, &done), "ab");
  EXPECT_FALSE(done);
}

TEST(ChunkedDecoder, RejectsMalformedChunks) {
  for (const char* wire : {"\r\n", "zz\r\n", "2\r\nabc\r\n", "2\nab", "-1\r\n", "7FFFFFFFFFFFFFFFF\r\n",
                           "1F400001\r\n"}) {
    SCOPED_TRACE(wire);
    EXPECT_THROW(Decode(wire, 100), Error);
  }
}

}  // namespace
}  // namespace zq
