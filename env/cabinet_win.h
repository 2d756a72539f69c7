#pragma once
// Unpacks a downloaded cabinet into the installation folder.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace zq {

// The caller's rule for the names stored in a cabinet: raises zq::Error
// (whose text becomes the last part of the extraction's error) for a name
// it refuses.
using CabinetMemberCheck = std::function<void(const std::string& name)>;

// Extracts every file of folder + cabName into the folder (each to the folder
// followed by its own name in the cabinet) and gives the path of the last
// one extracted. A failed attempt is repeated up to three times after a 2 s
// pause. Every error comes out as "Arquivo: <folder><cabName> => <target>
// \r\r<message>".
// Refused at once, with nothing written for that file: a folder or target
// path beyond 259 characters, a name in the cabinet that could leave the
// folder, that `checkMember` refuses, or that is a short alias of an
// existing entry of another name; a cabinet in several parts.
// Each file is extracted to a temporary name beside its target, measured
// (one shorter than the cabinet says fails the attempt) and only then put in
// the target's place in one step, so that the old file stays whole until
// the new one is. A failed attempt removes its temporaries and nothing else:
// a target held open by another program stays as it was.
std::string ExtractCabinet(const std::string& folder, const std::string& cabName,
                           const CabinetMemberCheck& checkMember);

// The file callback's context and the callback itself, open to tests.
struct CabinetExtraction {
  // The folder at the start of an attempt, then the name of each file met.
  char TargetBuffer[MAX_PATH] = {};
  std::string folder;
  CabinetMemberCheck check_member;
  // The files of the current attempt: the temporary the library writes, the
  // target it replaces, and the size the cabinet gives.
  struct Target {
    std::string temporary;
    std::string path;
    uint64_t size;
  };
  std::vector<Target> attempt_files;
  // Numbers the temporaries of one extraction (~zq1.tmp, ~zq2.tmp ...).
  unsigned temporaries_made = 0;
  // An error raised inside the callback: it must not unwind through the setup
  // library, so it is kept here and raised again after the iteration.
  std::exception_ptr failure;
};
UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

}  // namespace zq
