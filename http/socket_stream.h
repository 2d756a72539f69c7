#pragma once
// A blocking byte stream over a connected socket.
#include <cstdint>

#include "base/event_slot.h"

namespace zq {

class SocketStream {
 public:
  virtual ~SocketStream() = default;
  // Bytes received, 0 when the peer closed the connection, -1 when nothing
  // arrived within Timeout. The wait is made of 200 ms slices, each ending
  // without data calls WaitTick. Raises ESocketError when the system refuses
  // to start the read.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Bytes written, or -1 when the write did not complete within Timeout.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;

  int32_t Timeout = 0;     // milliseconds
  EventSlot<> WaitTick;    // called once per 200 ms slice of waiting
};

}  // namespace zq
