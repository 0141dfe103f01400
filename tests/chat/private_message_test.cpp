#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "chat/chat_test_support.h"
#include "protocol/field_ids.h"

namespace vantrel::testing {
namespace {

using namespace std::string_view_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class PrivateMessages : public ChatTest {
 protected:
  void SetUp() override {
    ann_ = Sender("Ann");
    bo_ = Join("Bo");
    ASSERT_TRUE(ann_ && bo_);
  }
  std::unique_ptr<TestClient> Sender(std::string name) {
    return Join(std::move(name), {kPrivilegeSendPrivateMessages, kPrivilegeSendChat,
                                  kPrivilegeReadChat, kPrivilegeBroadcast});
  }
  static uint32_t Message(TestClient& client, uint16_t to, std::string_view text, uint32_t kind = 1,
                          std::string_view quoted = {}) {
    UFieldData fields;
    fields.AddInteger(kFieldUserId, to);
    fields.AddInteger(kFieldOptions, kind);
    fields.AddText(kFieldData, text);
    fields.AddText(kFieldQuotedText, quoted);
    return client.SendRequest(kTranSendPrivateMessage, fields);
  }
  // The reply to `id`, which must be the empty success reply.
  static void ExpectEmptyReply(TestClient& client, uint32_t id) {
    const auto reply = client.WaitReply(id);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.error, 0u);
    EXPECT_THAT(Bytes(reply->fields), ElementsAre(0x00, 0x00));
  }
  static void ExpectErrorReply(TestClient& client, uint32_t id, std::string_view text) {
    EXPECT_EQ(ErrorText(client.WaitReply(id)), text);
  }

  std::unique_ptr<TestClient> ann_, bo_;  // user IDs 1 and 2
};

TEST_F(PrivateMessages, OrdinaryMessageIsRepliedAndDeliveredWithItsQuote) {
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "hello", 1, "earlier"));
  EXPECT_THAT(Bytes(bo_->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x05"
                                    "\x00\x67\x00\x02\x00\x01"  // 103: from user 1
                                    "\x00\x66\x00\x03"
                                    "Ann"                       // 102: its name
                                    "\x00\x71\x00\x02\x00\x01"  // 113: kind 1
                                    "\x00\x65\x00\x05hello"     // 101: the text
                                    "\x00\xD6\x00\x07"
                                    "earlier"sv)));  // 214: the quote
  EXPECT_TRUE(NothingOf(*bo_, *ann_, kTranServerMessage));
}

TEST_F(PrivateMessages, AutoResponseComesBackToTheSender) {
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Back soon";
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "hi"));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x02"  // 103: the recipient
                                    "\x00\x66\x00\x02"
                                    "Bo"
                                    "\x00\x71\x00\x02\x00\x04"  // 113: kind 4
                                    "\x00\x65\x00\x09"
                                    "Back soon"sv)));
  EXPECT_EQ(DataText(bo_->WaitRequest(kTranServerMessage)), "hi");
}

TEST_F(PrivateMessages, RefusingRecipientIsNotSentAndTheSenderIsTold) {
  Session(1).refuses_private_messages = true;
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "hi"));
  EXPECT_THAT(Bytes(ann_->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x02"
                                    "\x00\x66\x00\x02"
                                    "Bo"
                                    "\x00\x71\x00\x02\x00\x02"  // 113: kind 2
                                    "\x00\x65\x00\x24"
                                    "Bo does not accept private messages."sv)));
  EXPECT_TRUE(NothingOf(*ann_, *bo_, kTranServerMessage));

  // With its auto-response on as well, the sender gets the auto-response instead.
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Busy";
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "again"));
  EXPECT_EQ(DataText(ann_->WaitRequest(kTranServerMessage)), "Busy");
}

TEST_F(PrivateMessages, AnEmptyAutoResponseOrASenderThatRefusesMessagesGetsNothingBack) {
  Session(1).auto_response_on = true;
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "hi"));
  EXPECT_EQ(DataText(bo_->WaitRequest(kTranServerMessage)), "hi");
  EXPECT_TRUE(NothingOf(*ann_, *ann_, kTranServerMessage));

  Session(0).refuses_private_messages = true;
  Session(1).auto_response_text = "Away";
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "again"));
  EXPECT_EQ(DataText(bo_->WaitRequest(kTranServerMessage)), "again");
  EXPECT_TRUE(NothingOf(*ann_, *ann_, kTranServerMessage));
}

TEST_F(PrivateMessages, NoticeKindsCarryServerTextsAndOtherKindsPassAsGiven) {
  Session(1).auto_response_on = true;  // answered for kind 1 only
  Session(1).auto_response_text = "Away";
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "ignored", 2));
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "ignored too", 3));
  ExpectEmptyReply(*ann_, Message(*ann_, 2, "as is", 7));

  EXPECT_THAT(Bytes(bo_->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x01"
                                    "\x00\x66\x00\x03"
                                    "Ann"
                                    "\x00\x71\x00\x02\x00\x02"
                                    "\x00\x65\x00\x25"
                                    "Ann does not accept private messages."sv)));
  EXPECT_EQ(DataText(bo_->WaitRequest(kTranServerMessage)), "Ann does not accept private chats.");
  const auto other = bo_->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->fields.ReadInteger(kFieldOptions), 7u);
  EXPECT_EQ(DataText(other), "as is");
  EXPECT_TRUE(NothingOf(*ann_, *ann_, kTranServerMessage));
}

