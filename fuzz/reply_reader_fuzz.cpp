// The reply reader over a scripted stream.
//
// Input: byte 0 holds the options (bits 0-5: how many control bytes follow,
// bit 6: at the end of the data the server keeps the connection open, so a
// further read times out, instead of closing it; bit 7: the client's host is
// the default host). Then the control bytes, one per read: below 0x10 the
// read times out, 0x10-0x16 the server closes, 0x17 the connection is
// reset, 0x18 the socket fails, 0x19-0x7F deliver 1-103 bytes, 0x80-0xFF
// deliver 64-8192 bytes. Reads beyond the control bytes deliver as much as
// asked. The rest is the data the server sends.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "fuzz_check.h"
#include "http/http_client.h"
#include "http/reply_limits.h"
#include "http/reply_reader.h"
#include "tests/doubles/scripted_stream.h"

namespace {

constexpr int32_t kSocketTimeout = 3600000;
constexpr int32_t kFrameTimeout = 5000;

// The shared scripted stream, its script written one step ahead of each
// read from the control bytes and the data, so that each control byte
// governs exactly one read.
class FuzzConnection {
 public:
  FuzzConnection(std::string_view data, std::string_view controls, bool keep_open, const uint8_t* buffer)
      : data_(data), controls_(controls), buffer_(buffer) {
    conn_.silent_at_end = keep_open;
    conn_.wait_ticks = false;
    conn_.before_read = [this](const void* b, int32_t count, int32_t timeout) { NextStep(b, count, timeout); };
  }
  FuzzConnection(const FuzzConnection&) = delete;
  FuzzConnection& operator=(const FuzzConnection&) = delete;

  zq::test::ScriptedStream& Stream() { return stream_; }
  bool Closed() const { return conn_.closed; }
  size_t Delivered() const { return conn_.delivered; }

 private:
  void NextStep(const void* b, int32_t count, int32_t timeout) {
    const auto* p = static_cast<const uint8_t*>(b);
    FUZZ_CHECK(count > 0, "a read of no bytes");
    FUZZ_CHECK(p >= buffer_ && p + count <= buffer_ + zq::kBufferSize, "a read outside xbuffer");
    FUZZ_CHECK(timeout == kSocketTimeout || timeout == kFrameTimeout, "a read with an unknown timeout");
    FUZZ_CHECK(++reads_ < 100000, "the reader does not stop reading");
    if (conn_.closed) {
      FUZZ_CHECK(++reads_after_close_ < 4, "the reader keeps reading a closed connection");
      if (conn_.reads.empty()) conn_.reads.push_back(zq::test::Close());
      return;
    }
    size_t n = static_cast<size_t>(count);
    if (next_control_ < controls_.size()) {
      const auto c = static_cast<uint8_t>(controls_[next_control_++]);
      if (c < 0x10) return conn_.reads.push_back(zq::test::Timeout());
      if (c < 0x17) return conn_.reads.push_back(zq::test::Close());
      if (c == 0x17) return conn_.reads.push_back(zq::test::Reset("scripted reset"));
      if (c == 0x18) return conn_.reads.push_back(zq::test::SocketError("scripted socket failure"));
      n = std::min(n, c < 0x80 ? size_t{c} - 0x18u : (size_t{c} - 0x7Fu) * 64u);
    }
    if (pos_ == data_.size()) {
      if (conn_.silent_at_end)
        FUZZ_CHECK(++reads_after_end_ < 4, "the reader keeps waiting for data that never comes");
      return;  // the script is used up: the stream answers with the close or with silence
    }
    n = std::min(n, data_.size() - pos_);
    conn_.reads.push_back(zq::test::Data(std::string(data_.substr(pos_, n))));
    pos_ += n;
  }

