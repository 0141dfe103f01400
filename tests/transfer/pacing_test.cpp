#include <gtest/gtest.h>

#include "support/memory_transport.h"
#include "transfer/transfer_pass_steps.h"

namespace vantrel::testing {
namespace {

TEST(Pacing, WindowGrowsWithAnEmptyQueueAndRecentSendsUpToTwoMebibytes) {
  MemoryTransport connection(0x7F000001);
  Pacing pacing;
  // Empty queue, first send: one step.
  EXPECT_EQ(NextBufferSize(pacing, connection, 100, 10'000'000), 204'800u);
  // Empty queue and a send under 10 s ago: two steps.
  EXPECT_EQ(NextBufferSize(pacing, connection, 105, 10'000'000), 409'600u);
  // Bytes still queued, the last send 10 s ago: no growth.
  connection.SetQueuedBytes(1000);
  EXPECT_EQ(NextBufferSize(pacing, connection, 115, 10'000'000), 409'600u);
  // More queued than the window: the task is skipped.
  connection.SetQueuedBytes(409'601);
  EXPECT_EQ(NextBufferSize(pacing, connection, 116, 10'000'000), 0u);
  connection.SetQueuedBytes(0);
  for (int pass = 0; pass < 20; ++pass) NextBufferSize(pacing, connection, 117, 10'000'000);
  EXPECT_EQ(pacing.window, 2'097'152u);
  // Never more than what remains.
  EXPECT_EQ(NextBufferSize(pacing, connection, 118, 5), 5u);
}

TEST(Pacing, AFolderItemUnderOneStepRaisesTheWindowToItsSizeWithoutGrowth) {
  MemoryTransport connection(0x7F000001);
  Pacing pacing;
  pacing.window = 50'000;
  EXPECT_EQ(NextBufferSize(pacing, connection, 100, 80'000, 80'000), 80'000u);
  EXPECT_EQ(pacing.window, 80'000u);
  pacing.window = 90'000;
  EXPECT_EQ(NextBufferSize(pacing, connection, 101, 1'000, 1'000), 1'000u);
  EXPECT_EQ(pacing.window, 90'000u);
}

}  // namespace
}  // namespace vantrel::testing
