#include "http/socket_stream_win.h"

#include "base/error.h"
#include "env/os_error_win.h"
#include "http/socket_error_win.h"

namespace zq {

// The stream works on the socket in non-blocking mode: a transfer is tried
// at once and, when the socket is not ready, waited for with select() in
// 200 ms slices. Under Wine this needs one system call per ready block,
// against four for an overlapped read with its event, and no transfer is
// ever left in flight, so no buffer is written after Read or Write returned.
namespace {

constexpr int32_t kWaitSlice = 200;

std::string TransferErrorText(const char* op, int code) {
  return std::string(op) + " error " + std::to_string(code) + ", " + SystemMessage(static_cast<DWORD>(code));
}

bool IsBroken(int code) { return code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAENETRESET; }

// Waits up to ms for the socket to become readable (or writable). The
// exception set is left out: on Windows a pending urgent byte keeps it
// signalled while recv has nothing to give, and the wait would return at
// once, again and again. A reset or closed connection shows as readable
// (and writable), so nothing is missed.
bool Ready(SOCKET s, bool write, int32_t ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval t{ms / 1000, (ms % 1000) * 1000};
  return select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &t) > 0;
}

// Milliseconds since start, by the tick count.
int64_t Since(DWORD start) { return static_cast<int64_t>(static_cast<DWORD>(GetTickCount() - start)); }

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
  // The waited time is counted by the slices and by the clock, so that a
  // readiness that yields nothing can never hold the read past Timeout. The
  // time spent inside WaitTick (the progress handler, which may hold a
  // prompt open) is no waiting for data and is not counted.
  const DWORD start = GetTickCount();
  int64_t in_hook = 0;
  int32_t waited = 0;
  const auto waited_by_clock = [&] { return Since(start) - in_hook; };
  for (;;) {
    const int n = recv(socket_, static_cast<char*>(buffer), count, 0);
    if (n >= 0) return n;
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK) {
      if (IsBroken(code)) throw EConnectionBroken(TransferErrorText("Read", code));
      throw ESocketError(TransferErrorText("Read", code));
    }
    while (!Ready(socket_, false, kWaitSlice)) {
      const DWORD hook_start = GetTickCount();
      WaitTick();
      in_hook += Since(hook_start);
      waited += kWaitSlice;
      if (waited >= Timeout || waited_by_clock() >= Timeout) return -1;
    }
    if (waited_by_clock() >= Timeout) return -1;
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
      if (IsBroken(code)) throw EConnectionBroken(TransferErrorText("Write", code));
      if (sent == 0) throw ESocketError(TransferErrorText("Write", code));
      throw Error(SystemErrorHead(code) + SystemMessage(static_cast<DWORD>(code)));
    }
    // A write that did not complete in time failed, however much of it went.
    const int64_t elapsed = Since(start);
    if (elapsed >= Timeout || !Ready(socket_, true, static_cast<int32_t>(Timeout - elapsed))) return -1;
  }
  return sent;
}

}  // namespace zq
