#include "http/socket_stream_win.h"

#include <cstdio>

#include "base/error.h"
#include "http/system_message_win.h"

namespace zq {

// The stream works on the socket in non-blocking mode: a transfer is tried
// at once and, when the socket is not ready, waited for with select() in
// 200 ms slices. Under Wine this needs one system call per ready block,
// against four for an overlapped read with its event, and no transfer is
// ever left in flight, so no buffer is written after Read or Write returned.
namespace {

constexpr int32_t kWaitSlice = 200;

[[noreturn]] void RefusedToStart(const char* op, int code) {
  throw ESocketError(std::string(op) + " error " + std::to_string(code) + ", " +
                     SystemMessage(static_cast<DWORD>(code)));
}

// Waits up to ms for the socket to become readable (or writable).
bool Ready(SOCKET s, bool write, int32_t ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(s, &failed);
  timeval t{ms / 1000, (ms % 1000) * 1000};
  return select(0, write ? nullptr : &set, write ? &set : nullptr, &failed, &t) > 0;
}

}  // namespace

WinSocketStream::WinSocketStream(SOCKET socket, int32_t timeout) : socket_(socket) {
  Timeout = timeout;
  u_long non_blocking = 1;
  if (ioctlsocket(socket_, FIONBIO, &non_blocking) == SOCKET_ERROR)
    throw ESocketError(SocketErrorText(WSAGetLastError(), "ioctlsocket"));
}

WinSocketStream::~WinSocketStream() {
  u_long blocking = 0;
  ioctlsocket(socket_, FIONBIO, &blocking);
}

int32_t WinSocketStream::Read(void* buffer, int32_t count) {
  int32_t waited = 0;
  for (;;) {
    const int n = recv(socket_, static_cast<char*>(buffer), count, 0);
    if (n >= 0) return n;
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK) {
      // A connection that broke reads as closed; only a refusal to start raises.
      if (code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAENETRESET) return 0;
      RefusedToStart("Read", code);
    }
    while (!Ready(socket_, false, kWaitSlice)) {
      WaitTick();
      waited += kWaitSlice;
      if (waited >= Timeout) return -1;
    }
  }
}

int32_t WinSocketStream::Write(const void* buffer, int32_t count) {
  const auto* p = static_cast<const char*>(buffer);
  int32_t sent = 0;
  const DWORD start = GetTickCount();
  while (sent < count) {
    const int n = send(socket_, p + sent, count - sent, 0);
    if (n > 0) {
      sent += n;
      continue;
    }
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK) {
      if (sent == 0 && code != WSAECONNRESET && code != WSAECONNABORTED) RefusedToStart("Write", code);
      char head[64];
      std::snprintf(head, sizeof head, "System Error.  Code: %d.\r\n", code);
      throw Error(head + SystemMessage(static_cast<DWORD>(code)));
    }
    const auto elapsed = static_cast<int32_t>(GetTickCount() - start);
    if (elapsed >= Timeout || !Ready(socket_, true, Timeout - elapsed)) return sent > 0 ? sent : -1;
  }
  return sent;
}

}  // namespace zq
