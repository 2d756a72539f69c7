#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/memory_stream.h"
#include "http/chunked_decoder.h"
#include "http/http_address.h"
#include "http/http_request.h"
#include "http/reply_limits.h"
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

// The size line, case by case: what follows the size, its line end, its
// digits, its blanks, its length and the sum of the sizes.
TEST(ChunkedDecoder, ReadsTheSizeLineExactly) {
  const std::string ext_to_limit = "1;" + std::string(4096 - 2, 'e');  // the line limit, CR LF not counted
  const std::string trailer = "X: " + std::string(4093 - 3, 't') + "\r\n";  // 4095 bytes with its CR LF
  struct Case {
    const char* name;
    std::string wire;
    const char* failure;  // nullptr: decodes to body
    std::string body;
  } const cases[] = {
      {"an extension after ;", "3;a=b\r\nabc\r\n0\r\n\r\n", nullptr, "abc"},
      {"blanks before ;", "3 \t;a\r\nabc\r\n0\r\n\r\n", nullptr, "abc"},
      {"a letter after the size", "3x\r\nabc\r\n0\r\n\r\n", kMalformedChunks, ""},
      {"a comma after the size", "3,a\r\nabc\r\n0\r\n\r\n", kMalformedChunks, ""},
      {"a word after a blank", "3 a\r\nabc\r\n0\r\n\r\n", kMalformedChunks, ""},
      {"a bare LF after a multi-digit size", "1A\n" + std::string(26, 'z') + "\r\n0\r\n\r\n", kMalformedChunks,
       ""},
      {"a bare LF after the last chunk", "1\r\nz\r\n0\n\r\n", kMalformedChunks, ""},
      {"lower-case hex", "a\r\n0123456789\r\n1f\r\n" + std::string(31, 'q') + "\r\n0\r\n\r\n", nullptr,
       "0123456789" + std::string(31, 'q')},
      {"a leading blank", " 3\r\nabc\r\n0\r\n\r\n", nullptr, "abc"},
      {"a size line of exactly the limit", ext_to_limit + "\r\nz\r\n0\r\n\r\n", nullptr, "z"},
      {"a size line one byte over", ext_to_limit + "e\r\nz\r\n0\r\n\r\n", kMalformedChunks, ""},
      {"trailers of exactly their limit", "1\r\nz\r\n0\r\n" + trailer + trailer + "\r\n", nullptr, "z"},
      {"trailers one byte over", "1\r\nz\r\n0\r\n" + trailer + "t" + trailer + "\r\n", kMalformedChunks, ""},
  };
  for (const Case& c : cases) {
    for (size_t piece : {1u, 5000u}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      if (c.failure) {
        try {
          Decode(c.wire, piece);
          ADD_FAILURE() << "decoded";
        } catch (const Error& e) {
          EXPECT_STREQ(e.what(), c.failure);
        }
      } else {
        bool done = false;
        EXPECT_EQ(Decode(c.wire, piece, &done), c.body);
        EXPECT_TRUE(done);
      }
    }
  }
}

// The sizes may add up to the cap exactly, and not one byte more; the check
// comes with the size line, before any byte of that chunk.
TEST(ChunkedDecoder, TheSumOfTheSizesMayReachTheCapExactly) {
  struct Case {
    const char* wire;
    bool accepted;
  } const cases[] = {
      {"1F400000\r\n", true},
      {"A\r\n0123456789\r\n1F3FFFF6\r\n", true},
      {"A\r\n0123456789\r\n1F3FFFF7\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wire);
    if (c.accepted) {
      EXPECT_NO_THROW(Decode(c.wire, 100));
    } else {
      try {
        Decode(c.wire, 100);
        ADD_FAILURE() << "accepted";
      } catch (const Error& e) {
        EXPECT_STREQ(e.what(), kBodyTooLarge);
      }
    }
  }
}

}  // namespace
}  // namespace zq
