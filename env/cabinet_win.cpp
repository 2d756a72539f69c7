#include "env/cabinet_win.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>
#include <exception>
#include <optional>

#include "base/error.h"
#include "env/cabinet_check.h"
#include "env/entry_name_win.h"
#include "env/handle_win.h"
#include "env/os_error_win.h"
#include "env/safe_name.h"
#include "env/setup_library_win.h"

namespace zq {

namespace {

constexpr size_t kMaxPathText = MAX_PATH - 1;  // 259 characters and the NUL
constexpr int kAttempts = 4;
constexpr DWORD kRetryPauseMs = 2000;
// The error code the callback hands back to abort the iteration.
constexpr DWORD kCallbackAborted = ERROR_OPERATION_ABORTED;
// How much of the cabinet's head is read to judge its layout.
constexpr DWORD kHeadBytes = 64 * 1024;
// Names tried for one temporary before giving up.
constexpr unsigned kTemporaryTries = 10000;

void CopyText(char (&buffer)[MAX_PATH], const std::string& text) {
  std::memcpy(buffer, text.c_str(), text.size() + 1);  // callers checked the length
}

void CheckPathLength(const std::string& path) {
  if (path.size() > kMaxPathText) throw Error("Caminho de destino longo demais (mais de 259 caracteres): " + path);
}

// A fresh, empty file beside the target for the library to write into. The
// library may write over an existing file without truncating it (Wine does),
// which would leave an old tail behind: a file made new here has none. When
// the file can't be made (a full disk), the name is still handed on and the
// library's write fails the attempt.
std::string MakeTemporary(CabinetExtraction& x, const std::string& target) {
  const size_t sep = target.find_last_of("\\/");
  const std::string dir = target.substr(0, sep + 1);
  for (unsigned tries = 0; tries < kTemporaryTries; ++tries) {
    const std::string path = dir + "~zq" + std::to_string(++x.temporaries_made) + ".tmp";
    CheckPathLength(path);
    const UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD code = GetLastError();
    if (file || (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)) return path;
  }
  throw Error("Não foi possível criar um arquivo temporário em " + dir);
}

UINT OnFileInCabinet(CabinetExtraction& x, FILE_IN_CABINET_INFO_A& info) {
  const std::string name = info.NameInCabinet ? info.NameInCabinet : "";
  if (!IsSafeRelativeName(name))
    throw Error("Nome de arquivo inválido dentro do arquivo compactado (fora da pasta de instalação): \"" +
                name + "\"");
  if (x.check_member) x.check_member(name);
  // Each file goes to the folder followed by its own name.
  const std::string target = x.folder + name;
  CheckPathLength(target);
  // A short alias (BEMAFI~1.DLL) would replace the file whose long name it
  // stands for: only a file's own name reaches it.
  if (const std::optional<std::string> found = FoundEntryName(target); found && IsAliasOfOtherEntry(name, *found))
    throw Error("Nome de arquivo dentro do arquivo compactado designa outro arquivo (" + *found + "): \"" + name +
                "\"");
  const std::string temporary = MakeTemporary(x, target);
  CopyText(info.FullTargetName, temporary);
  CopyText(x.TargetBuffer, name);
  x.attempt_files.push_back({temporary, target, info.FileSize});
  return FILEOP_DOIT;
}

// A file of the attempt that is not as long as the cabinet says: Wine's
// setup library reports success when a write fails (a full disk), so every
// file is measured. Gives the message for the first one found, or "".
std::string ShortFileMessage(const CabinetExtraction& x) {
  for (const CabinetExtraction::Target& t : x.attempt_files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool found = GetFileAttributesExA(t.temporary.c_str(), GetFileExInfoStandard, &data) != 0;
    const uint64_t size = found ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) : 0;
    if (!found || size != t.size)
      return "Arquivo incompleto depois da extração: " + t.path + " (" + std::to_string(size) + " de " +
             std::to_string(t.size) + " bytes)";
  }
  return "";
}

// Puts every whole temporary in its target's place, each in one step. Gives
// the system's message for the first target that can't be replaced (held
// open by another program, read-only), or "".
std::string ReplaceTargets(CabinetExtraction& x) {
  for (const CabinetExtraction::Target& t : x.attempt_files) {
    if (!MoveFileExA(t.temporary.c_str(), t.path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      const DWORD code = GetLastError();
      CopyText(x.TargetBuffer, t.path.substr(x.folder.size()));
      return SystemErrorMessage(code);
    }
  }
  return "";
}

// What an attempt leaves behind when it fails: its temporaries, and nothing
// else. (A temporary already moved into place is gone from its name.)
void RemoveTemporaries(CabinetExtraction& x) {
  for (const CabinetExtraction::Target& t : x.attempt_files) DeleteFileA(t.temporary.c_str());
  x.attempt_files.clear();
}

// Refuses, before the library opens it, a cabinet whose head shows a layout
// the program never extracts. A cabinet that can't be read is left to the
// library, which reports it (and a later attempt may find it).
void CheckCabinetHead(const std::string& cabinet) {
  const UniqueHandle file(CreateFileA(cabinet.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  std::vector<uint8_t> head(kHeadBytes);
  DWORD read = 0;
  if (!ReadFile(file.Get(), head.data(), kHeadBytes, &read, nullptr)) return;
  if (const std::optional<std::string> fault = FindRefusedCabinetLayout(head.data(), read)) throw Error(*fault);
}

}  // namespace

UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  CabinetExtraction& x = *static_cast<CabinetExtraction*>(context);
  // No exception may unwind through the setup library's frames: keep it, and
  // make the library stop with an error.
  try {
    switch (notification) {
      case SPFILENOTIFY_CABINETINFO:
      case SPFILENOTIFY_FILEEXTRACTED:
        return NO_ERROR;
      case SPFILENOTIFY_NEEDNEWCABINET:
        // The library would open the next cabinet by the name this one
        // stores, wherever that leads.
        throw Error(kMultiPartCabinet);
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

std::string ExtractCabinet(const std::string& folder, const std::string& cabName,
                           const CabinetMemberCheck& checkMember) {
  if (folder.size() > kMaxPathText)
    throw Error("Arquivo: " + folder + cabName + " => \r\rCaminho da pasta longo demais (mais de 259 caracteres)");
  CabinetExtraction x;
  x.folder = folder;
  x.check_member = checkMember;
  const std::string cabinet = folder + cabName;
  try {
    for (int attempt = 1;; ++attempt) {
      CopyText(x.TargetBuffer, folder);
      CheckCabinetHead(cabinet);
      const BOOL ok = IterateCabinet(cabinet.c_str(), CabinetFileCallback, &x);
      const DWORD code = GetLastError();
      if (x.failure) std::rethrow_exception(x.failure);
      // A short file counts as a failed attempt: the space may come back; so
      // does a target that can't be replaced yet: its holder may let it go.
      std::string fault = ok ? ShortFileMessage(x) : SystemErrorMessage(code);
      if (fault.empty()) fault = ReplaceTargets(x);
      if (fault.empty()) break;
      RemoveTemporaries(x);
      if (attempt == kAttempts) throw Error(fault);
      Sleep(kRetryPauseMs);
    }
  } catch (const std::exception& e) {
    // A cabinet that could not be extracted whole leaves only what it
    // replaced before the failure: its temporaries go, and every other file
    // stays as it was.
    RemoveTemporaries(x);
    throw Error("Arquivo: " + cabinet + " => " + x.TargetBuffer + "\r\r" + e.what());
  }
  return folder + x.TargetBuffer;
}

}  // namespace zq
