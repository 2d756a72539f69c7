#include "ui/progress.h"

#include <cmath>

namespace zq {

int64_t RemainingKB = 0;
int64_t RateKBps = 0;

namespace {
constexpr double kFixedScale = 10000.0;
constexpr uint32_t kRateIntervalMs = 1000;

// 32-bit two's-complement addition, as the counters of the window wrap.
int32_t Add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
}  // namespace

int64_t ToFixed4(double value) {
  // nearbyint rounds in the current mode; the program never leaves the
  // default round-to-nearest-even.
  return static_cast<int64_t>(std::nearbyint(value * kFixedScale));
}

std::string FormatDuration(int64_t seconds) {
  const int64_t total = seconds / 10000;  // truncates toward zero
  const int64_t minutes = total / 60;
  const int64_t secs = total - 60 * minutes;
  std::string text;
  if (minutes >= 1) text = std::to_string(minutes) + " min";
  if (secs > 0) {
    text += text.empty() ? std::to_string(secs) : ", " + std::to_string(secs);
    text += " seg";
  }
  return text;
}

std::string RemainingTimeText() {
  if (RateKBps > 0) {
    return FormatDuration(ToFixed4(static_cast<double>(RemainingKB) / static_cast<double>(RateKBps)));
  }
  return "...";
}

std::string RateLineText(const std::string& rate_text, const std::string& mbit_text,
                         const std::string& time_text) {
  return "Taxa: " + rate_text + " KB/s" + "   (" + mbit_text + " Mb/s" + ")" + "\r" + "Tempo Restante: " +
         time_text;
}

void AdvanceProgress(RunState& state, ProgressPorts& ports, int32_t n) {
  state.FBytesDone = Add32(state.FBytesDone, n);
  state.FIntervalKB += ToFixed4(n / 1024.0);

  const uint32_t tick = ports.TickCount();
  if (tick > state.FLastTick + kRateIntervalMs) {  // the sum wraps like the tick count
    const int32_t remaining = static_cast<int32_t>(static_cast<uint32_t>(ports.BarMax()) -
                                                   static_cast<uint32_t>(state.FBytesDone));
    RemainingKB = ToFixed4(remaining / 1024.0);
    const uint32_t elapsed = ports.TickCount() - state.FLastTick;
    // An interval of 0 ms (only possible just before the tick count wraps)
    // has no rate of its own: the previous one stays.
    if (elapsed > 0) {
      RateKBps = ToFixed4((static_cast<double>(state.FIntervalKB) / kFixedScale) / (elapsed / 1000.0));
    }
    if (RateKBps < 0) RateKBps = 0;
    const double rate = static_cast<double>(RateKBps) / kFixedScale;
    const std::string rate_text = ports.FormatNumber(rate);
    const std::string mbit_text = ports.FormatNumber(rate * 8 / 1024);
    ports.SetRestText(RateLineText(rate_text, mbit_text, RemainingTimeText()));
    state.FLastTick = ports.TickCount();
    state.FIntervalKB = 0;
  }

  state.FStepBytes = Add32(state.FStepBytes, n);
  if (state.FBytesDone / 1000 < state.FStepBytes) {
    ports.StepBar(state.FStepBytes);
    state.FStepBytes = 0;
  }

  ports.ProcessMessages();

  if (state.FCancelRequested) {
    if (ports.ConfirmCancel()) {
      ports.ExitProcess();
      return;
    }
    state.FCancelRequested = false;
  }
}

}  // namespace zq
