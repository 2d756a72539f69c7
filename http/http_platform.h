#pragma once
// What the client needs from the platform: the client socket with its
// connect worker, the socket stream, the message pump, the tick count and
// the hourglass cursor.
#include <cstdint>
#include <memory>
#include <string>

#include "http/request_deadline.h"
#include "http/socket_stream.h"

namespace zq {

// One connect attempt running on a worker thread (TOpenSocketThread).
class ConnectWorker {
 public:
  virtual ~ConnectWorker() = default;
  // Waits up to ms for the worker to end. True when it ended (connected or
  // not) or the wait itself failed; a failure the worker met is shown to the
  // user (box captioned "Erro") on the calling thread before returning.
  virtual bool WaitFor(uint32_t ms) = 0;
  // Stops waiting for the worker: it closes its socket and ends by itself,
  // and its failure, if any, is never shown.
  virtual void Abandon() = 0;
};

class HttpPlatform : public TickClock {
 public:
  virtual ~HttpPlatform() = default;

  // The client socket's fixed target; no I/O.
  virtual void SetTarget(const std::string& host, int32_t port) = 0;
  // True from a successful open until Close.
  virtual bool Active() const = 0;
  // Closes the client socket; raises ESocketError when the system refuses.
  virtual void Close() = 0;
  // Starts a worker that opens the client socket (name lookup and connect).
  virtual std::unique_ptr<ConnectWorker> StartOpen() = 0;
  // A stream over the open socket; the client frees it before Close.
  virtual std::unique_ptr<SocketStream> CreateStream(int32_t timeout) = 0;
  // Zero-timeout readability probe of the open socket.
  virtual bool HasPendingInput() = 0;

  virtual void ProcessMessages() = 0;
  virtual void ShowHourglass() = 0;     // remembers the cursor, shows the hourglass
  virtual void RestoreCursor() = 0;     // back to the remembered cursor
};

}  // namespace zq
