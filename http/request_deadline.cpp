#include "http/request_deadline.h"

#include <algorithm>

#include "base/error.h"
#include "http/transfer_check.h"

namespace zq {

RequestDeadline::RequestDeadline(TickClock& clock, uint32_t limit_ms)
    : clock_(limit_ms ? &clock : nullptr), start_(clock.TickCount()), limit_(limit_ms) {}

int32_t RequestDeadline::Cap(int32_t timeout) const {
  if (!clock_) return timeout;
  const uint32_t spent = clock_->TickCount() - start_;
  if (spent >= limit_) throw Error(kTimedOut);
  return static_cast<int32_t>(std::min<int64_t>(timeout, limit_ - spent));
}

}  // namespace zq
