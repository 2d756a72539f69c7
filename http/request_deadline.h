#pragma once
// An overall time limit of one request, on the platform's tick count.
#include <cstdint>

namespace zq {

class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual uint32_t TickCount() = 0;  // milliseconds, wrapping
};

class RequestDeadline {
 public:
  RequestDeadline() = default;  // no limit
  // limit_ms from now; 0: no limit.
  RequestDeadline(TickClock& clock, uint32_t limit_ms);

  // The timeout for the next transfer: timeout, shortened to what is left
  // of the limit. Raises "(tempo excedido)" once nothing is left.
  int32_t Cap(int32_t timeout) const;

 private:
  TickClock* clock_ = nullptr;
  uint32_t start_ = 0;
  uint32_t limit_ = 0;
};

}  // namespace zq
