#pragma once
// TsHTTP: the program's HTTP client. One object talks to one server over one
// TCP connection that stays open between requests.
#include <cstdint>
#include <memory>
#include <string>

#include "base/event_slot.h"
#include "base/memory_stream.h"
#include "http/http_platform.h"
#include "http/reply_reader.h"
#include "http/socket_stream.h"

namespace zq {

class TsHTTP {
 public:
  // Parses the address (host[:port][#proxyhost[:proxyport]]); no I/O.
  TsHTTP(const std::string& address, std::unique_ptr<HttpPlatform> platform);
  ~TsHTTP();
  TsHTTP(const TsHTTP&) = delete;
  TsHTTP& operator=(const TsHTTP&) = delete;

  // One GET of path; returns Response holding the body, positioned at 0.
  // time_limit_ms bounds the whole request, connecting included; 0: each
  // transfer is bounded by SocketTimeout alone.
  MemoryStream& Get(const std::string& path, uint32_t time_limit_ms = 0);
  // The same, for a body that must be exactly expected_length bytes: a reply
  // announcing another length raises EUnexpectedLength before its body is
  // read, and one without an announced length does once it grows past.
  MemoryStream& GetExactly(const std::string& path, int64_t expected_length);

  std::string Path;
  std::string Host;
  int32_t Port = 0;
  std::string ProxyHost;
  int32_t ProxyPort = 0;
  int32_t ReuseWindow = 0;      // ms after the previous request's start
  MemoryStream Response;
  uint32_t LastRequestTick = 0;
  ReceiveBuffer BufferRec;  // xbuffer: 8192 bytes
  MemoryStream RequestStream;
  int32_t SocketTimeout = 3600000;
  EventSlot<int32_t> OnProgress;  // body bytes per block, -999 per 200 ms of waiting
  bool ShowHourglass = true;

 private:
  MemoryStream& Request(const std::string& path, uint32_t time_limit_ms, int64_t expected_length);
  void DoSocketHttpRequest(const std::string& path, const RequestDeadline& deadline);
  bool CanReuseConnection();
  void DoOpenSocket();
  void OpenWithBoundedWait(uint32_t limit_ms);
  void DoSend(const std::string& request, const RequestDeadline& deadline);
  bool DoReceive(const RequestDeadline& deadline);
  void CloseConnection() noexcept;
  static void WaitTick(void* client);

  std::unique_ptr<SocketStream> stream_;
  std::unique_ptr<HttpPlatform> socket_;
  int64_t expected_length_ = kAnyLength;  // of the request under way
};

// The time limit of the manifest request (the argument of Get). It runs
// before the window exists, with the product already ended and no Cancel.
inline constexpr uint32_t kManifestTimeLimit = 60000;  // ms

// The module's client, created at start-up for kDefaultHost.
extern std::unique_ptr<TsHTTP> DefaultClient;
extern const char kDefaultHost[];

}  // namespace zq
