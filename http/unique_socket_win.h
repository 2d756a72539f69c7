#pragma once
// Owns a WinSock socket and closes it.
#include <winsock2.h>

#include <utility>

namespace zq {

class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(SOCKET s) : s_(s) {}
  UniqueSocket(UniqueSocket&& o) noexcept : s_(std::exchange(o.s_, INVALID_SOCKET)) {}
  UniqueSocket& operator=(UniqueSocket&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.s_, INVALID_SOCKET));
    return *this;
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() { Reset(); }

  SOCKET Get() const { return s_; }
  explicit operator bool() const { return s_ != INVALID_SOCKET; }
  // Closes the socket held (its result ignored) and takes s.
  void Reset(SOCKET s = INVALID_SOCKET) {
    if (s_ != INVALID_SOCKET) closesocket(s_);
    s_ = s;
  }
  // Gives the socket up to the caller, who closes it.
  SOCKET Release() { return std::exchange(s_, INVALID_SOCKET); }

 private:
  SOCKET s_ = INVALID_SOCKET;
};

}  // namespace zq
