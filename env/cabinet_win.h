#pragma once
// Unpacks a downloaded cabinet into the installation folder.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace zq {

// Extracts every file of folder + cabName into the folder (each to the folder
// followed by its own name in the cabinet) and gives the path of the last
// one extracted. A failed attempt is repeated up to three times after a 2 s
// pause. Every error comes out as "Arquivo: <folder><cabName> => <target>
// \r\r<message>". A folder or target path beyond 259 characters and a name
// in the cabinet that could leave the folder are refused; nothing is then
// written for that file. A file shorter than the cabinet says fails the
// attempt. When the extraction fails, the files it wrote are removed, so
// that no broken file takes the place of the old one.
std::string ExtractCabinet(const std::string& folder, const std::string& cabName);

// The file callback's context and the callback itself, open to tests.
struct CabinetExtraction {
  // The folder at the start of an attempt, then the name of each file met.
  char TargetBuffer[MAX_PATH] = {};
  std::string folder;
  // Every target the library was told to write, in every attempt.
  std::vector<std::string> written;
  // The targets of the current attempt with the sizes the cabinet gives.
  struct Target {
    std::string path;
    uint64_t size;
  };
  std::vector<Target> attempt_files;
  // An error raised inside the callback: it must not unwind through the setup
  // library, so it is kept here and raised again after the iteration.
  std::exception_ptr failure;
};
UINT CALLBACK CabinetFileCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

}  // namespace zq
