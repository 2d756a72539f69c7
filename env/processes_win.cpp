#include "env/processes_win.h"

#include <windows.h>

#include <cstring>

#include "env/handle_win.h"
#include "env/path_text.h"
#include "env/system_library_win.h"

namespace zq {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using QueryFullProcessImageNameAFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, DWORD*);

// The process-status library, from the system folder, bound on first use
// and kept for the life of the process. When it can't be loaded every entry
// is null.
struct Psapi {
  EnumProcessesFn enumProcesses = nullptr;
  EnumProcessModulesFn enumProcessModules = nullptr;
  GetModuleFileNameExAFn getModuleFileNameEx = nullptr;

  static const Psapi& Get() {
    static const SystemLibrary lib("psapi.dll");
    static const Psapi psapi{lib.Entry<EnumProcessesFn>("EnumProcesses"),
                             lib.Entry<EnumProcessModulesFn>("EnumProcessModules"),
                             lib.Entry<GetModuleFileNameExAFn>("GetModuleFileNameExA")};
    return psapi;
  }
};

constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kModuleNameChars = 300;
constexpr DWORD kExamineRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
constexpr DWORD kTerminateRights = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;  // 0x0401

// kernel32's image-name query, which Windows has from Vista on; null before.
QueryFullProcessImageNameAFn ImageNameQuery() {
  static const auto query = reinterpret_cast<QueryFullProcessImageNameAFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  return query;
}

// The full file name of the process's first module, "" when it can't be read.
std::string MainModulePath(const Psapi& psapi, HANDLE process) {
  if (!psapi.enumProcessModules || !psapi.getModuleFileNameEx) return std::string();
  HMODULE module = nullptr;
  DWORD needed = 0;
  if (!psapi.enumProcessModules(process, &module, sizeof module, &needed) || module == nullptr)
    return std::string();
  char name[kModuleNameChars] = {};
  if (psapi.getModuleFileNameEx(process, module, name, kModuleNameChars) == 0) return std::string();
  return std::string(name, strnlen(name, kModuleNameChars));
}

// The process's executable as the system names it in Win32 form, "" when it
// can't be read. This is how a 32-bit process sees a 64-bit one, whose
// module list it can't read.
std::string ImagePath(HANDLE process) {
  const QueryFullProcessImageNameAFn query = ImageNameQuery();
  if (!query) return std::string();
  char name[kModuleNameChars] = {};
  DWORD size = kModuleNameChars;
  if (!query(process, 0, name, &size) || size >= kModuleNameChars) return std::string();
  return std::string(name, size);
}

}  // namespace

void KillProcessesByPath(const std::string& path) {
  const Psapi& psapi = Psapi::Get();
  if (!psapi.enumProcesses) return;
  static_assert(sizeof(DWORD) == 4);
  DWORD ids[kMaxProcesses] = {};
  DWORD bytes = 0;
  if (!psapi.enumProcesses(ids, sizeof ids, &bytes)) return;
  const DWORD count = bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count; ++i) {
    UniqueHandle process(OpenProcess(kExamineRights, FALSE, ids[i]));
    if (!process) continue;
    std::string name = MainModulePath(psapi, process.Get());
    if (name.empty()) name = ImagePath(process.Get());
    if (name.empty() || !SameTextAsciiCase(name, path)) continue;
    UniqueHandle terminator(OpenProcess(kTerminateRights, FALSE, ids[i]));
    if (terminator) TerminateProcess(terminator.Get(), 0);
  }
}

}  // namespace zq
