#include "http/reply_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/error.h"
#include "base/str_to_int.h"
#include "base/byte_order.h"
#include "base/text.h"
#include "http/chunked_decoder.h"
#include "http/http_client.h"
#include "http/reply_limits.h"
#include "http/transfer_check.h"

namespace zq {

namespace {

constexpr int32_t kFrameReadTimeout = 5000;
constexpr size_t kLastFrameScan = 8186;

bool IsMarker(const uint8_t* p) {
  const uint32_t v = LoadLe32(p);
  return v == kDataMarker || v == kErrorMarker;
}

size_t FindEither(std::string_view text, std::string_view a, std::string_view b) {
  return std::min(text.find(a), text.find(b));
}

bool Contains500(std::string_view text) {
  return FindEither(text, "HTTP/1.1 500", "HTTP/1.0 500") != std::string_view::npos;
}

// An interim (1xx) reply header starting at `at`.
bool IsInterimAt(std::string_view raw, size_t at) {
  return raw.size() > at + 9 && raw.compare(at, 7, "HTTP/1.") == 0 && raw[at + 9] == '1';
}

// The untrimmed value of the first header field of that name (any case)
// among the lines of the header block; the first line is the status line.
std::optional<std::string> FindHeader(std::string_view block, std::string_view name) {
  size_t line_start = block.find("\r\n");
  while (line_start != std::string_view::npos) {
    line_start += 2;
    const size_t line_end = std::min(block.find("\r\n", line_start), block.size());
    const std::string_view line = block.substr(line_start, line_end - line_start);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameText(line.substr(0, colon), name))
      return std::string(line.substr(colon + 1));
    if (line_end >= block.size()) break;
    line_start = line_end;
  }
  return std::nullopt;
}

bool HasEndTags(std::string_view text) {
  const std::string upper = AnsiUpper(text);
  const size_t body = upper.find("</BODY>");
  const size_t html = upper.find("</HTML>");
  return body != std::string::npos && html != std::string::npos && body < html;
}

// Restores the stream's timeout on every way out of a read.
class TimeoutOverride {
 public:
  TimeoutOverride(SocketStream& s, int32_t timeout) : s_(s), saved_(s.Timeout) { s_.Timeout = timeout; }
  ~TimeoutOverride() { s_.Timeout = saved_; }
  TimeoutOverride(const TimeoutOverride&) = delete;
  TimeoutOverride& operator=(const TimeoutOverride&) = delete;

 private:
  SocketStream& s_;
  int32_t saved_;
};

}  // namespace

int GetHttpReturnCode(std::string_view text, const std::string& host, const std::string& path) {
  const bool default_host = host == kDefaultHost;
  const size_t p500 = FindEither(text, "HTTP/1.1 500", "HTTP/1.0 500");
  if (p500 != std::string_view::npos) {
    const size_t end = text.find("\r\n", p500);
    if (end != std::string_view::npos) throw Error(std::string(text.substr(p500, end - p500)));
    throw Error(default_host ? "HTTP/1.1 500 - não foi possível realizar a operação"
                             : "Não foi possível acessar o servidor (HTTP/1.1 500)");
  }
  if (FindEither(text, "HTTP/1.1 200", "HTTP/1.0 200") != std::string_view::npos) return 200;
  if (FindEither(text, "HTTP/1.1 100", "HTTP/1.0 100") != std::string_view::npos) return 100;
  if (default_host)
    throw Error("GetHttpReturnCode - unexpected ...\rlPath: " + path + "\rBufferRec.xbuffer:\r" + std::string(text));
  throw Error("Não foi possível acessar o servidor (Código Retorno HTTP não esperado)");
}

std::string_view ReplyReader::Text() const {
  const auto* p = reinterpret_cast<const char*>(buf_.data());
  const auto* zero = static_cast<const char*>(std::memchr(p, 0, count_));
  return std::string_view(p, zero ? static_cast<size_t>(zero - p) : count_);
}

void ReplyReader::Report(size_t n) {
  // A body without an announced length may not grow past the expected one.
  if (expected_length_ != kAnyLength && static_cast<int64_t>(response_.Position()) > expected_length_)
    throw EUnexpectedLength(static_cast<int64_t>(response_.Position()), false);
  on_progress_(static_cast<int32_t>(n));
}

int32_t ReplyReader::ReadAt(size_t offset, int32_t timeout) {
  TimeoutOverride limited(stream_, deadline_.Cap(timeout));
  return stream_.Read(buf_.data() + offset, static_cast<int32_t>(kBufferSize - offset));
}

// A read of the reply's head (a later status block, the frame's marker and
// length): a broken connection fails as a socket error of the first read.
int32_t ReplyReader::ReadHeadAt(size_t offset, int32_t timeout) {
  try {
    return ReadAt(offset, timeout);
  } catch (const EConnectionBroken& e) {
    throw CommunicationError(e);
  }
}

