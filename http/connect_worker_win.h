#pragma once
// TOpenSocketThread: the short-lived worker that opens the client socket
// (name lookup and connect), so that the main thread can keep pumping
// messages and give up after a bounded wait.
//
// The worker is never killed: a thread ended by force may hold the heap or
// the loader lock (a name lookup loads code). The thread and the waiting
// side share a context that counts its owners; the thread owns the socket
// until it ends. A waiting side that gives up marks the context abandoned
// and lets go of it; the thread then closes the socket, frees the context
// and ends by itself.
#include <winsock2.h>

#include <atomic>
#include <string>

#include "env/handle_win.h"

namespace zq {

class TOpenSocketThread {
 public:
  // Created suspended; takes over the socket made by the caller.
  TOpenSocketThread(SOCKET socket, const std::string& host, int32_t port);
  // Abandons a thread still running.
  ~TOpenSocketThread();
  TOpenSocketThread(const TOpenSocketThread&) = delete;
  TOpenSocketThread& operator=(const TOpenSocketThread&) = delete;

  void Start();
  // True when the thread ended within ms (or the wait failed).
  bool WaitFor(DWORD ms);
  // Stops waiting; the thread ends by itself and closes its socket.
  void Abandon();

  // After the thread ended: the connected socket, handed over to the
  // caller; INVALID_SOCKET when it did not connect.
  SOCKET TakeSocket();
  // After the thread ended: the failure it met, for the message box; empty
  // when none.
  const std::string& Failure() const;

 private:
  struct Context;
  static DWORD WINAPI Body(void* context);

  Context* context_;  // one of its owners, until abandoned
  UniqueHandle thread_;
  bool started_ = false;
  bool ended_ = false;
};

}  // namespace zq
