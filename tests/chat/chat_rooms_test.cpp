#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

#include "chat/chat_rooms.h"
#include "server/client_session.h"
#include "support/memory_transport.h"

namespace vantrel::testing {
namespace {

using namespace std::string_view_literals;
using ::testing::ElementsAreArray;

// A session over memory whose sent bytes the test reads back.
struct MemberUnderTest {
  explicit MemberUnderTest(uint16_t user_id) {
    auto owned = std::make_unique<MemoryTransport>();
    transport = owned.get();
    session = std::make_unique<ClientSession>(
        std::make_unique<TransactionSession>(std::move(owned)), 0x7F000001, user_id, 0);
  }
  MemoryTransport* transport;
  std::unique_ptr<ClientSession> session;
};

std::vector<uint8_t> Wire(std::string_view bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST(ChatRoomIds, LowestByteComesFromTheCounter) {
  MemberUnderTest ann(1);
  ChatRoomList rooms;
  EXPECT_EQ(rooms.Create(*ann.session, 0x12345678).chat_id, 0x12345601u);
  EXPECT_EQ(rooms.Create(*ann.session, 0x12345678).chat_id, 0x12345602u);
  EXPECT_EQ(rooms.Create(*ann.session, 0xCAFEBABE).chat_id, 0xCAFEBA03u);
}

TEST(ChatRoomIds, WrappedCounterAvoidsZeroAndIdsInUse) {
  MemberUnderTest ann(1);
  ChatRoomList rooms;
  for (uint32_t i = 1; i <= 255; ++i) ASSERT_EQ(rooms.Create(*ann.session, 0).chat_id, i);
  // The counter wraps to 0: ID 0 becomes 1, and 1 to 255 are taken.
  EXPECT_EQ(rooms.Create(*ann.session, 0).chat_id, 0x100u);
}

TEST(ChatRoomIds, CountingUpPastTheTopSkipsZero) {
  MemberUnderTest ann(1);
  ChatRoomList rooms;
  for (int i = 0; i < 254; ++i) rooms.Create(*ann.session, 0x00001000);
  ASSERT_EQ(rooms.Create(*ann.session, 0xFFFFFF00).chat_id, 0xFFFFFFFFu);
  for (int i = 0; i < 255; ++i) rooms.Create(*ann.session, 0x00002000);
  // Counter 255 again: 0xFFFFFFFF is taken and 0 names the public chat.
  EXPECT_EQ(rooms.Create(*ann.session, 0xFFFFFF00).chat_id, 1u);
}

TEST(ChatRoomList, LeavingTellsTheOthersWith118) {
  MemberUnderTest ann(1), bo(2), cy(3);
  ChatRoomList rooms;
  ChatRoom& room = rooms.Create(*ann.session, 0x12345600);
  room.members.push_back(bo.session.get());
  room.members.push_back(cy.session.get());
  cy.transport->Disconnect();  // closed connections are skipped

  rooms.Leave(room, *ann.session);
  EXPECT_THAT(bo.transport->TakeSent(),
              ElementsAreArray(Wire("\x00\x00\x00\x76"                  // request 118
                                    "\x00\x00\x00\x01"                  // ID 1
                                    "\x00\x00\x00\x00"                  // no error
                                    "\x00\x00\x00\x10\x00\x00\x00\x10"  // 16 bytes
                                    "\x00\x02"                          // two fields
                                    "\x00\x72\x00\x04\x12\x34\x56\x01"  // 114: chat ID
                                    "\x00\x67\x00\x02\x00\x01"sv)));    // 103: user 1
  EXPECT_TRUE(cy.transport->Sent().empty());
  EXPECT_EQ(room.members, (std::vector<ClientSession*>{bo.session.get(), cy.session.get()}));
}

}  // namespace
}  // namespace vantrel::testing
