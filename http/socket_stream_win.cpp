#include "http/socket_stream_win.h"

#include <cstdio>

#include "base/error.h"
#include "http/system_message_win.h"

namespace zq {

namespace {

constexpr DWORD kWaitSlice = 200;

[[noreturn]] void RefusedToStart(const char* op, int code) {
  throw ESocketError(std::string(op) + " error " + std::to_string(code) + ", " +
                     SystemMessage(static_cast<DWORD>(code)));
}

}  // namespace

WinSocketStream::WinSocketStream(SOCKET socket, int32_t timeout) : socket_(socket), event_(WSACreateEvent()) {
  Timeout = timeout;
  if (event_ == WSA_INVALID_EVENT) throw ESocketError(SocketErrorText(WSAGetLastError(), "WSACreateEvent"));
}

WinSocketStream::~WinSocketStream() {
  if (pending_) CancelAndAwait();
  WSACloseEvent(event_);
}

void WinSocketStream::Start() {
  overlapped_ = WSAOVERLAPPED{};
  WSAResetEvent(event_);
  overlapped_.hEvent = event_;
}

DWORD WinSocketStream::CancelAndAwait() {
  CancelIoEx(reinterpret_cast<HANDLE>(socket_), &overlapped_);
  DWORD moved = 0;
  DWORD flags = 0;
  if (!WSAGetOverlappedResult(socket_, &overlapped_, &moved, TRUE, &flags)) moved = 0;
  pending_ = false;
  return moved;
}

int32_t WinSocketStream::Read(void* buffer, int32_t count) {
  WSABUF piece{static_cast<ULONG>(count), static_cast<char*>(buffer)};
  DWORD flags = 0;
  Start();
  if (WSARecv(socket_, &piece, 1, nullptr, &flags, &overlapped_, nullptr) == SOCKET_ERROR) {
    const int code = WSAGetLastError();
    if (code != WSA_IO_PENDING) RefusedToStart("Read", code);
  }
  pending_ = true;
  int32_t waited = 0;
  while (WaitForSingleObject(event_, kWaitSlice) != WAIT_OBJECT_0) {
    try {
      WaitTick();
    } catch (...) {
      CancelAndAwait();
      throw;
    }
    waited += static_cast<int32_t>(kWaitSlice);
    if (waited >= Timeout) {
      // Bytes that arrived while the cancel was under way are the read's result.
      const DWORD moved = CancelAndAwait();
      return moved > 0 ? static_cast<int32_t>(moved) : -1;
    }
  }
  pending_ = false;
  DWORD got = 0;
  if (!WSAGetOverlappedResult(socket_, &overlapped_, &got, FALSE, &flags)) return 0;
  return static_cast<int32_t>(got);
}

int32_t WinSocketStream::Write(const void* buffer, int32_t count) {
  WSABUF piece{static_cast<ULONG>(count), const_cast<char*>(static_cast<const char*>(buffer))};
  Start();
  if (WSASend(socket_, &piece, 1, nullptr, 0, &overlapped_, nullptr) == SOCKET_ERROR) {
    const int code = WSAGetLastError();
    if (code != WSA_IO_PENDING) RefusedToStart("Write", code);
  }
  pending_ = true;
  if (WaitForSingleObject(event_, static_cast<DWORD>(Timeout < 0 ? 0 : Timeout)) != WAIT_OBJECT_0) {
    const DWORD moved = CancelAndAwait();
    return moved > 0 ? static_cast<int32_t>(moved) : -1;
  }
  pending_ = false;
  DWORD sent = 0;
  DWORD flags = 0;
  if (!WSAGetOverlappedResult(socket_, &overlapped_, &sent, FALSE, &flags)) {
    const int code = WSAGetLastError();
    char head[64];
    std::snprintf(head, sizeof head, "System Error.  Code: %d.\r\n", code);
    throw Error(head + SystemMessage(static_cast<DWORD>(code)));
  }
  return static_cast<int32_t>(sent);
}

}  // namespace zq
