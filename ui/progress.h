#pragma once
// The arithmetic and texts of the download progress display: the bar
// stepping rule, the rate update once a second and the remaining time.
// Everything here is portable; the window supplies the ports.
#include <cstdint>
#include <string>

#include "ui/run_state.h"

namespace zq {

// Kilobytes still to download and the rate in KB/s at the last rate update,
// both fixed point with four decimals (value times 10000).
extern int64_t RemainingKB;
extern int64_t RateKBps;

// Converts a computed value into fixed point with four decimals, rounding to
// the nearest 1/10000 with halves to even.
int64_t ToFixed4(double value);

// "2 min, 5 seg" from seconds in fixed point; empty below one second and for
// negative values.
std::string FormatDuration(int64_t seconds);

// The remaining time from RemainingKB and RateKBps; "..." without a rate.
std::string RemainingTimeText();

// The two-line text of laRest.
std::string RateLineText(const std::string& rate_text, const std::string& mbit_text,
                         const std::string& time_text);

// What the progress handler needs from the window and the platform.
class ProgressPorts {
 public:
  virtual ~ProgressPorts() = default;
  virtual uint32_t TickCount() = 0;
  // A number with thousands separators and exactly two decimals, in the
  // user's regional settings.
  virtual std::string FormatNumber(double value) = 0;
  virtual int32_t BarMax() = 0;
  virtual void StepBar(int32_t delta) = 0;
  virtual void SetRestText(const std::string& text) = 0;
  virtual void ProcessMessages() = 0;
  virtual bool ConfirmCancel() = 0;
  // Ends the process with exit code 0; does not return on the platform.
  virtual void ExitProcess() = 0;
};

// One call of the progress handler with a byte count n (-999 while waiting).
void AdvanceProgress(RunState& state, ProgressPorts& ports, int32_t n);

}  // namespace zq
