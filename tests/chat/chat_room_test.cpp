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
    fixture_.Server().GetRandom() = Random(1);
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
    const auto reply = client.WaitReply(client.SendRequest(kTranCreatePrivateChat, fields));
    if (!reply || reply->header.error != 0) return 0;
    const uint32_t chat_id = reply->fields.ReadInteger(kFieldChatId);
    EXPECT_GT(chat_id, 0xFFFFu);
    return chat_id;
  }

  static std::optional<Received> JoinRoom(TestClient& client, uint32_t chat_id) {
    return client.WaitReply(client.SendRequest(kTranJoinChat, WithChatId(chat_id)));
  }

  static std::string ErrorOf(const std::optional<Received>& reply) {
    if (!reply || reply->header.error != 1) return "(no error reply)";
    return reply->fields.ReadText(kFieldErrorText, 256);
  }

  std::unique_ptr<TestClient> ann_, bo_, cy_;  // user IDs 1, 2 and 3
};

TEST_F(ChatRooms, CreateInvitesTheListedUsersAndRepliesWithTheCreator) {
  Session(0).icon = 128;
  Session(2).refuses_private_chat = true;
  UFieldData fields;
  for (uint32_t user : {2u, 3u, 1u, 77u}) fields.AddInteger(kFieldUserId, user);
  const auto reply = ann_->WaitReply(ann_->SendRequest(kTranCreatePrivateChat, fields));
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

  const auto invitation = bo_->WaitRequest(kTranInviteToChat);
  ASSERT_TRUE(invitation);
  EXPECT_THAT(Bytes(invitation->fields), ElementsAreArray(Wire("\x00\x03"
                                                               "\x00\x72\x00\x04"s +
                                                               Be32(id) +
                                                               "\x00\x67\x00\x02\x00\x01"
                                                               "\x00\x66\x00\x03"
                                                               "Ann"s)));
  const auto refused = ann_->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(refused);
  EXPECT_THAT(Bytes(refused->fields),
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
  const auto reply = bo_->WaitReply(bo_->SendRequest(kTranCreatePrivateChat, WithChatId(0, {1})));
  EXPECT_EQ(ErrorOf(reply), "You are not allowed to create a new chat.");
  EXPECT_TRUE(NothingOf(*bo_, *ann_, kTranInviteToChat));
}

TEST_F(ChatRooms, TwoRoomsInARowDifferByOneInTheLowestByte) {
  const uint32_t first = Create(*ann_);
  const uint32_t second = Create(*ann_);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(second & 0xFF, ((first & 0xFF) + 1) & 0xFF);
  EXPECT_NE(first, second);
}

TEST_F(ChatRooms, InviteAnswersForRefusalAndAutoResponse) {
  const uint32_t id = Create(*ann_);
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Away";
  Session(2).refuses_private_chat = true;
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {2, 3}));

  // Bo still gets the invitation; Ann hears its auto-response and Cy's refusal.
  const auto invitation = bo_->WaitRequest(kTranInviteToChat);
  ASSERT_TRUE(invitation);
  EXPECT_EQ(invitation->fields.ReadInteger(kFieldChatId), id);
  const auto auto_response = ann_->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(auto_response);
  EXPECT_EQ(auto_response->fields.ReadInteger(kFieldOptions), 4u);
  EXPECT_EQ(auto_response->fields.ReadText(kFieldData, 256), "Away");
  const auto refusal = ann_->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->fields.ReadInteger(kFieldUserId), 3u);
  EXPECT_EQ(refusal->fields.ReadText(kFieldData, 256), "Cy does not accept private chats.");
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranInviteToChat));

  // An inviter that refuses messages itself hears nothing back.
  Session(0).refuses_private_messages = true;
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {3}));
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
  const auto joined = ann_->WaitRequest(kTranUserJoinedChat);
  ASSERT_TRUE(joined);
  EXPECT_THAT(Bytes(joined->fields), ElementsAreArray(Wire("\x00\x05"
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

TEST_F(ChatRooms, MembersWithoutADisplayNameAreLeftOutOfTheJoinReply) {
  const uint32_t id = Create(*ann_);
  Session(2).display_name.clear();
  ASSERT_TRUE(JoinRoom(*cy_, id));
  const auto reply = JoinRoom(*bo_, id);
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->fields.Count(), 2u);
  EXPECT_EQ(reply->fields.DataAt(2)[1], 2);  // Bo last, Cy skipped
}

TEST_F(ChatRooms, TheLastMemberLeavingDeletesTheRoom) {
  const uint32_t id = Create(*ann_);
  ASSERT_TRUE(JoinRoom(*bo_, id));
  bo_->SendRequest(kTranLeaveChat, WithChatId(id));
  const auto left = ann_->WaitRequest(kTranUserLeftChat);
  ASSERT_TRUE(left);
  EXPECT_THAT(Bytes(left->fields), ElementsAreArray(Wire("\x00\x02"
                                                         "\x00\x72\x00\x04"s +
                                                         Be32(id) + "\x00\x67\x00\x02\x00\x02"s)));
  ann_->SendRequest(kTranLeaveChat, WithChatId(id));
  RoundTrip(*ann_);
  EXPECT_EQ(ErrorOf(JoinRoom(*cy_, id)), kClosedText);
}

TEST_F(ChatRooms, AnEmptySubjectRemovesIt) {
  const uint32_t id = Create(*ann_);
  UFieldData subject = WithChatId(id);
  subject.AddText(kFieldChatSubject, "Plans");
  bo_->SendRequest(kTranSetChatSubject, subject);  // a non-member may set it
  const auto changed = ann_->WaitRequest(kTranChatSubject);
  ASSERT_TRUE(changed);
  EXPECT_THAT(Bytes(changed->fields), ElementsAreArray(Wire("\x00\x02"
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
    const auto removed = member->WaitRequest(kTranChatSubject);
    ASSERT_TRUE(removed);
    EXPECT_THAT(Bytes(removed->fields),
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
  const auto line = ann_->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_THAT(Bytes(line->fields),
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
  const auto delivered = bo_->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(delivered);
  EXPECT_THAT(Bytes(delivered->fields), ElementsAreArray(Wire("\x00\x02"
                                                              "\x00\x65\x00\x13\r          Ann:  yo"
                                                              "\x00\x72\x00\x04"s +
                                                              Be32(id))));
  ASSERT_TRUE(ann_->WaitRequest(kTranChatMessage));
  EXPECT_TRUE(NothingOf(*ann_, *cy_, kTranChatMessage));

  // A non-member's line reaches the room; a line to a missing room reaches nobody.
  UFieldData outsider = WithChatId(id);
  outsider.AddText(kFieldData, "knock");
  cy_->SendRequest(kTranSendChat, outsider);
  ASSERT_TRUE(bo_->WaitRequest(kTranChatMessage));
  UFieldData nowhere = WithChatId(id + 1);
  nowhere.AddText(kFieldData, "lost");
  cy_->SendRequest(kTranSendChat, nowhere);
  for (TestClient* user : {ann_.get(), bo_.get(), cy_.get()}) {
    RoundTrip(*cy_);
    RoundTrip(*user);
  }
  ASSERT_TRUE(ann_->WaitRequest(kTranChatMessage, milliseconds(0)));  // "knock"
  EXPECT_FALSE(ann_->WaitRequest(kTranChatMessage, milliseconds(0)));
  EXPECT_FALSE(bo_->WaitRequest(kTranChatMessage, milliseconds(0)));
  EXPECT_FALSE(cy_->WaitRequest(kTranChatMessage, milliseconds(0)));
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
    EXPECT_THAT(Bytes(left->fields),
                ElementsAreArray(Wire("\x00\x02"
                                      "\x00\x72\x00\x04"s +
                                      Be32(id) + "\x00\x67\x00\x02\x00\x02"s)));
  }
  const auto left = cy_->WaitRequest(kTranUserLeftChat);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->fields.ReadInteger(kFieldChatId), first);
  ASSERT_TRUE(ann_->WaitRequest(kTranUserLeft));
  EXPECT_EQ(ErrorOf(JoinRoom(*ann_, alone)), kClosedText);
}

TEST_F(ChatRooms, CreationsAndInvitationsShareTheMessageWindow) {
  for (int i = 1; i <= 20; ++i) {
    UFieldData message;
    message.AddInteger(kFieldUserId, 2);
    message.AddInteger(kFieldOptions, 1);
    message.AddText(kFieldData, "m" + std::to_string(i));
    ASSERT_TRUE(ann_->WaitReply(ann_->SendRequest(kTranSendPrivateMessage, message)));
  }
  const uint32_t id = Create(*ann_);  // the 21st passes
  ASSERT_NE(id, 0u);
  ann_->SendRequest(kTranInviteToChat, WithChatId(id, {2}));
  EXPECT_TRUE(ann_->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for flooding"));
  EXPECT_TRUE(NothingOf(*bo_, *bo_, kTranInviteToChat));
}

TEST_F(ChatRooms, AServerResetFreesTheRooms) {
  const uint32_t id = Create(*ann_);
  fixture_.Server().ResetServer();
  auto dee = Join("Dee");
  ASSERT_TRUE(dee);
  EXPECT_EQ(ErrorOf(JoinRoom(*dee, id)), kClosedText);
}

}  // namespace
}  // namespace vantrel::testing