TEST_F(PrivateMessages, AMessageToOneselfIsDelivered) {
  ExpectEmptyReply(*ann_, Message(*ann_, 1, "note"));
  EXPECT_EQ(DataText(ann_->WaitRequest(kTranServerMessage)), "note");
}

TEST_F(PrivateMessages, UnknownRecipientIsAnError) {
  ExpectErrorReply(*ann_, Message(*ann_, 99, "anyone?"),
                   "Couldn't send your message because the client is not connected to this "
                   "server.");
}

TEST_F(PrivateMessages, TwentyOneMessagesPassAndTheTwentySecondBans) {
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann_, Message(*ann_, 2, "a" + std::to_string(i)));
  fixture_.AdvanceAndPass(61);  // a new window starts with the next message
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann_, Message(*ann_, 2, "m" + std::to_string(i)));
  for (int i = 1; i <= 42; ++i) ASSERT_TRUE(bo_->WaitRequest(kTranServerMessage));
  Message(*ann_, 2, "m22");
  EXPECT_TRUE(ann_->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for flooding"));
  RoundTrip(*bo_);
  EXPECT_FALSE(bo_->WaitRequest(kTranServerMessage, milliseconds(0)));
}

TEST_F(PrivateMessages, RefusedMessagesStillCount) {
  Session(0).privileges.Clear(kPrivilegeSendPrivateMessages);
  for (int i = 1; i <= 21; ++i) {
    ExpectErrorReply(*ann_, Message(*ann_, 2, "m" + std::to_string(i)),
                     "You are not allowed to send private messages.");
  }
  Message(*ann_, 2, "m22");
  EXPECT_TRUE(ann_->WaitClosed());
  RoundTrip(*bo_);
  EXPECT_FALSE(bo_->WaitRequest(kTranServerMessage, milliseconds(0)));
}

TEST_F(PrivateMessages, ChatLinesAndMessagesShareTheRepeatRule) {
  UFieldData chat;
  chat.AddText(kFieldData, "same");
  for (int i = 0; i < 3; ++i) ann_->SendRequest(kTranSendChat, chat);
  for (int i = 0; i < 2; ++i) ExpectEmptyReply(*ann_, Message(*ann_, 2, "same"));
  // The sixth "same" in a row, whatever carried the others.
  Message(*ann_, 2, "same");
  EXPECT_TRUE(ann_->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for Message Spam"));
  EXPECT_TRUE(
      fixture_.Server().Bans().Temporary().IsBanned(SourceOf(0), fixture_.Clock().Seconds()));
}

TEST_F(PrivateMessages, BroadcastReachesEveryOtherLoggedInUser) {
  auto cy = fixture_.ConnectClient(next_source_++);  // not logged in
  ASSERT_TRUE(cy);
  Session(2).privileges.Set(kPrivilegeReadChat);

  UFieldData fields;
  fields.AddText(kFieldData, "news");
  ExpectEmptyReply(*ann_, ann_->SendRequest(kTranBroadcast, fields));
  EXPECT_THAT(Bytes(bo_->WaitRequest(kTranBroadcast)),
              ElementsAreArray(Wire("\x00\x03"
                                    "\x00\x67\x00\x02\x00\x01"
                                    "\x00\x66\x00\x03"
                                    "Ann"
                                    "\x00\x65\x00\x04"
                                    "news"sv)));
  EXPECT_TRUE(NothingOf(*ann_, *ann_, kTranBroadcast));
  // A chat line reaches Cy (it reads chat) after anything the broadcast sent it.
  UFieldData chat;
  chat.AddText(kFieldData, "after");
  ann_->SendRequest(kTranSendChat, chat);
  ASSERT_TRUE(cy->WaitRequest(kTranChatMessage));
  EXPECT_FALSE(cy->WaitRequest(kTranBroadcast, milliseconds(0)));
}

TEST_F(PrivateMessages, EmptyBroadcastIsAnsweredAndCountedButNotSent) {
  ExpectEmptyReply(*ann_, ann_->SendRequest(kTranBroadcast, UFieldData()));
  EXPECT_TRUE(NothingOf(*ann_, *bo_, kTranBroadcast));
  for (int i = 1; i <= 20; ++i) ExpectEmptyReply(*ann_, Message(*ann_, 2, "m" + std::to_string(i)));
  Message(*ann_, 2, "m21");
  EXPECT_TRUE(ann_->WaitClosed());
}

TEST_F(PrivateMessages, BroadcastWithoutThePrivilegeIsRefusedBeforeCounting) {
  Session(0).privileges.Clear(kPrivilegeBroadcast);
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann_, Message(*ann_, 2, "m" + std::to_string(i)));
  UFieldData fields;
  fields.AddText(kFieldData, "news");
  ExpectErrorReply(*ann_, ann_->SendRequest(kTranBroadcast, fields),
                   "You are not allowed to broadcast.");
  EXPECT_TRUE(NothingOf(*ann_, *bo_, kTranBroadcast));
}

}  // namespace
}  // namespace vantrel::testing
