#pragma once
// A growable byte buffer with a position, the client's Response and
// request streams.
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
  size_t Position() const { return position_; }
  void SetPosition(size_t p) { position_ = p; }

  // Drops the content and makes the stream n zero bytes long, position 0.
  // The old storage is given back first, so that a larger reply never has
  // to live beside the one before it (as growing in place would).
  void ResetTo(size_t n) {
    std::vector<uint8_t>().swap(bytes_);
    bytes_.resize(n);
    position_ = 0;
  }
  void Clear() {
    bytes_.clear();
    position_ = 0;
  }
  // Writes at the position, growing the stream when needed.
  void Write(const void* data, size_t n) {
    if (n == 0) return;
    if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
    std::memcpy(bytes_.data() + position_, data, n);
    position_ += n;
  }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()); }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace zq
