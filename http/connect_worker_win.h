#pragma once
// TOpenSocketThread: the short-lived worker that opens the client socket
// (name lookup and a blocking connect), so that the main thread can keep
// pumping messages and give up after a bounded wait.
#include <winsock2.h>

#include <string>

namespace zq {

class TOpenSocketThread {
 public:
  // Created suspended over a socket made by the caller; the worker only
  // looks the name up and connects, so it does no loader or heap work that
  // a forced termination could leave half done.
  TOpenSocketThread(SOCKET socket, const std::string& host, int32_t port);
  ~TOpenSocketThread();
  TOpenSocketThread(const TOpenSocketThread&) = delete;
  TOpenSocketThread& operator=(const TOpenSocketThread&) = delete;

  void Start();
  // True when the thread ended within ms (or the wait failed).
  bool WaitFor(DWORD ms);
  void Terminate();

  bool Connected() const { return connected_; }
  // The failure the thread met, for the message box; empty when none.
  const std::string& Failure() const { return failure_; }

 private:
  static DWORD WINAPI Body(void* self);
  void Execute();

  std::string failure_;  // the exception caught by the thread
  SOCKET socket_;
  std::string host_;
  std::string port_;
  volatile bool connected_ = false;
  HANDLE thread_ = nullptr;
};

}  // namespace zq
