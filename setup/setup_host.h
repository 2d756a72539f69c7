#pragma once
// Everything the main sequence asks of the platform: the HTTP client, the
// setup window, the prompts, the folders, files and processes. The Windows
// program implements it over the real subsystems; tests use a fake.
#include <cstdint>
#include <optional>
#include <string>

#include "base/memory_stream.h"
#include "ui/run_state.h"

namespace zq {

struct LocalFiles;

class SetupHost {
 public:
  virtual ~SetupHost() = default;

  // The full path of the running program.
  virtual std::string ProgramPath() = 0;

  // HTTP client: replaces DefaultClient by a client for the address, with
  // the hourglass switched off.
  virtual void CreateClient(const std::string& address) = 0;
  virtual int32_t ClientPort() = 0;
  // time_limit_ms bounds the whole request (0: each transfer is bounded by
  // the client's SocketTimeout alone).
  virtual MemoryStream& Get(const std::string& path, uint32_t time_limit_ms) = 0;
  // A GET whose body must be exactly `length` bytes: a reply that announces
  // another length raises EUnexpectedLength (http/reply_reader.h) before its
  // body is read.
  virtual MemoryStream& GetExactly(const std::string& path, int64_t length) = 0;
  // Puts the window's progress handler into the client's OnProgress slot.
  virtual void InstallProgressHandler() = 0;

  // The setup window (created hidden) and its run state.
  virtual void CreateSetupWindow() = 0;
  virtual RunState& Window() = 0;
  virtual std::string WindowCaption() = 0;
  virtual void SetWindowCaption(const std::string& text) = 0;
  virtual void SetTitleOpe(const std::string& text) = 0;
  virtual void SetSetupText(const std::string& text) = 0;
  virtual void SetRestText(const std::string& text) = 0;
  virtual void ShowSetupWindow() = 0;
  virtual void SetBarMax(int32_t max) = 0;
  virtual int32_t BarMax() = 0;
  virtual void SetBarPosition(int32_t position) = 0;
  virtual void DisableCancelButton() = 0;
  virtual void PumpMessages() = 0;
  virtual uint32_t TickCount() = 0;
  virtual bool IsWin61Or62() = 0;
  virtual bool ConfirmStart() = 0;
  // The catch-all error box: the message, the window's caption, MB_OK.
  virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;

  // Folders, files, processes.
  virtual std::string GetDataFolder(int32_t port) = 0;
  virtual std::string GetExeFolder() = 0;
  virtual bool EnterInstallDir(const std::string& folder) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual void KillProcessesByPath(const std::string& path) = 0;
  virtual LocalFiles& Files() = 0;
  // True when both paths name the same existing file.
  virtual bool IsSameFile(const std::string& a, const std::string& b) = 0;
  virtual bool CopyFileOver(const std::string& from, const std::string& to) = 0;
  // Creates (or truncates) the file and writes the bytes in one call.
  // Returns -1 when the file can't be created, else the bytes written.
  virtual int64_t WriteNewFile(const std::string& path, const std::string& bytes) = 0;
  // The first max + 1 bytes of the file at most (so that a longer file
  // shows), or nothing when there is no such file; raises "Não foi possível
  // ler o arquivo: " and the path when it exists but can't be read.
  virtual std::optional<std::string> ReadSmallFile(const std::string& path, size_t max) = 0;
  // Saves the stream's bytes; raises "Cannot create file %s" or
  // "Stream write error".
  virtual void SaveToFile(const MemoryStream& stream, const std::string& path) = 0;
  virtual void ExtractCabinet(const std::string& folder, const std::string& cabName) = 0;
  // WinExec with SW_SHOW; its result.
  virtual uint32_t StartProgram(const std::string& commandLine) = 0;
};

}  // namespace zq
