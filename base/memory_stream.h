#pragma once
// A growable byte buffer with a position, the client's Response and
// request streams.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zq {

class MemoryStream {
 public:
  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }
  size_t Capacity() const { return bytes_.capacity(); }
  size_t Position() const { return position_; }
  void SetPosition(size_t p) { position_ = p; }

  // Drops the content and makes the stream n zero bytes long, position 0.
  // The old storage is given back first, so that a larger reply never has
  // to live beside the one before it (as growing in place would).
  void ResetTo(size_t n) {
    expected_ = 0;
    std::vector<uint8_t>().swap(bytes_);
    bytes_.resize(n);
    position_ = 0;
  }
  // Drops the content and gives its storage back, position 0, for content
  // that is announced to reach `expected` bytes. The announcement is not
  // trusted with memory: storage is made as bytes are written, doubling
  // from a modest start, and is made whole only once an eighth of it has
  // arrived, so that the last step holds the part before it beside it for
  // a moment (at most 1.125 times the content) and never grows past it.
  void ResetExpecting(size_t expected) {
    ResetTo(0);
    expected_ = expected;
    Grow(0);
  }
  // Drops the content and keeps the storage for the next content.
  void Clear() {
    expected_ = 0;
    bytes_.clear();
    position_ = 0;
  }
  // Writes at the position, growing the stream when needed.
  void Write(const void* data, size_t n) {
    if (n == 0) return;
    if (position_ + n > bytes_.capacity()) Grow(position_ + n);
    if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
    std::memcpy(bytes_.data() + position_, data, n);
    position_ += n;
  }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()); }

 private:
  static constexpr size_t kFirstReserve = 64 * 1024;

  void Grow(size_t needed) {
    if (expected_ == 0) {
      if (needed > bytes_.capacity()) bytes_.reserve(std::max(needed, bytes_.capacity() * 2));
      return;
    }
    size_t room = std::max({needed, bytes_.capacity() * 2, std::min(kFirstReserve, expected_)});
    if (room >= expected_ / 8) room = std::max(room, expected_);
    room = std::max(needed, std::min(room, expected_));
    bytes_.reserve(room);
  }

  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  size_t expected_ = 0;  // announced size of the content; 0: none
};

}  // namespace zq
