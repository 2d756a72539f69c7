#pragma once
// A blocking byte stream over a connected socket.
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/event_slot.h"

namespace zq {

// The connection broke (reset or aborted) under a transfer. Unlike the
// peer's orderly close it tells that bytes may be missing. Its text is the
// refused-transfer form ("Read error 10054, ..."); a reader that does not
// tell it apart still fails with it as a socket error.
class EConnectionBroken : public ESocketError {
 public:
  using ESocketError::ESocketError;
};

// A socket error met while talking to the server, as the client reports it:
// "Erro na comunicação com o servidor.\r\r(" and the error's text and ")".
inline ESocketError CommunicationError(const ESocketError& e) {
  return ESocketError("Erro na comunicação com o servidor.\r\r(" + std::string(e.what()) + ")");
}

class SocketStream {
 public:
  virtual ~SocketStream() = default;
  // Bytes received, 0 when the peer closed the connection in order, -1 when
  // nothing arrived within Timeout. The wait is made of 200 ms slices, each
  // ending without data calls WaitTick. Raises EConnectionBroken when the
  // connection was reset or aborted, ESocketError when the system refuses to
  // start the read.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // The count, or -1 when the write did not complete within Timeout (also
  // when part of it was written). Raises EConnectionBroken when the
  // connection was reset or aborted.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;

  int32_t Timeout = 0;     // milliseconds
  EventSlot<> WaitTick;    // called once per 200 ms slice of waiting
};

}  // namespace zq
