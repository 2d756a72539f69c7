#pragma once
// What the benchmarks' WinHTTP reference downloaders share: a handle closed
// on every way out, and ASCII text widened for WinHTTP's wide-only calls.
#include <windows.h>
#include <winhttp.h>

#include <string>

namespace zq::bench {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET h) : h_(h) {}
  ~InternetHandle() {
    if (h_) WinHttpCloseHandle(h_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

inline std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace zq::bench
