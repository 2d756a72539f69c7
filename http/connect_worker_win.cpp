#include "http/connect_worker_win.h"

#include <ws2tcpip.h>

#include "base/error.h"
#include "http/system_message_win.h"

namespace zq {

TOpenSocketThread::TOpenSocketThread(SOCKET socket, const std::string& host, int32_t port)
    : socket_(socket), host_(host), port_(std::to_string(port)) {
  thread_ = CreateThread(nullptr, 0, &TOpenSocketThread::Body, this, CREATE_SUSPENDED, nullptr);
  if (!thread_) throw Error(SystemMessage(GetLastError()));
}

TOpenSocketThread::~TOpenSocketThread() {
  if (thread_) CloseHandle(thread_);
}

void TOpenSocketThread::Start() { ResumeThread(thread_); }

bool TOpenSocketThread::WaitFor(DWORD ms) { return WaitForSingleObject(thread_, ms) != WAIT_TIMEOUT; }

void TOpenSocketThread::Terminate() {
  TerminateThread(thread_, 1);
  WaitForSingleObject(thread_, INFINITE);
}

DWORD WINAPI TOpenSocketThread::Body(void* self) {
  static_cast<TOpenSocketThread*>(self)->Execute();
  return 0;
}

void TOpenSocketThread::Execute() {
  try {
    if (socket_ == INVALID_SOCKET) throw ESocketError(SocketErrorText(WSAENOTSOCK, "socket"));
    // An empty name would be looked up as this machine's own name.
    if (host_.empty()) throw ESocketError(SocketErrorText(WSAHOST_NOT_FOUND, "getaddrinfo"));
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host_.c_str(), port_.c_str(), &hints, &found);
    if (lookup != 0 || !found) throw ESocketError(SocketErrorText(lookup ? lookup : WSAHOST_NOT_FOUND, "getaddrinfo"));
    const int rc = connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen));
    const int code = rc == SOCKET_ERROR ? WSAGetLastError() : 0;
    freeaddrinfo(found);
    if (code != 0) throw ESocketError(SocketErrorText(code, "connect"));
    connected_ = true;
  } catch (const std::exception& e) {
    failure_ = e.what();
  }
}

}  // namespace zq