// A read of body bytes into the emptied buffer: a broken connection leaves
// the body incomplete, whatever arrived before.
int32_t ReplyReader::ReadBodyBlock(int32_t timeout) {
  ZeroBuffer();
  try {
    return ReadAt(0, timeout);
  } catch (const EConnectionBroken&) {
    throw Error(kIncomplete);
  }
}

void ReplyReader::ReadFirstBlock() {
  ZeroBuffer();
  stream_.Timeout = socket_timeout_;
  int32_t r;
  try {
    r = ReadAt(0, socket_timeout_);
  } catch (const ESocketError& e) {
    throw CommunicationError(e);
  }
  CheckTransfer(r, -1, "DoReceive");
  count_ = static_cast<size_t>(r);
}

// True while the bytes so far can still begin a status line ("HTTP/1.x "
// and three digits) or a frame's marker. Anything else is classified as it
// stands: a peer that is no HTTP server is not waited for.
bool ReplyReader::CouldBecomeReply() const {
  static constexpr std::string_view kStatusLine = "HTTP/1.# ###";
  static constexpr uint8_t kMarkers[2][4] = {{0x50, 0x0C, 0xBA, 0x40}, {0xD7, 0x35, 0x4A, 0x47}};
  bool status = true;
  for (size_t i = 0; i < std::min(count_, kStatusLine.size()) && status; ++i)
    status = kStatusLine[i] == '#' ? buf_[i] >= '0' && buf_[i] <= '9' : buf_[i] == kStatusLine[i];
  if (status) return true;
  for (const auto& marker : kMarkers)
    if (count_ < 4 && std::memcmp(buf_.data(), marker, count_) == 0) return true;
  return false;
}

// The status line and the headers must be whole before they are read: a
// block that ends inside them is followed by more reads, up to the buffer's
// size, as long as what came can still become a reply. A 500 status is
// reported at once, complete or not.
void ReplyReader::CompleteHeaders() {
  if (StartsWithMarker()) return;
  const auto raw = [this] { return std::string_view(reinterpret_cast<const char*>(buf_.data()), count_); };
  // A frame has no header block: the loop ends as soon as its marker is whole.
  while (raw().find("\r\n\r\n") == std::string_view::npos && count_ < kBufferSize && !Contains500(Text()) &&
         !StartsWithMarker() && CouldBecomeReply()) {
    int32_t r;
    try {
      r = ReadAt(count_, socket_timeout_);
    } catch (const ESocketError& e) {
      throw CommunicationError(e);
    }
    if (r < 0) throw Error(kTimedOut);
    if (r == 0) {
      must_close_ = true;
      break;
    }
    count_ += static_cast<size_t>(r);
  }
}

bool ReplyReader::StartsWithMarker() const { return count_ - header_ >= 4 && IsMarker(buf_.data()); }

bool ReplyReader::FindFrameBehindHeaders() {
  if (count_ < 8 || std::memcmp(buf_.data(), "HTTP/1.1", 8) != 0) return false;
  for (size_t i = 8; i <= kLastFrameScan && i + 8 <= count_; ++i) {
    if (std::memcmp(buf_.data() + i, "\r\n\r\n", 4) == 0 && IsMarker(buf_.data() + i + 4)) {
      header_ = i + 4;
      std::memmove(buf_.data(), buf_.data() + header_, kBufferSize - header_);
      std::fill(buf_.begin() + static_cast<std::ptrdiff_t>(kBufferSize - header_), buf_.end(), uint8_t{0});
      return true;
    }
  }
  return false;
}

int32_t ReplyReader::ReadFrameBlock(size_t offset) { return ReadHeadAt(offset, kFrameReadTimeout); }

void ReplyReader::GetResponseTC() {
  // The marker and the length must be whole before the length is read.
  while (count_ - header_ < 8) {
    const int32_t r = ReadFrameBlock(count_ - header_);
    CheckTransfer(r, -1, "GetResponseTC");
    count_ += static_cast<size_t>(r);
  }
  const uint32_t marker = LoadLe32(buf_.data());
  const auto length = static_cast<int32_t>(LoadLe32(buf_.data() + 4));
  if (length < 0 || length > max_body_)
    throw Error("GetResponseTC - invalid frame length = " + std::to_string(length));
  // Of an error frame only the start becomes the message; the failure
  // closes the connection, so the rest need not be read.
  if (marker != kErrorMarker) CheckLength(length);
  const auto total = marker == kErrorMarker ? std::min(static_cast<size_t>(length), kMaxErrorText)
                                            : static_cast<size_t>(length);
  response_.ResetExpecting(total);
  const size_t first = count_ - header_ - 8;
  size_t received = std::min(first, total);
  response_.Write(buf_.data() + 8, received);
  if (received > 0) Report(received);
  if (first > total) must_close_ = true;
  while (received != total) {
    const int32_t r = ReadBodyBlock(kFrameReadTimeout);
    CheckTransfer(r, -1, "GetResponseTC");
    const size_t take = std::min(static_cast<size_t>(r), total - received);
    response_.Write(buf_.data(), take);
    Report(take);
    received += take;
    if (static_cast<size_t>(r) > take) must_close_ = true;
  }
  if (marker == kErrorMarker) {
    response_.SetPosition(total);
    const uint8_t zero = 0;
    response_.Write(&zero, 1);
    const auto* text = reinterpret_cast<const char*>(response_.Data());
    throw Error(std::string(text, strnlen(text, total)));
  }
  response_.SetPosition(0);
}

