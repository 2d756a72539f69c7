// The client against real servers under Wine: nginx as the origin on
// 127.0.0.23:80 and squid as a proxy on 127.0.0.23:3128 (started by the
// http_servers fixture).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"

namespace zq {
namespace {

const std::string kDir = ZQ_HTTP_SERVERS_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// nginx's log of requests: connection|request line|Host|Via.
std::vector<std::string> RequestLog() {
  std::vector<std::string> lines;
  std::istringstream s(ReadFile(kDir + "/nginx/logs/requests.log"));
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

std::unique_ptr<TsHTTP> MakeClient(const std::string& address) {
  auto http = std::make_unique<TsHTTP>(address, MakeWinHttpPlatform(AppHttpShell()));
  http->ShowHourglass = false;
  return http;
}

struct Blocks {
  int64_t bytes = 0;
  int calls = 0;
  static void Callback(void* ctx, int32_t n) {
    auto* self = static_cast<Blocks*>(ctx);
    if (n == -999) return;
    self->bytes += n;
    ++self->calls;
  }
};

TEST(HttpServersWin, NginxDirect) {
  auto http = MakeClient("127.0.0.23");
  Blocks blocks;
  http->OnProgress.Set(&Blocks::Callback, &blocks);
  const size_t before = RequestLog().size();
  EXPECT_EQ(http->Get("/scripts/zq.dll/stptc").Text(), ReadFile(kDir + "/www/scripts/zq.dll/stptc"));
  const std::string cab = http->Get("/BinZQ/big.cab").Text();
  EXPECT_EQ(cab, ReadFile(kDir + "/www/BinZQ/big.cab"));
  EXPECT_EQ(blocks.bytes, static_cast<int64_t>(cab.size()) + 52);
  EXPECT_GE(blocks.calls, static_cast<int>(cab.size() / 8192));
  try {
    http->Get("/BinZQ/missing.cab");
    ADD_FAILURE() << "a missing file was served";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)");
  }
  const std::vector<std::string> log = RequestLog();
  ASSERT_EQ(log.size(), before + 3);
  const std::string connection = log[before].substr(0, log[before].find('|'));
  EXPECT_EQ(log[before], connection + "|GET http://127.0.0.23/scripts/zq.dll/stptc HTTP/1.1|127.0.0.23|-");
  EXPECT_EQ(log[before + 1], connection + "|GET http://127.0.0.23/BinZQ/big.cab HTTP/1.1|127.0.0.23|-");
}

TEST(HttpServersWin, NginxChunkedAndReuse) {
  auto http = MakeClient("127.0.0.23");
  const size_t before = RequestLog().size();
  EXPECT_EQ(http->Get("/ssi/page.html").Text(), "part one /ssi/page.html part two");
  EXPECT_EQ(http->Get("/ssi/page.html").Text(), "part one /ssi/page.html part two");
  const std::vector<std::string> log = RequestLog();
  ASSERT_EQ(log.size(), before + 2);
  EXPECT_EQ(log[before].substr(0, log[before].find('|')), log[before + 1].substr(0, log[before + 1].find('|')))
      << "two requests within the reuse window share one connection";
}

TEST(HttpServersWin, ThroughSquid) {
  auto http = MakeClient("127.0.0.23:8080#127.0.0.23:3128");
  EXPECT_EQ(http->ProxyPort, 3128);
  const size_t before = RequestLog().size();
  EXPECT_EQ(http->Get("/scripts/zq.dll/stptc").Text(), ReadFile(kDir + "/www/scripts/zq.dll/stptc"));
  EXPECT_EQ(http->Get("/BinZQ/big.cab").Text(), ReadFile(kDir + "/www/BinZQ/big.cab"));
  // The proxy reached the origin on port 80: the target names no port.
  const std::vector<std::string> log = RequestLog();
  ASSERT_EQ(log.size(), before + 2);
  EXPECT_NE(log[before].find("|GET /scripts/zq.dll/stptc HTTP/1.1|127.0.0.23|1.1 localhost (squid"),
            std::string::npos)
      << log[before];
  const std::string access = ReadFile(kDir + "/squid/access.log");
  EXPECT_NE(access.find("GET http://127.0.0.23/scripts/zq.dll/stptc"), std::string::npos) << access;
  EXPECT_NE(access.find("GET http://127.0.0.23/BinZQ/big.cab"), std::string::npos) << access;
}

}  // namespace
}  // namespace zq
