// The progress handler's arithmetic against a fake clock and fake window.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "ui/progress.h"

namespace zq {
namespace {

struct ExitCalled {};

// A window and platform whose tick readings are scripted; numbers are
// formatted plainly with two decimals.
class FakePorts : public ProgressPorts {
 public:
  std::deque<uint32_t> ticks;
  uint32_t last_tick = 0;
  int32_t bar_max = 0;
  std::vector<int32_t> steps;
  std::vector<std::string> rest_texts;
  int pumps = 0;
  int prompts = 0;
  bool answer_yes = false;

  uint32_t TickCount() override {
    if (!ticks.empty()) {
      last_tick = ticks.front();
      ticks.pop_front();
    }
    return last_tick;
  }
  std::string FormatNumber(double value) override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
  }
  int32_t BarMax() override { return bar_max; }
  void StepBar(int32_t delta) override { steps.push_back(delta); }
  void SetRestText(const std::string& text) override { rest_texts.push_back(text); }
  void ProcessMessages() override { ++pumps; }
  bool ConfirmCancel() override {
    ++prompts;
    return answer_yes;
  }
  void ExitProcess() override { throw ExitCalled{}; }
};

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemainingKB = 0;
    RateKBps = 0;
  }
  RunState state;
  FakePorts ports;
};

