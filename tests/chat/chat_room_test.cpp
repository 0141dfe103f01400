#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "chat/chat_test_support.h"
#include "protocol/field_ids.h"

namespace vantrel::testing {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using ::testing::Contains;
using ::testing::ElementsAreArray;

constexpr std::string_view kClosedText =
    "Cannot join private chat because it has been closed already.";

class ChatRooms : public ChatTest {
 protected:
  void SetUp() override {
    // Repeatable chat IDs, all of them sent in 4 bytes.
    fixture_.Server().Core().GetRandom() = Random(1);
    ann_ = Join("Ann", {kPrivilegeReadChat, kPrivilegeSendChat, kPrivilegeCreatePrivateChats,
                        kPrivilegeSendPrivateMessages});
    bo_ = Join("Bo");
    cy_ = Join("Cy");
    ASSERT_TRUE(ann_ && bo_ && cy_);
  }

  static UFieldData WithChatId(uint32_t chat_id, std::initializer_list<uint16_t> users = {}) {
    UFieldData fields;
    fields.AddInteger(kFieldChatId, chat_id);
    for (uint16_t user : users) fields.AddInteger(kFieldUserId, user);
    return fields;
  }

  // Creates a room inviting `invitees`; its chat ID (0 when refused).
  static uint32_t Create(TestClient& client, std::initializer_list<uint16_t> invitees = {}) {
    UFieldData fields;
    for (uint16_t user : invitees) fields.AddInteger(kFieldUserId, user);
    const auto reply = client.Call(kTranCreatePrivateChat, fields);
    if (!reply || reply->header.error != 0) return 0;
    const uint32_t chat_id = reply->fields.ReadInteger(kFieldChatId);
    EXPECT_GT(chat_id, 0xFFFFu);
    return chat_id;
  }

  static std::optional<Received> JoinRoom(TestClient& client, uint32_t chat_id) {
    return client.Call(kTranJoinChat, WithChatId(chat_id));
  }

  std::unique_ptr<TestClient> ann_, bo_, cy_;  // user IDs 1, 2 and 3
};

TEST_F(ChatRooms, CreateInvitesTheListedUsersAndRepliesWithTheCreator) {
  Session(0).icon = 128;
  Session(2).refuses_private_chat = true;
  UFieldData fields;
  for (uint32_t user : {2u, 3u, 1u, 77u}) fields.AddInteger(kFieldUserId, user);
  const auto reply = ann_->Call(kTranCreatePrivateChat, fields);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->header.error, 0u);
  const uint32_t id = reply->fields.ReadInteger(kFieldChatId);
  EXPECT_THAT(Bytes(reply->fields), ElementsAreArray(Wire("\x00\x05"
                                                          "\x00\x72\x00\x04"s +
                                                          Be32(id) +
                                                          "\x00\x67\x00\x02\x00\x01"  // creator
                                                          "\x00\x68\x00\x02\x00\x80"  // icon 128
                                                          "\x00\x70\x00\x02\x00\x00"  // flags
                                                          "\x00\x66\x00\x03"
                                                          "Ann"s)));

  EXPECT_THAT(Bytes(bo_->WaitRequest(kTranInviteToChat)),
              ElementsAreArray(Wire("\x00\x03"
                                    "\x00\x72\x00\x04"s +
                                    Be32(id) +
                                    "\x00\x67\x00\x02\x00\x01"
                                    "\x00\x66\x00\x03"
                                    "Ann"s)));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x03"
                                    "\x00\x66\x00\x02"
                                    "Cy"
                                    "\x00\x71\x00\x02\x00\x03"  // kind 3
                                    "\x00\x65\x00\x21"
                                    "Cy does not accept private chats."sv)));
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranInviteToChat));
  EXPECT_FALSE(ann_->WaitRequest(kTranInviteToChat, milliseconds(0)));
}

TEST_F(ChatRooms, CreatingWithoutThePrivilegeIsRefused) {
  EXPECT_EQ(ErrorText(bo_->Call(kTranCreatePrivateChat, WithChatId(0, {1}))),
            "You are not allowed to create a new chat.");
  EXPECT_TRUE(NothingOf(*bo_, *ann_, kTranInviteToChat));
}