void ReplyReader::ReadBody() {
  const std::string_view raw(reinterpret_cast<const char*>(buf_.data()), count_);
  // The header block of the final reply: interim (1xx) replies that came in
  // the same block are passed over.
  size_t start = 0;
  size_t end;
  for (;;) {
    end = raw.find("\r\n\r\n", start);
    if (end == std::string_view::npos) throw Error(kHeaderIncomplete);
    if (IsInterimAt(raw, start) && raw.compare(end + 4, 5, "HTTP/") == 0) {
      start = end + 4;
      continue;
    }
    break;
  }
  const std::string_view headers = raw.substr(start, end - start);
  const size_t body_start = end + 4;

  const std::optional<std::string> encoding = FindHeader(headers, "Transfer-Encoding");
  if (encoding && AnsiUpper(*encoding).find("CHUNKED") != std::string::npos) {
    ReadChunkedBody(body_start);
  } else if (const std::optional<std::string> value = FindHeader(headers, "Content-Length")) {
    const int32_t length = StrToInt(Trim(*value));
    if (length > max_body_) throw Error("DoSocketHttpRequest - too large ContentLength = " + *value);
    if (length < 0) throw Error("DoSocketHttpRequest - invalid ContentLength = " + *value);
    CheckLength(length);
    ReadLengthBody(length, body_start);
  } else {
    ReadUntilClose(body_start);
  }
  response_.SetPosition(0);
}

void ReplyReader::ReadLengthBody(int64_t length, size_t body_start) {
  const auto total = static_cast<size_t>(length);
  response_.ResetExpecting(total);
  const size_t avail = count_ - body_start;
  size_t received = std::min(avail, total);
  response_.Write(buf_.data() + body_start, received);
  if (received > 0) Report(received);
  if (avail > total) must_close_ = true;
  while (received != total) {
    const int32_t r = ReadBodyBlock(socket_timeout_);
    if (r == 0) throw Error(kIncomplete);
    if (r < 0) throw Error(kTimedOut);
    const size_t take = std::min(static_cast<size_t>(r), total - received);
    response_.Write(buf_.data(), take);
    Report(take);
    received += take;
    if (static_cast<size_t>(r) > take) must_close_ = true;
  }
}

void ReplyReader::ReadChunkedBody(size_t body_start) {
  response_.Clear();
  ChunkedDecoder decoder(static_cast<uint64_t>(max_body_));
  const auto feed = [&](const uint8_t* data, size_t n) {
    const ChunkedDecoder::Result r = decoder.Feed(data, n, response_);
    if (r.consumed < n) must_close_ = true;  // bytes behind the last chunk
    if (r.written > 0) Report(r.written);
  };
  feed(buf_.data() + body_start, count_ - body_start);
  while (!decoder.Done()) {
    const int32_t r = ReadBodyBlock(socket_timeout_);
    if (r == 0) throw Error(kIncomplete);
    if (r < 0) throw Error(kTimedOut);
    feed(buf_.data(), static_cast<size_t>(r));
  }
}

void ReplyReader::ReadUntilClose(size_t body_start) {
  response_.Clear();
  const auto append = [this](size_t offset, size_t n) {
    if (static_cast<int64_t>(response_.Size() + n) > max_body_) throw Error(kBodyTooLarge);
    response_.Write(buf_.data() + offset, n);
    if (n > 0) Report(n);
  };
  append(body_start, count_ - body_start);
  for (;;) {
    // Only an orderly close ends the body; a reset is no end.
    const int32_t r = ReadBodyBlock(socket_timeout_);
    if (r == 0) {
      must_close_ = true;
      break;
    }
    if (r < 0) throw Error(kTimedOut);
    count_ = static_cast<size_t>(r);
    append(0, count_);
    if (HasEndTags(Text())) break;
  }
}

bool ReplyReader::DoReceive() {
  ReadFirstBlock();
  CompleteHeaders();
  FindFrameBehindHeaders();
  if (StartsWithMarker()) {
    GetResponseTC();
    return must_close_;
  }
  int code = GetHttpReturnCode(Text(), host_, path_);
  if (code == 100) {
    ZeroBuffer();
    const int32_t r = ReadHeadAt(0, socket_timeout_);
    CheckTransfer(r, -1, "3");
    count_ = static_cast<size_t>(r);
    CompleteHeaders();
    code = GetHttpReturnCode(Text(), host_, path_);
  }
  if (code != 200) throw Error("Não foi possível acessar o servidor (" + std::to_string(code) + ")");
  ReadBody();
  return must_close_;
}

}  // namespace zq
