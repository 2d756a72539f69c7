#include "http/connect_worker_win.h"

#include <ws2tcpip.h>

#include "base/error.h"
#include "env/os_error_win.h"
#include "http/socket_error_win.h"

namespace zq {

struct TOpenSocketThread::Context {
  SOCKET socket;
  std::string host;
  std::string port;
  std::string failure;  // the exception caught by the thread
  std::atomic<bool> abandoned{false};
  std::atomic<int> owners{2};  // the thread and the waiting side

  ~Context() {
    if (socket != INVALID_SOCKET) closesocket(socket);
  }
  void Release() {
    if (owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  void Execute();
  void Connect(const addrinfo& target);
};

namespace {

// How often a connecting worker looks whether it was abandoned.
constexpr long kAbandonCheck = 100;  // ms

}  // namespace

TOpenSocketThread::TOpenSocketThread(SOCKET socket, const std::string& host, int32_t port)
    : context_(new Context{socket, host, std::to_string(port), {}}) {
  thread_ = UniqueHandle(CreateThread(nullptr, 0, &TOpenSocketThread::Body, context_, CREATE_SUSPENDED, nullptr));
  if (!thread_) {
    const DWORD code = GetLastError();
    delete context_;
    throw Error(SystemMessage(code));
  }
}

TOpenSocketThread::~TOpenSocketThread() {
  if (!ended_) Abandon();
  if (context_) context_->Release();
  if (!started_) ResumeThread(thread_.Get());  // to see it was abandoned and end
}

void TOpenSocketThread::Start() {
  started_ = true;
  ResumeThread(thread_.Get());
}

bool TOpenSocketThread::WaitFor(DWORD ms) {
  const DWORD r = WaitForSingleObject(thread_.Get(), ms);
  if (r == WAIT_TIMEOUT) return false;
  if (r == WAIT_OBJECT_0)
    ended_ = true;
  else
    Abandon();  // a failed wait ends the attempt, unconnected
  return true;
}

void TOpenSocketThread::Abandon() {
  if (!context_) return;
  context_->abandoned = true;
  context_->Release();
  context_ = nullptr;
  ended_ = true;
}

SOCKET TOpenSocketThread::TakeSocket() {
  if (!context_) return INVALID_SOCKET;
  const SOCKET s = context_->socket;
  context_->socket = INVALID_SOCKET;
  return s;
}

const std::string& TOpenSocketThread::Failure() const {
  static const std::string none;
  return context_ ? context_->failure : none;
}

DWORD WINAPI TOpenSocketThread::Body(void* context) {
  auto* c = static_cast<Context*>(context);
  c->Execute();
  c->Release();
  return 0;
}

void TOpenSocketThread::Context::Execute() {
  if (abandoned) return;
  try {
    if (socket == INVALID_SOCKET) throw ESocketError(SocketErrorText(WSAENOTSOCK, "socket"));
    // An empty name would be looked up as this machine's own name.
    if (host.empty()) throw ESocketError(SocketErrorText(WSAHOST_NOT_FOUND, "getaddrinfo"));
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (lookup != 0 || !found) throw ESocketError(SocketErrorText(lookup ? lookup : WSAHOST_NOT_FOUND, "getaddrinfo"));
    if (abandoned) {
      freeaddrinfo(found);
      return;  // the context's end closes the socket
    }
    try {
      Connect(*found);
    } catch (...) {
      freeaddrinfo(found);
      throw;
    }
    freeaddrinfo(found);
  } catch (const std::exception& e) {
    failure = e.what();
    if (socket != INVALID_SOCKET) closesocket(socket);
    socket = INVALID_SOCKET;
  }
}

// A non-blocking connect, waited for in short steps so that an abandoned
// worker stops at once; the socket is blocking again afterwards.
void TOpenSocketThread::Context::Connect(const addrinfo& target) {
  u_long non_blocking = 1;
  if (ioctlsocket(socket, FIONBIO, &non_blocking) == SOCKET_ERROR)
    throw ESocketError(SocketErrorText(WSAGetLastError(), "ioctlsocket"));
  int code = 0;
  if (connect(socket, target.ai_addr, static_cast<int>(target.ai_addrlen)) == SOCKET_ERROR) {
    code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK) throw ESocketError(SocketErrorText(code, "connect"));
    code = 0;
    for (;;) {
      if (abandoned) return;  // the context's end closes the socket
      fd_set done;
      FD_ZERO(&done);
      FD_SET(socket, &done);
      fd_set failed;
      FD_ZERO(&failed);
      FD_SET(socket, &failed);
      timeval step{0, kAbandonCheck * 1000};
      const int ready = select(0, nullptr, &done, &failed, &step);
      if (ready == SOCKET_ERROR) throw ESocketError(SocketErrorText(WSAGetLastError(), "select"));
      if (ready == 0) continue;
      // A connect that failed keeps its error in SO_ERROR; the exception set
      // says so too.
      int len = sizeof code;
      if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &len) == SOCKET_ERROR)
        code = WSAGetLastError();
      if (code == 0 && FD_ISSET(socket, &failed)) code = WSAECONNREFUSED;
      break;
    }
  }
  if (code != 0) throw ESocketError(SocketErrorText(code, "connect"));
  u_long blocking = 0;
  if (ioctlsocket(socket, FIONBIO, &blocking) == SOCKET_ERROR)
    throw ESocketError(SocketErrorText(WSAGetLastError(), "ioctlsocket"));
}

}  // namespace zq
