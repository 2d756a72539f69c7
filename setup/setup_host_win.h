#pragma once
// The Windows program's SetupHost: the real client, window, prompts,
// folders, files and processes.
#include "env/local_files_win.h"
#include "setup/setup_host.h"

namespace zq {

class TfmSetupZQ;

class WinSetupHost final : public SetupHost {
 public:
  WinSetupHost();
  ~WinSetupHost() override;

  std::string ProgramPath() override;
  void CreateClient(const std::string& address) override;
  int32_t ClientPort() override;
  MemoryStream& Get(const std::string& path, uint32_t time_limit_ms) override;
  MemoryStream& GetExactly(const std::string& path, int64_t length) override;
  void InstallProgressHandler() override;
  void CreateSetupWindow() override;
  RunState& Window() override;
  std::string WindowCaption() override;
  void SetWindowCaption(const std::string& text) override;
  void SetTitleOpe(const std::string& text) override;
  void SetSetupText(const std::string& text) override;
  void SetRestText(const std::string& text) override;
  void ShowSetupWindow() override;
  void SetBarMax(int32_t max) override;
  int32_t BarMax() override;
  void SetBarPosition(int32_t position) override;
  void DisableCancelButton() override;
  void PumpMessages() override;
  uint32_t TickCount() override;
  bool IsWin61Or62() override;
  bool ConfirmStart() override;
  void ShowErrorBox(const std::string& text, const std::string& caption) override;
  std::string GetDataFolder(int32_t port) override;
  std::string GetExeFolder() override;
  bool EnterInstallDir(const std::string& folder) override;
  bool FileExists(const std::string& path) override;
  void KillProcessesByPath(const std::string& path) override;
  LocalFiles& Files() override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  bool CopyFileOver(const std::string& from, const std::string& to) override;
  int64_t WriteNewFile(const std::string& path, const std::string& bytes) override;
  std::optional<std::string> ReadSmallFile(const std::string& path, size_t max) override;
  void SaveToFile(const MemoryStream& stream, const std::string& path) override;
  void ExtractCabinet(const std::string& folder, const std::string& cabName) override;
  uint32_t StartProgram(const std::string& commandLine) override;

 private:
  TfmSetupZQ* window_ = nullptr;
  WinLocalFiles files_;
};

}  // namespace zq
