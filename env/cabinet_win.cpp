#include "env/cabinet_win.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <exception>

#include "base/error.h"
#include "env/os_error_win.h"
#include "env/reserved_name.h"
#include "env/safe_name.h"

namespace zq {

namespace {

constexpr size_t kMaxPathText = MAX_PATH - 1;  // 259 characters and the NUL
constexpr int kAttempts = 4;
constexpr DWORD kRetryPauseMs = 2000;
// The error code the callback hands back to abort the iteration.
constexpr DWORD kCallbackAborted = ERROR_OPERATION_ABORTED;

void CopyText(char (&buffer)[MAX_PATH], const std::string& text) {
  std::memcpy(buffer, text.c_str(), text.size() + 1);  // callers checked the length
}

UINT OnFileInCabinet(CabinetExtraction& x, FILE_IN_CABINET_INFO_A& info) {
  const std::string name = info.NameInCabinet ? info.NameInCabinet : "";
  if (!IsSafeRelativeName(name))
    throw Error("Nome de arquivo inválido dentro do arquivo compactado (fora da pasta de instalação): \"" +
                name + "\"");
  if (IsReservedCabinetMember(name))
    throw Error("Nome de arquivo reservado ao programa de instalação dentro do arquivo compactado: \"" + name + "\"");
  // Each file goes to the folder followed by its own name.
  const std::string target = x.folder + name;
  if (target.size() > kMaxPathText)
    throw Error("Caminho de destino longo demais (mais de 259 caracteres): " + target);
  // The setup library may write over an existing file without truncating it
  // (Wine does), which would leave the old file's tail behind: remove it
  // first. A file that can't be removed is left to the extraction to report.
  DeleteFileA(target.c_str());
  CopyText(info.FullTargetName, target);
  CopyText(x.TargetBuffer, name);
  x.written.push_back(target);
  x.attempt_files.push_back({target, info.FileSize});
  return FILEOP_DOIT;
}

// A file of the attempt that is not as long as the cabinet says: Wine's
// setup library reports success when a write fails (a full disk), so every
// file is measured. Gives the message for the first one found, or "".
std::string ShortFileMessage(const CabinetExtraction& x) {
  for (const CabinetExtraction::Target& t : x.attempt_files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool found = GetFileAttributesExA(t.path.c_str(), GetFileExInfoStandard, &data) != 0;
    const uint64_t size = found ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) : 0;
    if (!found || size != t.size)
      return "Arquivo incompleto depois da extração: " + t.path + " (" + std::to_string(size) + " de " +
             std::to_string(t.size) + " bytes)";
  }
  return "";
}

}  // namespace

UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  CabinetExtraction& x = *static_cast<CabinetExtraction*>(context);
  // No exception may unwind through the setup library's frames: keep it, and
  // make the library stop with an error.
  try {
    switch (notification) {
      case SPFILENOTIFY_CABINETINFO:
      case SPFILENOTIFY_NEEDNEWCABINET:
      case SPFILENOTIFY_FILEEXTRACTED:
        return NO_ERROR;
      case SPFILENOTIFY_FILEINCABINET:
        return OnFileInCabinet(x, *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1));
      default:
        throw Error("SP_FILE_CALLBACK - Notification '" + std::to_string(notification) + "' unexpected");
    }
  } catch (...) {
    x.failure = std::current_exception();
  }
  SetLastError(kCallbackAborted);
  return notification == SPFILENOTIFY_FILEINCABINET ? FILEOP_ABORT : kCallbackAborted;
}

std::string ExtractCabinet(const std::string& folder, const std::string& cabName) {
  if (folder.size() > kMaxPathText)
    throw Error("Arquivo: " + folder + cabName + " => \r\rCaminho da pasta longo demais (mais de 259 caracteres)");
  CabinetExtraction x;
  x.folder = folder;
  const std::string cabinet = folder + cabName;
  try {
    for (int attempt = 1;; ++attempt) {
      CopyText(x.TargetBuffer, folder);
      x.attempt_files.clear();
      const BOOL ok = SetupIterateCabinetA(cabinet.c_str(), 0, CabinetFileCallback, &x);
      const DWORD code = GetLastError();
      if (x.failure) std::rethrow_exception(x.failure);
      // A short file counts as a failed attempt: the space may come back.
      const std::string short_file = ok ? ShortFileMessage(x) : "";
      if (ok && short_file.empty()) break;
      if (attempt == kAttempts) throw Error(ok ? short_file : SystemErrorMessage(code));
      Sleep(kRetryPauseMs);
    }
  } catch (const std::exception& e) {
    // A cabinet that could not be extracted whole leaves no file of its own
    // behind: what a broken cabinet or a full disk wrote is no file to keep
    // (Wine reports a file cut short as extracted, so none is trusted). A
    // file held open by another program can't be removed and stays as it was.
    for (const std::string& path : x.written) DeleteFileA(path.c_str());
    throw Error("Arquivo: " + cabinet + " => " + x.TargetBuffer + "\r\r" + e.what());
  }
  return folder + x.TargetBuffer;
}

}  // namespace zq
