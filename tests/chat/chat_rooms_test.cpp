#include <gtest/gtest.h>

#include "chat/chat_rooms.h"
#include "server/client_session.h"

namespace vantrel {
namespace {

TEST(ChatRoomIds, LowestByteComesFromTheCounter) {
  ClientSession ann(nullptr, 0x7F000001, 1, 0);
  ChatRoomList rooms;
  EXPECT_EQ(rooms.Create(ann, 0x12345678).chat_id, 0x12345601u);
  EXPECT_EQ(rooms.Create(ann, 0x12345678).chat_id, 0x12345602u);
  EXPECT_EQ(rooms.Create(ann, 0xCAFEBABE).chat_id, 0xCAFEBA03u);
}

TEST(ChatRoomIds, WrappedCounterAvoidsZeroAndIdsInUse) {
  ClientSession ann(nullptr, 0x7F000001, 1, 0);
  ChatRoomList rooms;
  for (uint32_t i = 1; i <= 255; ++i) ASSERT_EQ(rooms.Create(ann, 0).chat_id, i);
  // The counter wraps to 0: ID 0 becomes 1, and 1 to 255 are taken.
  EXPECT_EQ(rooms.Create(ann, 0).chat_id, 0x100u);
}

TEST(ChatRoomIds, CountingUpPastTheTopSkipsZero) {
  ClientSession ann(nullptr, 0x7F000001, 1, 0);
  ChatRoomList rooms;
  for (int i = 0; i < 254; ++i) rooms.Create(ann, 0x00001000);
  ASSERT_EQ(rooms.Create(ann, 0xFFFFFF00).chat_id, 0xFFFFFFFFu);
  for (int i = 0; i < 255; ++i) rooms.Create(ann, 0x00002000);
  // Counter 255 again: 0xFFFFFFFF is taken and 0 names the public chat.
  EXPECT_EQ(rooms.Create(ann, 0xFFFFFF00).chat_id, 1u);
}

}  // namespace
}  // namespace vantrel
