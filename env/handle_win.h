#pragma once
// Owns a kernel handle and closes it.
#include <windows.h>

#include <utility>

namespace zq {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  void Reset() {
    if (*this) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace zq