TEST(FixedPoint, RoundsToNearestWithHalvesToEven) {
  struct Case {
    int32_t bytes;
    int64_t fixed;  // bytes / 1024 in ten-thousandths of a KB
  } cases[] = {
      {1024, 10000}, {1, 10},     // 9.765625 -> 10
      {32, 312},                  // 312.5 -> 312 (even)
      {96, 938},                  // 937.5 -> 938 (even)
      {-32, -312}, {-999, -9756},  // -9755.859375 -> -9756
      {0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ToFixed4(c.bytes / 1024.0), c.fixed) << c.bytes;
}

TEST(FormatDurationTest, Table) {
  struct Case {
    int64_t seconds;  // fixed point
    const char* text;
  } cases[] = {
      {1259000, "2 min, 5 seg"}, {1200000, "2 min"}, {599900, "59 seg"}, {4000, ""},
      {-1259000, ""},            {-4000, ""},        {610000, "1 min, 1 seg"},
      {36000000, "60 min"},      {10000, "1 seg"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST_F(ProgressTest, RemainingTimeNeedsAPositiveRate) {
  RemainingKB = 3000000;  // 300 KB
  RateKBps = 1500000;     // 150 KB/s
  EXPECT_EQ(RemainingTimeText(), "2 seg");
  RateKBps = 0;
  EXPECT_EQ(RemainingTimeText(), "...");
  RemainingKB = -10000;
  RateKBps = 10000;
  EXPECT_EQ(RemainingTimeText(), "");
}

TEST(RateLine, JoinsTheTwoLines) {
  EXPECT_EQ(RateLineText("150,00", "1,17", "2 seg"), "Taxa: 150,00 KB/s   (1,17 Mb/s)\rTempo Restante: 2 seg");
}

TEST_F(ProgressTest, RateUpdateOnlyAfterMoreThanOneSecond) {
  ports.bar_max = 1024 * 1000;
  state.FLastTick = 5000;
  ports.ticks = {6000};  // exactly 1000 ms: no update
  AdvanceProgress(state, ports, 1024);
  EXPECT_TRUE(ports.rest_texts.empty());
  EXPECT_EQ(state.FIntervalKB, 10000);

  // 1001 ms after the start; the second reading gives 2000 ms elapsed.
  ports.ticks = {6001, 7000, 7002};
  AdvanceProgress(state, ports, 1024 * 299);
  ASSERT_EQ(ports.rest_texts.size(), 1u);
  EXPECT_EQ(RateKBps, 1500000);                    // 300 KB over 2 s
  EXPECT_EQ(RemainingKB, 7000000);                 // 700 KB left
  EXPECT_EQ(ports.rest_texts[0], "Taxa: 150.00 KB/s   (1.17 Mb/s)\rTempo Restante: 4 seg");
  EXPECT_EQ(state.FLastTick, 7002u);               // the third reading
  EXPECT_EQ(state.FIntervalKB, 0);
}

TEST_F(ProgressTest, WaitingTicksCanMakeTheRateNegativeWhichShowsAsZero) {
  ports.bar_max = 100000;
  state.FLastTick = 0;
  ports.ticks = {1500, 1500, 1500};
  AdvanceProgress(state, ports, -999);
  EXPECT_EQ(state.FBytesDone, -999);
  EXPECT_EQ(state.FStepBytes, -999);
  ASSERT_EQ(ports.rest_texts.size(), 1u);
  EXPECT_EQ(RateKBps, 0);
  EXPECT_EQ(ports.rest_texts[0], "Taxa: 0.00 KB/s   (0.00 Mb/s)\rTempo Restante: ...");
}

TEST_F(ProgressTest, MoreBytesThanTheTotalLeaveTheTimeEmpty) {
  ports.bar_max = 1000;
  ports.ticks = {2000, 2000, 2000};
  AdvanceProgress(state, ports, 4096);
  ASSERT_EQ(ports.rest_texts.size(), 1u);
  EXPECT_EQ(ports.rest_texts[0], "Taxa: 2.00 KB/s   (0.02 Mb/s)\rTempo Restante: ");
}

TEST_F(ProgressTest, TickCountWrap) {
  ports.bar_max = 10 * 1024 * 1024;
  // FLastTick + 1000 wraps to 704: every call before the tick wraps updates,
  // over its true short interval.
  state.FLastTick = 0xFFFFFF00u;
  ports.ticks = {0xFFFFFF10u, 0xFFFFFF10u, 0xFFFFFF10u};
  AdvanceProgress(state, ports, 1024 * 16);  // 16 KB in 16 ms
  ASSERT_EQ(ports.rest_texts.size(), 1u);
  EXPECT_EQ(RateKBps, 10000000);  // 1000 KB/s
  // After the tick count wraps the difference is taken modulo 2^32.
  ports.ticks = {0x100u, 0x2F0u, 0x2F0u};
  AdvanceProgress(state, ports, 1024);
  EXPECT_EQ(ports.rest_texts.size(), 1u);  // 0x100 is not past 0xFFFFFF10 + 1000
  ports.ticks = {0x400u, 0x400u, 0x400u};  // 0x400 - 0xFFFFFF10 = 1264 ms
  AdvanceProgress(state, ports, 1024);
  ASSERT_EQ(ports.rest_texts.size(), 2u);
  EXPECT_EQ(RateKBps, ToFixed4(2.0 / 1.264));
}

TEST_F(ProgressTest, ZeroMillisecondIntervalKeepsThePreviousRate) {
  ports.bar_max = 10 * 1024 * 1024;
  RateKBps = 1234500;  // 123.45 KB/s from the update before
  state.FLastTick = 0xFFFFFF00u;
  ports.ticks = {0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFF00u};  // wrapped sum, no time passed
  AdvanceProgress(state, ports, 2048);
  ASSERT_EQ(ports.rest_texts.size(), 1u);
  EXPECT_EQ(RateKBps, 1234500);
  EXPECT_EQ(ports.rest_texts[0].substr(0, 19), "Taxa: 123.45 KB/s  ");
}

TEST_F(ProgressTest, BarStepsOnceGatheredBytesExceedAThousandthOfTheDone) {
  ports.ticks = {0};
  struct Call {
    int32_t n;
    int32_t step;  // the bar's step at this call, 0 when it does not move
  } calls[] = {
      {1, 1},        // done 1: 0 < 1
      {1000, 1000},  // done 1001: 1 < 1000
      {1000, 1000},  // done 2001: 2 < 1000
      {-999, 0},     // done 1002: gathered -999
      {0, 0},        // gathered still -999
      {1001, 0},     // done 2003, gathered 2: 2 < 2 fails
      {1, 3},        // done 2004, gathered 3: 2 < 3
  };
  for (const Call& c : calls) {
    ports.steps.clear();
    AdvanceProgress(state, ports, c.n);
    EXPECT_EQ(ports.steps, c.step == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.step})
        << "after done " << state.FBytesDone;
  }
  EXPECT_EQ(state.FStepBytes, 0);
}

TEST_F(ProgressTest, PumpsEveryCallAndAnswersCancelAfterwards) {
  ports.ticks = {0};
  AdvanceProgress(state, ports, 0);
  EXPECT_EQ(ports.pumps, 1);
  EXPECT_EQ(ports.prompts, 0);

  state.FCancelRequested = true;
  AdvanceProgress(state, ports, 0);  // a count of 0 still answers the request
  EXPECT_EQ(ports.prompts, 1);
  EXPECT_FALSE(state.FCancelRequested);  // declined

  state.FCancelRequested = true;
  ports.answer_yes = true;
  EXPECT_THROW(AdvanceProgress(state, ports, 10), ExitCalled);
  EXPECT_EQ(ports.prompts, 2);
}

}  // namespace
}  // namespace zq