TEST_F(ChatRooms, InviteAnswersWithTheAutoResponseUnlessTheInviterRefusesMessages) {
  const uint32_t id = Create(*ann_);
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Away";
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {2}));
  // Bo still gets the invitation; Ann hears its auto-response.
  const auto invitation = bo_->WaitRequest(kTranInviteToChat);
  ASSERT_TRUE(invitation);
  EXPECT_EQ(invitation->fields.ReadInteger(kFieldChatId), id);
  const auto auto_response = ann_->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(auto_response);
  EXPECT_EQ(auto_response->fields.ReadInteger(kFieldOptions), 4u);
  EXPECT_EQ(auto_response->fields.ReadText(kFieldData, 256), "Away");

  Session(0).refuses_private_messages = true;
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {2}));
  EXPECT_TRUE(bo_->WaitRequest(kTranInviteToChat));
  EXPECT_TRUE(NothingOf(*ann_, *ann_, kTranServerMessage));
}

TEST_F(ChatRooms, InvitingAMemberOrOneselfSendsNothing) {
  const uint32_t id = Create(*ann_);
  ASSERT_TRUE(JoinRoom(*bo_, id));
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {2, 1}));
  ann_->SendRequest(kTranInviteToChat, WithChatId(id + 1, {3}));  // no such room
  EXPECT_TRUE(NothingOf(*ann_, *bo_, kTranInviteToChat));
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranInviteToChat));
  EXPECT_FALSE(ann_->WaitRequest(kTranInviteToChat, milliseconds(0)));
  EXPECT_FALSE(ann_->WaitRequest(kTranServerMessage, milliseconds(0)));

  // Nor does a non-member inviting itself.
  cy_->SendRequest(kTranInviteToChat, WithChatId(id, {3}));
  EXPECT_TRUE(NothingOf(*cy_, *cy_, kTranInviteToChat));
}

TEST_F(ChatRooms, JoiningTwiceListsTheMembersAgainWithoutANewAnnouncement) {
  const uint32_t id = Create(*ann_);
  auto reply = JoinRoom(*bo_, id);
  ASSERT_TRUE(reply);
  const auto members = Wire(
      "\x00\x02"
      "\x01\x2C\x00\x0B\x00\x01\x00\x00\x00\x00\x00\x03"
      "Ann"
      "\x01\x2C\x00\x0A\x00\x02\x00\x00\x00\x00\x00\x02"
      "Bo"sv);
  EXPECT_THAT(Bytes(reply->fields), ElementsAreArray(members));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranUserJoinedChat)),
              ElementsAreArray(Wire("\x00\x05"
                                    "\x00\x72\x00\x04"s +
                                    Be32(id) +
                                    "\x00\x67\x00\x02\x00\x02"
                                    "\x00\x68\x00\x02\x00\x00"
                                    "\x00\x70\x00\x02\x00\x00"
                                    "\x00\x66\x00\x02"
                                    "Bo"s)));

  reply = JoinRoom(*bo_, id);
  ASSERT_TRUE(reply);
  EXPECT_THAT(Bytes(reply->fields), ElementsAreArray(members));
  EXPECT_TRUE(NothingOf(*bo_, *ann_, kTranUserJoinedChat));
}

TEST_F(ChatRooms, TheLastMemberLeavingDeletesTheRoom) {
  const uint32_t id = Create(*ann_);
  ASSERT_TRUE(JoinRoom(*bo_, id));
  bo_->SendRequest(kTranLeaveChat, WithChatId(id));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranUserLeftChat)),
              ElementsAreArray(Wire("\x00\x02"
                                    "\x00\x72\x00\x04"s +
                                    Be32(id) + "\x00\x67\x00\x02\x00\x02"s)));
  ann_->SendRequest(kTranLeaveChat, WithChatId(id));
  RoundTrip(*ann_);
  EXPECT_EQ(ErrorText(JoinRoom(*cy_, id)), kClosedText);
}

