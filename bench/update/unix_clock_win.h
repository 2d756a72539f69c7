#pragma once
// The wall clock in microseconds since the Unix epoch, the clock that Linux
// file times use, so that figures taken inside Wine and outside it compare.
#include <windows.h>

#include <cstdint>

namespace zq::bench {

inline int64_t UnixMicros() {
  FILETIME t;
  GetSystemTimePreciseAsFileTime(&t);
  const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;  // 100 ns since 1601
  return static_cast<int64_t>((ticks - 116444736000000000ull) / 10);
}

}  // namespace zq::bench
