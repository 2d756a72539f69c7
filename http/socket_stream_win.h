#pragma once
// TWinSocketStream: the blocking stream over a connected socket, made of
// overlapped reads and writes completed through an event.
#include <winsock2.h>

#include "http/socket_stream.h"

namespace zq {

class WinSocketStream : public SocketStream {
 public:
  // The socket stays owned by the caller and must outlive the stream.
  WinSocketStream(SOCKET socket, int32_t timeout);
  ~WinSocketStream() override;
  WinSocketStream(const WinSocketStream&) = delete;
  WinSocketStream& operator=(const WinSocketStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  // Cancels the transfer in flight and waits for its completion, so that
  // neither its buffer nor the event is touched afterwards. Returns the
  // bytes it moved before the cancel took hold.
  DWORD CancelAndAwait();
  void Start();

  SOCKET socket_;
  WSAEVENT event_;
  WSAOVERLAPPED overlapped_{};
  bool pending_ = false;
};

}  // namespace zq
