#pragma once
// Incremental decoder of a "Transfer-Encoding: chunked" body, fed block by
// block as the blocks arrive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/memory_stream.h"

namespace zq {

class ChunkedDecoder {
 public:
  struct Result {
    size_t consumed = 0;  // input bytes used; less than given only once Done()
    size_t written = 0;   // body bytes appended to the output
  };
  // Decodes data[0, n) into out at its position. Raises on a malformed chunk
  // or a body above the length cap.
  Result Feed(const uint8_t* data, size_t n, MemoryStream& out);
  bool Done() const { return state_ == State::kDone; }

 private:
  enum class State { kSize, kData, kDataEnd, kTrailer, kDone };
  void EndSizeLine();

  State state_ = State::kSize;
  std::string line_;        // the size line or trailer line being collected
  uint64_t remaining_ = 0;  // bytes left in the current chunk
  uint64_t total_ = 0;
};

}  // namespace zq
