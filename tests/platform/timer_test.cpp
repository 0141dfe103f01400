#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include <asio/io_context.hpp>

#include "platform/clock.h"
#include "platform/timer.h"

namespace vantrel {
namespace {

using std::chrono::milliseconds;

TEST(FakeClockTimers, FireInOrderOfTheirMomentsWithTheClockShowingIt) {
  FakeClock clock(100);
  auto late = clock.NewTimer();
  auto early = clock.NewTimer();
  auto stopped = clock.NewTimer();
  std::vector<uint32_t> fired;  // the clock's seconds at each call; 1000 more for `late`
  late->Start(milliseconds(3000), [&] { fired.push_back(clock.Seconds() + 1000); });
  early->Start(milliseconds(1500), [&] {
    fired.push_back(clock.Seconds());
    // Restarted from its own call: due again within this advance.
    early->Start(milliseconds(1000), [&] { fired.push_back(clock.Seconds()); });
  });
  stopped->Start(milliseconds(1), [&] { fired.push_back(0); });
  stopped->Stop();

  clock.Advance(2);
  EXPECT_EQ(fired, (std::vector<uint32_t>{101}));
  clock.Advance(5);
  EXPECT_EQ(fired, (std::vector<uint32_t>{101, 102, 1103}));
  EXPECT_EQ(clock.Seconds(), 107u);
}

TEST(FakeClockTimers, ADestroyedTimerNeverFires) {
  FakeClock clock;
  bool fired = false;
  clock.NewTimer()->Start(milliseconds(10), [&] { fired = true; });
  clock.Advance(1);
  EXPECT_FALSE(fired);
}

TEST(AsioTimers, FireOnTheLoopUnlessRestartedOrStopped) {
  asio::io_context io;
  AsioTimers timers(io);
  auto restarted = timers.NewTimer();
  auto stopped = timers.NewTimer();
  int first = 0;
  int second = 0;
  restarted->Start(milliseconds(1), [&] { ++first; });
  restarted->Start(milliseconds(2), [&] { ++second; });
  stopped->Start(milliseconds(1), [&] { ++first; });
  stopped->Stop();
  io.run_for(std::chrono::seconds(1));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

}  // namespace
}  // namespace vantrel
