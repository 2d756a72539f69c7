#include "env/folders_win.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "base/error.h"
#include "env/path_text.h"

namespace zq {

namespace {

constexpr DWORD kPathChars = MAX_PATH + 1;  // 261

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct ItemIdList {
  LPITEMIDLIST pidl = nullptr;
  ~ItemIdList() { CoTaskMemFree(pidl); }
};

}  // namespace

std::string GetDocumentsFolder() {
  ItemIdList item;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &item.pidl)) || item.pidl == nullptr)
    return std::string();
  char buffer[kPathChars] = {};
  if (!SHGetPathFromIDListA(item.pidl, buffer)) return std::string();
  std::string path(buffer, strnlen(buffer, kPathChars));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string GetDataFolder(int32_t port) {
  const std::string documents = GetDocumentsFolder();
  if (documents.empty())
    throw Error("Não foi possível localizar a pasta de documentos do usuário");
  const std::string path = DataFolderPath(documents, port);
  if (IsDirectory(path)) return path;
  for (const std::string& folder : FolderChain(path)) {
    if (IsDirectory(folder)) continue;
    if (!CreateDirectoryA(folder.c_str(), nullptr) && !IsDirectory(folder))
      throw Error("Não foi possível criar a pasta: " + path);
  }
  return path;
}

std::string GetExeFolder() {
  char buffer[kPathChars] = {};
  const DWORD n = GetModuleFileNameA(nullptr, buffer, kPathChars);
  if (n == 0 || n >= kPathChars)
    throw Error("Caminho do programa longo demais (mais de 259 caracteres) ou ilegível");
  return ExtractFolder(std::string(buffer, n));
}

bool EnterInstallDir(const std::string& installDir, const ShowBox& showBox) {
  if (SetCurrentDirectoryA(installDir.c_str())) return true;
  if (!CreateDirectoryA(installDir.c_str(), nullptr)) {
    showBox("Não foi possível acessar o seu HD [002]", "Erro");
    return false;
  }
  SetCurrentDirectoryA(installDir.c_str());
  return true;
}

}  // namespace zq