  std::string_view data_;
  std::string_view controls_;
  const uint8_t* buffer_;
  zq::test::Connection conn_;
  zq::test::ScriptedStream stream_{conn_};
  size_t next_control_ = 0;
  size_t pos_ = 0;
  int reads_ = 0;
  int reads_after_close_ = 0;
  int reads_after_end_ = 0;
};

struct Outcome {
  bool ok = false;
  std::string body;     // the response on success
  std::string message;  // the error text on failure
  bool must_close = false;
  size_t delivered = 0;  // bytes the server had handed over
};

struct Progress {
  int64_t sum = 0;
  static void Call(void* context, int32_t n) {
    FUZZ_CHECK(n > 0 && n <= static_cast<int32_t>(zq::kBufferSize), "a progress count outside 1..8192");
    static_cast<Progress*>(context)->sum += n;
  }
};

Outcome Receive(std::string_view data, std::string_view controls, bool keep_open, const std::string& host) {
  // On the heap, so that the address sanitizer sees any byte outside it.
  auto buffer = std::make_unique<zq::ReceiveBuffer>();
  FuzzConnection connection(data, controls, keep_open, buffer->xbuffer.data());
  zq::test::ScriptedStream& stream = connection.Stream();
  stream.Timeout = 1;  // the reader sets its own
  zq::MemoryStream response;
  Progress progress;
  zq::EventSlot<int32_t> slot;
  slot.Set(&Progress::Call, &progress);
  const std::string path = "/scripts/zq.dll/stptc";
  zq::ReplyReader reader(stream, *buffer, response, kSocketTimeout, slot, host, path);
  Outcome out;
  try {
    out.must_close = reader.DoReceive();
    out.ok = true;
    out.body = response.Text();
    FUZZ_CHECK(response.Position() == 0, "the response is not positioned at 0");
    FUZZ_CHECK(progress.sum == static_cast<int64_t>(response.Size()), "progress counts differ from the body");
    // A connection the server closed can never carry the next request.
    if (connection.Closed()) FUZZ_CHECK(out.must_close, "a closed connection was reported reusable");
  } catch (const zq::Error& e) {
    out.message = e.what();
  }
  FUZZ_CHECK(stream.Timeout == kSocketTimeout, "the stream's timeout was not restored");
  out.delivered = connection.Delivered();
  return out;
}

// Control bytes that time out, close or fail a read.
bool ScriptedFaults(std::string_view controls) {
  for (char c : controls)
    if (static_cast<uint8_t>(c) <= 0x18) return true;
  return false;
}

bool Contains(std::string_view s, std::string_view what) { return s.find(what) != std::string_view::npos; }

bool IsMarkerAt(std::string_view s, size_t i) {
  if (i + 4 > s.size()) return false;
  uint32_t v = 0;
  for (size_t k = 0; k < 4; ++k) v |= static_cast<uint32_t>(static_cast<uint8_t>(s[i + k])) << (8 * k);
  return v == zq::kDataMarker || v == zq::kErrorMarker;
}

// The start of a status line ("HTTP/1.x ddd") or of a frame's marker, as far
// as the data goes: only such a start is read on until the headers are
// whole. Anything else is classified on the first block as it came.
bool CouldBeReplyStart(std::string_view data) {
  constexpr std::string_view kStatus = "HTTP/1.# ###";
  bool status = true;
  for (size_t i = 0; i < std::min(data.size(), kStatus.size()) && status; ++i)
    status = kStatus[i] == '#' ? data[i] >= '0' && data[i] <= '9' : data[i] == kStatus[i];
  return status || IsMarkerAt(data, 0);
}

// Replies whose outcome may not depend on how the data is cut into blocks:
// no block-wise end tags, no 100 or 500 status (both read by block), no
// status text in the body, no frame behind a header block (only the first
// block is searched for one), no status text behind a start that cannot be
// a reply's (the first block alone is classified).
bool SplitInvariant(std::string_view data) {
  if (!CouldBeReplyStart(data) && data.size() > 1 && Contains(data.substr(1), "HTTP/1.")) return false;
  if (Contains(data, "</") || Contains(data, "HTTP/1.1 100") || Contains(data, "HTTP/1.0 100") ||
      Contains(data, "HTTP/1.1 500") || Contains(data, "HTTP/1.0 500"))
    return false;
  const size_t end = data.find("\r\n\r\n");
  if (end != std::string_view::npos && Contains(data.substr(end + 4), "HTTP/1.")) return false;
  if (data.substr(0, 8) == "HTTP/1.1") {
    for (size_t i = data.find("\r\n\r\n"); i != std::string_view::npos && i < zq::kBufferSize;
         i = data.find("\r\n\r\n", i + 1))
      if (IsMarkerAt(data, i + 4)) return false;
  }
  return true;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct Expected {
  bool ok;
  std::string text;  // the body, or the error text
};

// The replies whose result is plain to see: a 200 reply with a decimal
// Content-Length and exactly that many body bytes, or a frame of exactly its
// length. Read from a server that keeps the connection open, each must end
// without one read too many, with the connection reusable.
std::optional<Expected> PlainReply(std::string_view data) {
  if (data.size() >= 8 && IsMarkerAt(data, 0)) {
    uint32_t len = 0;
    for (size_t k = 0; k < 4; ++k) len |= static_cast<uint32_t>(static_cast<uint8_t>(data[4 + k])) << (8 * k);
    if (len != data.size() - 8) return std::nullopt;
    const std::string payload(data.substr(8));
    if (data.substr(0, 4) == std::string_view("\x50\x0C\xBA\x40", 4)) return Expected{true, payload};
    // Of an error frame only the start becomes the message.
    const std::string text = payload.substr(0, zq::kMaxErrorText);
    return Expected{false, text.substr(0, text.find('\0'))};
  }
  if (data.substr(0, 13) != "HTTP/1.1 200 ") return std::nullopt;
  const size_t end = data.find("\r\n\r\n");
  if (end == std::string_view::npos || end + 4 > zq::kBufferSize) return std::nullopt;
  const std::string_view head = data.substr(0, end);
  // The status is looked for anywhere in the first block, body included.
  const std::string_view first_block = data.substr(0, zq::kBufferSize);
  if (Contains(head, std::string_view("\0", 1)) || Contains(first_block, "HTTP/1.1 500") ||
      Contains(first_block, "HTTP/1.0 500"))
    return std::nullopt;
  for (size_t i = end; i != std::string_view::npos; i = data.find("\r\n\r\n", i + 1)) {
    if (i >= zq::kBufferSize) break;
    if (IsMarkerAt(data, i + 4)) return std::nullopt;
  }
  std::optional<std::string> length;
  for (size_t at = head.find("\r\n"); at != std::string_view::npos;) {
    at += 2;
    const size_t next = std::min(head.find("\r\n", at), head.size());
    const std::string_view line = head.substr(at, next - at);
    const size_t colon = line.find(':');
    const std::string name = Lower(line.substr(0, colon == std::string_view::npos ? 0 : colon));
    if (name == "transfer-encoding") return std::nullopt;
    if (name == "content-length" && !length) length = std::string(line.substr(colon + 1));
    at = next == head.size() ? std::string_view::npos : next;
  }
  if (!length) return std::nullopt;
  const size_t first = length->find_first_not_of(' ');
  const size_t last = length->find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const std::string digits = length->substr(first, last - first + 1);
  if (digits.size() > 7 || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  if (std::stoul(digits) != data.size() - end - 4) return std::nullopt;
  return Expected{true, std::string(data.substr(end + 4))};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const uint8_t options = bytes[0];
  const size_t ncontrols = std::min<size_t>(options & 0x3F, size - 1);
  const std::string_view controls = input.substr(1, ncontrols);
  const std::string_view data = input.substr(1 + ncontrols);
  const bool keep_open = (options & 0x40) != 0;
  const std::string host = (options & 0x80) ? std::string(zq::kDefaultHost) : std::string("127.0.0.1");

  const Outcome split = Receive(data, controls, keep_open, host);

  if (!ScriptedFaults(controls)) {
    if (const std::optional<Expected> plain = PlainReply(data)) {
      const Outcome kept = keep_open ? split : Receive(data, controls, true, host);
      FUZZ_CHECK(kept.ok == plain->ok, "a plain reply was not read as it stands");
      FUZZ_CHECK((kept.ok ? kept.body : kept.message) == plain->text, "a plain reply gave other bytes");
      if (kept.ok) FUZZ_CHECK(!kept.must_close, "a plain reply left the connection unusable");
    }
  }

  // A connection reported reusable must not have swallowed bytes of what
  // comes next: without the last byte handed over, the same reply cannot
  // have been read whole.
  if (split.ok && !split.must_close && split.delivered > 0) {
    const Outcome shorter = Receive(data.substr(0, split.delivered - 1), controls, true, host);
    FUZZ_CHECK(!(shorter.ok && shorter.body == split.body), "a reusable connection lost bytes behind the reply");
  }

  // The same reply in whole blocks must give the same body or the same error.
  if (!ScriptedFaults(controls) && SplitInvariant(data)) {
    const Outcome whole = Receive(data, std::string_view(), keep_open, host);
    if (std::getenv("ZQ_FUZZ_VERBOSE")) {  // for reading a finding
      for (const Outcome* o : {&split, &whole})
        std::fprintf(stderr, "%s ok=%d close=%d body=%zu message=%s\n", o == &split ? "split" : "whole", o->ok,
                     o->must_close, o->body.size(), o->message.c_str());
    }
    FUZZ_CHECK(split.ok == whole.ok, "success depends on how the reply is cut into blocks");
    FUZZ_CHECK(split.body == whole.body, "the body depends on how the reply is cut into blocks");
    // The default host's diagnostic text quotes the buffer, which holds what
    // had arrived: only the words before the quote must agree.
    const auto words = [](const std::string& m) { return m.substr(0, m.find("BufferRec.xbuffer:")); };
    FUZZ_CHECK(words(split.message) == words(whole.message), "the error depends on how the reply is cut into blocks");
  }
  return 0;
}