TEST_F(ChatRooms, AnEmptySubjectRemovesIt) {
  const uint32_t id = Create(*ann_);
  UFieldData subject = WithChatId(id);
  subject.AddText(kFieldChatSubject, "Plans");
  bo_->SendRequest(kTranSetChatSubject, subject);  // a non-member may set it
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranChatSubject)),
              ElementsAreArray(Wire("\x00\x02"
                                    "\x00\x72\x00\x04"s +
                                    Be32(id) + "\x00\x73\x00\x05Plans"s)));
  EXPECT_TRUE(NothingOf(*bo_, *bo_, kTranChatSubject));

  auto reply = JoinRoom(*bo_, id);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->fields.Count(), 3u);
  EXPECT_EQ(reply->fields.FieldIdAt(1), kFieldChatSubject);
  EXPECT_EQ(reply->fields.ReadText(kFieldChatSubject, 256), "Plans");

  ann_->SendRequest(kTranSetChatSubject, WithChatId(id));
  for (TestClient* member : {ann_.get(), bo_.get()}) {
    EXPECT_THAT(Bytes(member->WaitRequest(kTranChatSubject)),
                ElementsAreArray(Wire("\x00\x01\x00\x72\x00\x04"s + Be32(id))));
  }
  reply = JoinRoom(*cy_, id);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->fields.Count(), 3u);
  EXPECT_EQ(reply->fields.Find(kFieldChatSubject), 0u);
}

TEST_F(ChatRooms, DeclineIsAChatLineToTheRoom) {
  const uint32_t id = Create(*ann_, {2});
  bo_->SendRequest(kTranDeclineChat, WithChatId(id));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranChatMessage)),
              ElementsAreArray(Wire(
                  "\x00\x02"
                  "\x00\x72\x00\x04"s +
                  Be32(id) + "\x00\x65\x00\x29\r<<< \"Bo\" declined invitation to chat >>>"s)));
  EXPECT_TRUE(NothingOf(*bo_, *bo_, kTranChatMessage));
}

TEST_F(ChatRooms, RoomChatReachesTheMembersOnly) {
  const uint32_t id = Create(*ann_);
  ASSERT_TRUE(JoinRoom(*bo_, id));
  UFieldData line = WithChatId(id);
  line.AddText(kFieldData, "yo");
  ann_->SendRequest(kTranSendChat, line);
  EXPECT_THAT(Bytes(bo_->WaitRequest(kTranChatMessage)),
              ElementsAreArray(Wire("\x00\x02"
                                    "\x00\x65\x00\x13\r          Ann:  yo"
                                    "\x00\x72\x00\x04"s +
                                    Be32(id))));
  ASSERT_TRUE(ann_->WaitRequest(kTranChatMessage));
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranChatMessage));

  // A non-member's line reaches the room.
  UFieldData outsider = WithChatId(id);
  outsider.AddText(kFieldData, "knock");
  cy_->SendRequest(kTranSendChat, outsider);
  ASSERT_TRUE(bo_->WaitRequest(kTranChatMessage));
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranChatMessage));
}

TEST_F(ChatRooms, ARemovedClientLeavesEveryRoom) {
  const uint32_t first = Create(*ann_);
  const uint32_t second = Create(*ann_);
  ASSERT_TRUE(JoinRoom(*bo_, first));
  ASSERT_TRUE(JoinRoom(*bo_, second));
  ASSERT_TRUE(JoinRoom(*cy_, first));
  Session(1).privileges.Set(kPrivilegeCreatePrivateChats);
  const uint32_t alone = Create(*bo_);

  bo_->Close();
  // Newest room first: Ann hears about the second room, then the first.
  for (uint32_t id : {second, first}) {
    const auto left = ann_->WaitRequest(kTranUserLeftChat);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->fields.ReadInteger(kFieldChatId), id);
    EXPECT_EQ(left->fields.ReadInteger(kFieldUserId), 2u);
  }
  const auto left = cy_->WaitRequest(kTranUserLeftChat);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->fields.ReadInteger(kFieldChatId), first);
  ASSERT_TRUE(ann_->WaitRequest(kTranUserLeft));
  EXPECT_EQ(ErrorText(JoinRoom(*ann_, alone)), kClosedText);
}

}  // namespace
}  // namespace vantrel::testing
