// The reference for a whole update run: what the update has to do at the
// least, done with the system's own pieces. Every cabinet of the list is
// fetched with WinHTTP (one session and connection, 64 KiB reads written
// straight to FOLDER\NAME.cab), extracted with SetupIterateCabinetA as the
// program extracts it (each file to the folder under its own name, an old
// file removed first), and then the product is started as the program
// starts it. Prints "start_us=" and "done_us=" (Unix time, microseconds).
// Usage: reference_update HOST PORT FOLDER\ LISTFILE   (one cabinet name a line)
#include <windows.h>
#include <setupapi.h>
#include <winhttp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/update/unix_clock_win.h"
#include "bench/winhttp_handle_win.h"
#include "env/handle_win.h"

namespace {

using zq::bench::InternetHandle;
using zq::bench::Wide;

bool Fail(const std::string& what) {
  std::fprintf(stderr, "reference_update: %s (error %lu)\n", what.c_str(), GetLastError());
  return false;
}

bool Download(HINTERNET connection, const std::string& path, const std::string& target) {
  InternetHandle request(WinHttpOpenRequest(connection, L"GET", Wide(path).c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
  if (!request || !WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.Get(), nullptr))
    return Fail("GET " + path);
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
      status != 200)
    return Fail("status " + std::to_string(status) + " for " + path);
  zq::UniqueHandle file(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail("create " + target);
  static std::vector<char> buffer(65536);
  for (;;) {
    DWORD n = 0;
    if (!WinHttpReadData(request.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n)) return Fail("read " + path);
    if (n == 0) return true;
    DWORD written = 0;
    if (!WriteFile(file.Get(), buffer.data(), n, &written, nullptr) || written != n) return Fail("write " + target);
  }
}

struct Extraction {
  std::string folder;
};

UINT CALLBACK OnCabinetFile(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  const auto& x = *static_cast<Extraction*>(context);
  if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
  auto& info = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
  const std::string target = x.folder + info.NameInCabinet;
  if (target.size() >= MAX_PATH) return FILEOP_ABORT;
  DeleteFileA(target.c_str());  // as the program does: no old tail left behind
  std::memcpy(info.FullTargetName, target.c_str(), target.size() + 1);
  return FILEOP_DOIT;
}

bool Extract(const std::string& folder, const std::string& cabinet) {
  Extraction x{folder};
  if (!SetupIterateCabinetA(cabinet.c_str(), 0, OnCabinetFile, &x)) return Fail("extract " + cabinet);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: reference_update HOST PORT FOLDER\\ LISTFILE\n");
    return 2;
  }
  const long long start = zq::bench::UnixMicros();
  const std::string host = argv[1];
  const int port = std::atoi(argv[2]);
  const std::string folder = argv[3];
  std::vector<std::string> cabinets;
  {
    std::ifstream list(argv[4]);
    for (std::string line; std::getline(list, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) cabinets.push_back(line);
    }
  }
  InternetHandle session(WinHttpOpen(L"zq-bench", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0));
  InternetHandle connection(session ? WinHttpConnect(session.Get(), Wide(host).c_str(), static_cast<INTERNET_PORT>(port), 0)
                                    : nullptr);
  if (!connection) {
    Fail("connect");
    return 1;
  }
  for (const std::string& cab : cabinets) {
    const std::string target = folder + cab;
    if (!Download(connection.Get(), "/BinZQ/" + cab, target) || !Extract(folder, target)) return 1;
  }
  const std::string command = folder + "DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ";
  if (WinExec(command.c_str(), SW_SHOW) <= 31) {
    Fail("start " + command);
    return 1;
  }
  std::printf("start_us=%lld\ndone_us=%lld\n", start, zq::bench::UnixMicros());
  return 0;
}
