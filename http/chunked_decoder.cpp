#include "http/chunked_decoder.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "http/reply_limits.h"

namespace zq {

namespace {

[[noreturn]] void Malformed() { throw Error(kMalformedChunks); }

}  // namespace

void ChunkedDecoder::EndSizeLine() {
  // chunk-size [; extensions], blanks tolerated around the size
  size_t i = 0;
  while (i < line_.size() && (line_[i] == ' ' || line_[i] == '\t')) ++i;
  uint64_t size = 0;
  size_t digits = 0;
  for (; i < line_.size() && HexDigitValue(line_[i]) >= 0; ++i, ++digits) {
    size = size * 16 + static_cast<uint64_t>(HexDigitValue(line_[i]));
    if (size > max_total_) throw Error(kBodyTooLarge);
  }
  while (i < line_.size() && (line_[i] == ' ' || line_[i] == '\t')) ++i;
  if (digits == 0 || (i < line_.size() && line_[i] != ';')) Malformed();
  if (total_ + size > max_total_) throw Error(kBodyTooLarge);
  line_.clear();
  remaining_ = size;
  state_ = size == 0 ? State::kTrailer : State::kData;
}

ChunkedDecoder::Result ChunkedDecoder::Feed(const uint8_t* data, size_t n, MemoryStream& out) {
  Result r;
  size_t i = 0;
  while (i < n && state_ != State::kDone) {
    switch (state_) {
      case State::kSize:
      case State::kTrailer: {
        const char c = static_cast<char>(data[i++]);
        // Trailers carry no body bytes, so no progress: their sum is bounded
        // as well as each line.
        if (state_ == State::kTrailer && ++trailer_bytes_ > kMaxChunkTrailers) Malformed();
        if (c != '\n') {
          // Room for the line and its CR.
          if (line_.size() > kMaxChunkLine) Malformed();
          line_ += c;
          break;
        }
        if (line_.empty() || line_.back() != '\r') Malformed();
        line_.pop_back();
        if (state_ == State::kSize) {
          EndSizeLine();
        } else if (line_.empty()) {
          state_ = State::kDone;  // the empty line after the trailers
        } else {
          line_.clear();  // a trailer field: ignored
        }
        break;
      }
      case State::kData: {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(remaining_, n - i));
        out.Write(data + i, take);
        i += take;
        r.written += take;
        remaining_ -= take;
        total_ += take;
        if (remaining_ == 0) state_ = State::kDataEnd;
        break;
      }
      case State::kDataEnd: {
        const char c = static_cast<char>(data[i++]);
        line_ += c;
        if (line_.size() == 2) {
          if (line_ != "\r\n") Malformed();
          line_.clear();
          state_ = State::kSize;
        }
        break;
      }
      case State::kDone:
        break;
    }
  }
  r.consumed = i;
  return r;
}

}  // namespace zq
