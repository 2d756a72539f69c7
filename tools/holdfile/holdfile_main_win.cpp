// holdfile PATH: opens (or creates) PATH for reading and writing with no
// sharing at all, prints "held" and keeps it open until it is ended.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: holdfile PATH\n");
    return 2;
  }
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "holdfile: cannot open (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(INFINITE);  // the handle lives as long as the process
  CloseHandle(file);
  return 0;
}
