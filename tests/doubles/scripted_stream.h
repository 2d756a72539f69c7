#pragma once
// The socket-stream double of the native tests, the fuzz targets and the
// benchmarks: a connection whose reads follow a script of steps (bytes,
// silence, the peer's close, a socket error, a reset) and whose writes are
// recorded. The script and what the stream saw live in a Connection that may
// outlive the stream (a client frees its stream before it closes).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "http/socket_stream.h"

namespace zq::test {

// One step of a scripted connection.
struct Step {
  enum Kind { kData, kTimeout, kClose, kSocketError, kBroken } kind;
  std::string data;            // the bytes, or the error's text
  size_t per_read = SIZE_MAX;  // most bytes one read delivers
  uint32_t ms = 0;             // clock time each read of this step takes
  size_t at = 0;               // bytes of data already delivered
};
inline Step Data(std::string b, uint32_t ms = 0) { return {Step::kData, std::move(b), SIZE_MAX, ms}; }
// At most per_read bytes per read.
inline Step Pieces(std::string b, size_t per_read) { return {Step::kData, std::move(b), per_read, 0}; }
// One byte per read, each read taking ms.
inline Step Trickle(std::string b, uint32_t ms) { return {Step::kData, std::move(b), 1, ms}; }
// Nothing arrives within the stream's Timeout.
inline Step Timeout() { return {Step::kTimeout, {}}; }
// The peer closed in order; every later read finds the close too.
inline Step Close() { return {Step::kClose, {}}; }
inline Step SocketError(std::string text) { return {Step::kSocketError, std::move(text)}; }
// The connection is reset under the read.
inline Step Reset(std::string text = "Read error 10054, reset") { return {Step::kBroken, std::move(text)}; }

struct Connection {
  // The script.
  std::deque<Step> reads;
  bool silent_at_end = false;             // past the script: -1 (nothing arrives) instead of the close
  std::function<void()> past_end;         // called for every read past the script
  bool wait_ticks = true;                 // a timed-out read calls WaitTick per 200 ms slice
  std::function<void(const void* buffer, int32_t count, int32_t timeout)> before_read;  // a caller's checks
  std::vector<int32_t> write_results;     // scripted Write results (empty: all written)
  std::optional<std::string> write_error;
  bool write_broken = false;
  uint32_t* clock = nullptr;  // the platform's tick count, moved by waiting and by slow reads

  // What the stream saw.
  std::string written;
  std::vector<int32_t> write_timeouts;  // the stream's Timeout at each Write
  std::vector<int32_t> write_sizes;
  std::vector<int32_t> read_timeouts;   // the stream's Timeout at each Read
  int reads_made = 0;
  size_t delivered = 0;   // bytes handed to reads
  bool closed = false;    // a read found the close or a reset
  bool stream_freed = false;
};

class ScriptedStream : public SocketStream {
 public:
  explicit ScriptedStream(Connection& c) : c_(c) {}
  ~ScriptedStream() override { c_.stream_freed = true; }

  int32_t Read(void* buffer, int32_t count) override {
    if (c_.before_read) c_.before_read(buffer, count, Timeout);
    ++c_.reads_made;
    c_.read_timeouts.push_back(Timeout);
    if (c_.reads.empty()) {
      if (c_.past_end) c_.past_end();
      if (c_.silent_at_end) return -1;
      c_.closed = true;
      return 0;
    }
    Step& s = c_.reads.front();
    switch (s.kind) {
      case Step::kTimeout:
        c_.reads.pop_front();
        if (c_.wait_ticks)
          for (int32_t waited = 0; waited < Timeout; waited += 200) WaitTick();
        if (c_.clock) *c_.clock += static_cast<uint32_t>(Timeout);
        return -1;
      case Step::kClose:
        c_.closed = true;
        return 0;  // stays closed
      case Step::kSocketError: {
        const std::string text = s.data;
        c_.reads.pop_front();
        throw ESocketError(text);
      }
      case Step::kBroken: {
        const std::string text = s.data;
        c_.reads.pop_front();
        c_.closed = true;
        throw EConnectionBroken(text);
      }
      case Step::kData: {
        if (c_.clock) *c_.clock += s.ms;
        const size_t n = std::min({s.data.size() - s.at, static_cast<size_t>(count), s.per_read});
        std::memcpy(buffer, s.data.data() + s.at, n);
        s.at += n;
        c_.delivered += n;
        if (s.at == s.data.size()) c_.reads.pop_front();
        return static_cast<int32_t>(n);
      }
    }
    return 0;
  }

  int32_t Write(const void* buffer, int32_t count) override {
    c_.write_timeouts.push_back(Timeout);
    if (c_.write_broken) throw EConnectionBroken("Write error 10054, reset");
    if (c_.write_error) throw ESocketError(*c_.write_error);
    c_.write_sizes.push_back(count);
    int32_t r = count;
    if (!c_.write_results.empty()) {
      r = c_.write_results.front();
      c_.write_results.erase(c_.write_results.begin());
    }
    if (r > 0) c_.written.append(static_cast<const char*>(buffer), static_cast<size_t>(r));
    return r;
  }

 private:
  Connection& c_;
};

}  // namespace zq::test
