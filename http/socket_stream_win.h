#pragma once
// TWinSocketStream: the blocking stream over a connected socket: reads and
// writes with a timeout, waiting in 200 ms slices.
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
  SOCKET socket_;
};

}  // namespace zq
