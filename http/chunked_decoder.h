#pragma once
// Incremental decoder of a "Transfer-Encoding: chunked" body, fed block by
// block as the blocks arrive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/memory_stream.h"
#include "http/reply_limits.h"

namespace zq {

class ChunkedDecoder {
 public:
  explicit ChunkedDecoder(uint64_t max_total = kMaxAnnouncedLength) : max_total_(max_total) {}
  struct Result {
    size_t consumed = 0;  // input bytes used; less than given only once Done()
    size_t written = 0;   // body bytes appended to the output
  };
  // Decodes data[0, n) into out at its position. Raises on a malformed chunk
  // (a line above its limit, trailers above theirs, included) or a body
  // above max_total.
  Result Feed(const uint8_t* data, size_t n, MemoryStream& out);
  bool Done() const { return state_ == State::kDone; }

 private:
  enum class State { kSize, kData, kDataEnd, kTrailer, kDone };
  void EndSizeLine();

  State state_ = State::kSize;
  std::string line_;        // the size line or trailer line being collected
  uint64_t remaining_ = 0;  // bytes left in the current chunk
  uint64_t total_ = 0;
  uint64_t max_total_;
  size_t trailer_bytes_ = 0;
};

}  // namespace zq
