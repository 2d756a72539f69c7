#pragma once
// Reads the reply of a request just sent: an ordinary HTTP reply (status,
// headers, a body delimited by Content-Length, chunks, end tags or the
// server's close) or a frame (marker, length, payload), alone or behind an
// HTTP header block.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/event_slot.h"
#include "base/memory_stream.h"
#include "http/reply_limits.h"
#include "http/request_deadline.h"
#include "http/socket_stream.h"

namespace zq {

inline constexpr size_t kBufferSize = 8192;
inline constexpr uint32_t kDataMarker = 0x40BA0C50;
inline constexpr uint32_t kErrorMarker = 0x474A35D7;

struct ReceiveBuffer {
  std::array<uint8_t, kBufferSize> xbuffer{};
};

// Classifies the reply text: 200 or 100, otherwise raises. host and path
// only shape the failure texts.
int GetHttpReturnCode(std::string_view text, const std::string& host, const std::string& path);

// No expected length: any body is taken.
inline constexpr int64_t kAnyLength = -1;

// Raised when a reply's body is not of the expected length: as soon as the
// reply announces another length (Content-Length, frame length), or when a
// body without one grows past it. `Length` is the announced length, or the
// bytes received so far.
class EUnexpectedLength : public Error {
 public:
  EUnexpectedLength(int64_t length, bool announced)
      : Error("Não foi possível acessar o servidor (tamanho não esperado)"), Length(length), Announced(announced) {}
  int64_t Length;
  bool Announced;
};

class ReplyReader {
 public:
  // Every read's timeout is cut to what the deadline leaves. max_body caps
  // every body; only tests lower it.
  ReplyReader(SocketStream& stream, ReceiveBuffer& buffer, MemoryStream& response, int32_t socket_timeout,
              const EventSlot<int32_t>& on_progress, const std::string& host, const std::string& path,
              RequestDeadline deadline = {}, int64_t max_body = kMaxAnnouncedLength)
      : stream_(stream), buf_(buffer.xbuffer), response_(response), socket_timeout_(socket_timeout),
        on_progress_(on_progress), host_(host), path_(path), deadline_(deadline), max_body_(max_body) {}

  // Leaves the body in the response, positioned at 0. Returns true when the
  // connection cannot carry another request (the server closed it, or sent
  // more than it announced).
  bool DoReceive();

  // The body must be exactly n bytes long (kAnyLength: any length).
  void ExpectLength(int64_t n) { expected_length_ = n; }

 private:
  void CheckLength(int64_t length) const {
    if (expected_length_ != kAnyLength && length != expected_length_) throw EUnexpectedLength(length, true);
  }
  void ZeroBuffer() { buf_.fill(0); }
  int32_t ReadAt(size_t offset, int32_t timeout);
  int32_t ReadHeadAt(size_t offset, int32_t timeout);
  int32_t ReadBodyBlock(int32_t timeout);
  void ReadFirstBlock();
  void CompleteHeaders();
  bool CouldBecomeReply() const;
  bool FindFrameBehindHeaders();
  bool StartsWithMarker() const;
  void GetResponseTC();
  int32_t ReadFrameBlock(size_t offset);
  void ReadBody();
  void ReadLengthBody(int64_t length, size_t body_start);
  void ReadChunkedBody(size_t body_start);
  void ReadUntilClose(size_t body_start);
  void Report(size_t n);
  std::string_view Text() const;

  SocketStream& stream_;
  std::array<uint8_t, kBufferSize>& buf_;
  MemoryStream& response_;
  int32_t socket_timeout_;
  const EventSlot<int32_t>& on_progress_;
  const std::string& host_;
  const std::string& path_;
  RequestDeadline deadline_;
  int64_t max_body_;

  size_t count_ = 0;    // bytes of the current block in the buffer
  size_t header_ = 0;   // h: where the frame started in the first block
  bool must_close_ = false;
  int64_t expected_length_ = kAnyLength;
};

}  // namespace zq
