#include <gtest/gtest.h>

#include <cstddef>

#include "platform/clock.h"
#include "server/idle_memory.h"

namespace vantrel {
namespace {

// The heap as the server sees it: how much is free, and how often it was given back.
struct FakeHeap {
  size_t free = kFreeWorthReturning;
  int returned = 0;
};

IdleMemory Watch(FakeClock& clock, FakeHeap& heap) {
  return IdleMemory(
      clock, [&heap] { return heap.free; }, [&heap] { ++heap.returned; });
}

TEST(IdleMemory, IsGivenBackOnceAfterAQuietSpellAndNeverWhileBusy) {
  FakeClock clock;
  FakeHeap heap;
  IdleMemory memory = Watch(clock, heap);
  for (int pass = 0; pass < 40; ++pass) {  // a pass every 50 ms for 2 s
    memory.Busy();
    clock.AdvanceMilliseconds(50);
  }
  EXPECT_EQ(heap.returned, 0);
  clock.AdvanceMilliseconds(2 * kQuietBeforeReturn.count());
  EXPECT_EQ(heap.returned, 1);
  clock.Advance(60);  // idle: nothing more runs
  EXPECT_EQ(heap.returned, 1);
}

TEST(IdleMemory, IsKeptWhenTooLittleIsFree) {
  FakeClock clock;
  FakeHeap heap{.free = kFreeWorthReturning - 1};
  IdleMemory memory = Watch(clock, heap);
  memory.Busy();
  clock.Advance(1);
  EXPECT_EQ(heap.returned, 0);
}

}  // namespace
}  // namespace vantrel
