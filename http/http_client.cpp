#include "http/http_client.h"

#include <algorithm>

#include "base/error.h"
#include "http/http_address.h"
#include "http/http_request.h"
#include "http/transfer_check.h"

namespace zq {

const char kDefaultHost[] = "zqserver";

namespace {

constexpr char kSendFailed[] = "A tentativa de envio de dados pela rede falhou. Mensagem da rede: ";
constexpr char kCloseFailed[] = "A tentativa de encerramento da comunicação falhou. Mensagem da rede: ";
constexpr char kConnectTimedOut[] =
    "A tentativa de iniciar a comunicação pela rede falhou. O tempo de espera foi excedido.";
constexpr size_t kSendPiece = 4096;
constexpr uint32_t kConnectWaitStep = 400;
constexpr uint32_t kFirstConnectLimit = 2000;
constexpr uint32_t kSecondConnectLimit = 5000;

}  // namespace

TsHTTP::TsHTTP(const std::string& address, std::unique_ptr<HttpPlatform> platform) : socket_(std::move(platform)) {
  const HttpAddress a = ParseAddress(address);
  Host = a.host;
  Port = a.port;
  ProxyHost = a.proxy_host;
  ProxyPort = a.proxy_port;
  ReuseWindow = ProxyHost.empty() ? 600000 : 0;
  if (ProxyHost.empty())
    socket_->SetTarget(Host, Port);
  else
    socket_->SetTarget(ProxyHost, ProxyPort);
}

TsHTTP::~TsHTTP() { CloseConnection(); }

MemoryStream& TsHTTP::Get(const std::string& path, uint32_t time_limit_ms) {
  return Request(path, time_limit_ms, kAnyLength);
}

MemoryStream& TsHTTP::GetExactly(const std::string& path, int64_t expected_length) {
  return Request(path, 0, expected_length);
}

MemoryStream& TsHTTP::Request(const std::string& path, uint32_t time_limit_ms, int64_t expected_length) {
  const RequestDeadline deadline(*socket_, time_limit_ms);
  expected_length_ = expected_length;
  const bool hourglass = ShowHourglass;
  if (hourglass) socket_->ShowHourglass();
  try {
    socket_->ProcessMessages();
    Path = path;
    DoSocketHttpRequest(path, deadline);
  } catch (...) {
    if (hourglass) socket_->RestoreCursor();
    throw;
  }
  if (hourglass) socket_->RestoreCursor();
  return Response;
}

bool TsHTTP::CanReuseConnection() {
  if (!socket_->Active() || !stream_) return false;
  const uint32_t since = socket_->TickCount() - LastRequestTick;
  if (static_cast<int64_t>(since) > static_cast<int64_t>(ReuseWindow)) return false;
  return !socket_->HasPendingInput();
}

void TsHTTP::DoSocketHttpRequest(const std::string& path, const RequestDeadline& deadline) {
  const std::string request = BuildRequest(Host, path);
  if (!CanReuseConnection()) DoOpenSocket();
  LastRequestTick = socket_->TickCount();
  try {
    try {
      DoSend(request, deadline);
    } catch (const ESocketError& e) {
      throw Error(kSendFailed + std::string(e.what()));
    }
    stream_->WaitTick.Set(&TsHTTP::WaitTick, this);
    bool must_close;
    try {
      must_close = DoReceive(deadline);
    } catch (const ESocketError& e) {
      stream_->WaitTick.Clear();
      throw Error(kSendFailed + std::string(e.what()));
    } catch (...) {
      stream_->WaitTick.Clear();
      throw;
    }
    stream_->WaitTick.Clear();
    // A connection that the server closed, or that carries bytes beyond the
    // reply, cannot serve the next request.
    if (must_close) CloseConnection();
  } catch (...) {
    CloseConnection();
    throw;
  }
}

void TsHTTP::WaitTick(void* client) {
  auto* self = static_cast<TsHTTP*>(client);
  if (self->OnProgress.IsSet()) self->OnProgress(-999);
}

void TsHTTP::CloseConnection() noexcept {
  stream_.reset();
  try {
    if (socket_->Active()) socket_->Close();
  } catch (...) {
    // Already failing or finished: a failed close adds nothing the caller can act on.
  }
}

void TsHTTP::DoOpenSocket() {
  if (socket_->Active()) {
    stream_.reset();
    try {
      socket_->Close();
    } catch (const ESocketError& e) {
      throw Error(kCloseFailed + std::string(e.what()));
    }
  }
  try {
    try {
      OpenWithBoundedWait(kFirstConnectLimit);
    } catch (...) {
      OpenWithBoundedWait(kSecondConnectLimit);
    }
    if (!socket_->Active()) throw Error(kServerUnreachable);
    stream_ = socket_->CreateStream(SocketTimeout);
  } catch (...) {
    stream_.reset();
    throw Error(kServerUnreachable);
  }
}

void TsHTTP::OpenWithBoundedWait(uint32_t limit_ms) {
  const std::unique_ptr<ConnectWorker> worker = socket_->StartOpen();  // TOpenSocketThread
  uint32_t waited = 0;
  do {
    socket_->ProcessMessages();
    if (worker->WaitFor(kConnectWaitStep)) return;
    waited += kConnectWaitStep;
  } while (waited < limit_ms);
  worker->Abandon();
  throw Error(kConnectTimedOut);
}

void TsHTTP::DoSend(const std::string& request, const RequestDeadline& deadline) {
  RequestStream.SetPosition(0);
  RequestStream.Write(request.data(), request.size());
  stream_->Timeout = SocketTimeout;
  const size_t total = RequestStream.Position();
  try {
    for (size_t sent = 0; sent < total; sent += kSendPiece) {
      const auto piece = static_cast<int32_t>(std::min(kSendPiece, total - sent));
      stream_->Timeout = deadline.Cap(SocketTimeout);
      const int32_t r = stream_->Write(RequestStream.Data() + sent, piece);
      CheckTransfer(r, piece, "tdsSend");
      socket_->ProcessMessages();
    }
  } catch (const ESocketError& e) {
    throw CommunicationError(e);
  }
}

bool TsHTTP::DoReceive(const RequestDeadline& deadline) {
  ReplyReader reader(*stream_, BufferRec, Response, SocketTimeout, OnProgress, Host, Path, deadline);
  reader.ExpectLength(expected_length_);
  return reader.DoReceive();
}

}  // namespace zq
