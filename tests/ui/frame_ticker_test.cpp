#include "ui/FrameTicker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;
using vemla::ui::FrameTicker;

// Counts the ticks and lets the test wait for a count, however slow the machine.
struct Ticks {
  std::mutex m;
  std::condition_variable changed;
  int count = 0;
  int refuseAt = -1;  // the tick with this number returns false

  bool tick() {
    std::lock_guard<std::mutex> lock(m);
    ++count;
    changed.notify_all();
    return count != refuseAt;
  }
  bool reach(int n) {
    std::unique_lock<std::mutex> lock(m);
    return changed.wait_for(lock, 60s, [&] { return count >= n; });
  }
  int seen() {
    std::lock_guard<std::mutex> lock(m);
    return count;
  }
};

bool disarmsWithin60s(const FrameTicker& ticker) {
  for (int i = 0; i < 60000 && ticker.armed(); ++i) std::this_thread::sleep_for(1ms);
  return !ticker.armed();
}

TEST(FrameTicker, TicksWhileArmedStopsAtARefusalAndStartsAgainWhenArmed) {
  Ticks ticks;
  ticks.refuseAt = 3;
  {
    FrameTicker ticker(1ms, [&] { return ticks.tick(); });
    EXPECT_FALSE(ticker.armed());
    ticker.arm();
    ticker.arm();  // starts the period again, still one stream of ticks
    ASSERT_TRUE(ticks.reach(3));
    ASSERT_TRUE(disarmsWithin60s(ticker));
    EXPECT_EQ(ticks.seen(), 3);  // the refusing tick was the last

    ticker.arm();
    ASSERT_TRUE(ticks.reach(5));
    ticker.disarm();
    EXPECT_FALSE(ticker.armed());
    ticker.arm();  // and it is destroyed armed, mid-stream
    ASSERT_TRUE(ticks.reach(7));
  }
  const int atEnd = ticks.seen();
  EXPECT_GE(atEnd, 7);
}

}  // namespace
