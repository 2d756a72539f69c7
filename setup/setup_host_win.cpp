#include "setup/setup_host_win.h"

#include <windows.h>

#include "base/error.h"
#include "env/cabinet_win.h"
#include "env/file_version_win.h"
#include "env/folders_win.h"
#include "env/handle_win.h"
#include "env/processes_win.h"
#include "http/http_client.h"
#include "http/http_platform_win.h"
#include "setup/app_shell_win.h"
#include "setup/run_globals.h"
#include "setup/site_contract.h"
#include "ui/application_win.h"
#include "ui/download_progress_win.h"
#include "ui/mode_texts.h"
#include "ui/prompts_win.h"
#include "ui/setup_window_win.h"

namespace zq {

namespace {

// Identity of an open file: volume and file index.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  UniqueHandle f(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return f && GetFileInformationByHandle(f.Get(), &info);
}

}  // namespace

WinSetupHost::WinSetupHost() = default;
WinSetupHost::~WinSetupHost() = default;

std::string WinSetupHost::ProgramPath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

void WinSetupHost::CreateClient(const std::string& address) {
  DefaultClient = std::make_unique<TsHTTP>(address, MakeWinHttpPlatform(AppHttpShell()));
  DefaultClient->ShowHourglass = false;
}

int32_t WinSetupHost::ClientPort() { return DefaultClient->Port; }

MemoryStream& WinSetupHost::Get(const std::string& path, uint32_t time_limit_ms) {
  return DefaultClient->Get(path, time_limit_ms);
}

MemoryStream& WinSetupHost::GetExactly(const std::string& path, int64_t length) {
  return DefaultClient->GetExactly(path, length);
}

void WinSetupHost::InstallProgressHandler() { DefaultClient->OnProgress.Set(&DownloadProgress, window_); }

void WinSetupHost::CreateSetupWindow() { window_ = TfmSetupZQ::Create(); }

RunState& WinSetupHost::Window() { return *window_; }

std::string WinSetupHost::WindowCaption() {
  return window_ ? window_->Caption() : std::string(ModeCaption(true));
}
void WinSetupHost::SetWindowCaption(const std::string& t) { window_->SetCaption(t); }
void WinSetupHost::SetTitleOpe(const std::string& t) { window_->SetTitleOpe(t); }
void WinSetupHost::SetSetupText(const std::string& t) { window_->SetSetupText(t); }
void WinSetupHost::SetRestText(const std::string& t) { window_->SetRestText(t); }
void WinSetupHost::ShowSetupWindow() { window_->ShowAndBringToFront(); }
void WinSetupHost::SetBarMax(int32_t m) { window_->SetBarMax(m); }
int32_t WinSetupHost::BarMax() { return window_->BarMax(); }
void WinSetupHost::SetBarPosition(int32_t p) { window_->SetBarPosition(p); }
void WinSetupHost::DisableCancelButton() { window_->DisableCancelButton(); }
void WinSetupHost::PumpMessages() { app::ProcessMessages(); }
uint32_t WinSetupHost::TickCount() { return GetTickCount(); }
bool WinSetupHost::IsWin61Or62() { return zq::IsWin61Or62(); }
bool WinSetupHost::ConfirmStart() { return zq::ConfirmStart(InstallMode, TotalBytes); }

void WinSetupHost::ShowErrorBox(const std::string& text, const std::string& caption) {
  app::MessageBox(text, caption, MB_OK);
}

std::string WinSetupHost::GetDataFolder(int32_t port) { return zq::GetDataFolder(port); }
std::string WinSetupHost::GetExeFolder() { return zq::GetExeFolder(); }
bool WinSetupHost::EnterInstallDir(const std::string& folder) { return zq::EnterInstallDir(folder, AppShowBox()); }

bool WinSetupHost::FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WinSetupHost::KillProcessesByPath(const std::string& path) { zq::KillProcessesByPath(path); }

LocalFiles& WinSetupHost::Files() { return files_; }

bool WinSetupHost::IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!FileIdentity(a, ia) || !FileIdentity(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

bool WinSetupHost::CopyFileOver(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

int64_t WinSetupHost::WriteNewFile(const std::string& path, const std::string& bytes) {
  UniqueHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return -1;
  DWORD written = 0;
  if (!WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return 0;
  return written;
}

std::optional<std::string> WinSetupHost::ReadSmallFile(const std::string& path, size_t max) {
  UniqueHandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw Error("Não foi possível ler o arquivo: " + path);
  }
  std::string bytes(max + 1, '\0');
  DWORD read = 0;
  if (!ReadFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    throw Error("Não foi possível ler o arquivo: " + path);
  bytes.resize(read);
  return bytes;
}

void WinSetupHost::SaveToFile(const MemoryStream& stream, const std::string& path) {
  UniqueHandle f(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw Error("Cannot create file " + path);
  const uint8_t* p = stream.Data();
  size_t left = stream.Size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
    DWORD written = 0;
    if (!WriteFile(f.Get(), p, chunk, &written, nullptr) || written != chunk) {
      // A cabinet cut short by a full disk is of no use, and its space is
      // better given back.
      f.Reset();
      DeleteFileA(path.c_str());
      throw Error("Stream write error");
    }
    p += written;
    left -= written;
  }
}

void WinSetupHost::ExtractCabinet(const std::string& folder, const std::string& cabName) {
  zq::ExtractCabinet(folder, cabName, CheckCabinetMember);
}

uint32_t WinSetupHost::StartProgram(const std::string& commandLine) {
  return WinExec(commandLine.c_str(), SW_SHOW);
}

}  // namespace zq
