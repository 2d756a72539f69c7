#include "env/processes_win.h"

#include <windows.h>

#include <cstring>

#include "env/handle_win.h"
#include "env/path_text.h"

namespace zq {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

// The process-status library, loaded by name on first use and kept for the
// life of the process. When it can't be loaded every entry is null.
struct Psapi {
  EnumProcessesFn enumProcesses = nullptr;
  EnumProcessModulesFn enumProcessModules = nullptr;
  GetModuleFileNameExAFn getModuleFileNameEx = nullptr;

  static const Psapi& Get() {
    static const Psapi psapi = Load();
    return psapi;
  }

 private:
  template <typename Fn>
  static Fn Entry(HMODULE lib, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
  }
  static Psapi Load() {
    Psapi p;
    HMODULE lib = LoadLibraryA("PSAPI.dll");
    if (reinterpret_cast<UINT_PTR>(lib) < 32) return p;
    p.enumProcesses = Entry<EnumProcessesFn>(lib, "EnumProcesses");
    p.enumProcessModules = Entry<EnumProcessModulesFn>(lib, "EnumProcessModules");
    p.getModuleFileNameEx = Entry<GetModuleFileNameExAFn>(lib, "GetModuleFileNameExA");
    return p;
  }
};

constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kModuleNameChars = 300;
constexpr DWORD kExamineRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
constexpr DWORD kTerminateRights = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;  // 0x0401

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
    const std::string name = MainModulePath(psapi, process.Get());
    if (name.empty() || !SameTextAsciiCase(name, path)) continue;
    UniqueHandle terminator(OpenProcess(kTerminateRights, FALSE, ids[i]));
    if (terminator) TerminateProcess(terminator.Get(), 0);
  }
}

}  // namespace zq
