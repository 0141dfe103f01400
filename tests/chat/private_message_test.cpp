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
    const auto reply = client.WaitReply(id);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.error, 1u);
    EXPECT_EQ(reply->fields.ReadText(kFieldErrorText, 256), text);
  }
  static std::string TextOf(const std::optional<Received>& received) {
    return received ? received->fields.ReadText(kFieldData, 65536) : "(nothing)";
  }
};

TEST_F(PrivateMessages, OrdinaryMessageIsRepliedAndDeliveredWithItsQuote) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  ExpectEmptyReply(*ann, Message(*ann, 2, "hello", 1, "earlier"));
  const auto delivered = bo->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(delivered);
  EXPECT_THAT(Bytes(delivered->fields),
              ElementsAreArray(Wire("\x00\x05"
                                    "\x00\x67\x00\x02\x00\x01"  // 103: from user 1
                                    "\x00\x66\x00\x03"
                                    "Ann"                       // 102: its name
                                    "\x00\x71\x00\x02\x00\x01"  // 113: kind 1
                                    "\x00\x65\x00\x05hello"     // 101: the text
                                    "\x00\xD6\x00\x07"
                                    "earlier"sv)));  // 214: the quote
  EXPECT_TRUE(NothingOf(*bo, *ann, kTranServerMessage));
}

TEST_F(PrivateMessages, AutoResponseComesBackToTheSender) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Back soon";
  ExpectEmptyReply(*ann, Message(*ann, 2, "hi"));
  const auto answer = ann->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(answer);
  EXPECT_THAT(Bytes(answer->fields),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x02"  // 103: the recipient
                                    "\x00\x66\x00\x02"
                                    "Bo"
                                    "\x00\x71\x00\x02\x00\x04"  // 113: kind 4
                                    "\x00\x65\x00\x09"
                                    "Back soon"sv)));
  EXPECT_EQ(TextOf(bo->WaitRequest(kTranServerMessage)), "hi");
}

TEST_F(PrivateMessages, RefusingRecipientIsNotSentAndTheSenderIsTold) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Session(1).refuses_private_messages = true;
  ExpectEmptyReply(*ann, Message(*ann, 2, "hi"));
  const auto answer = ann->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(answer);
  EXPECT_THAT(Bytes(answer->fields),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x02"
                                    "\x00\x66\x00\x02"
                                    "Bo"
                                    "\x00\x71\x00\x02\x00\x02"  // 113: kind 2
                                    "\x00\x65\x00\x24"
                                    "Bo does not accept private messages."sv)));
  EXPECT_TRUE(NothingOf(*ann, *bo, kTranServerMessage));

  // With its auto-response on as well, the sender gets the auto-response instead.
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Busy";
  ExpectEmptyReply(*ann, Message(*ann, 2, "again"));
  EXPECT_EQ(TextOf(ann->WaitRequest(kTranServerMessage)), "Busy");
}

TEST_F(PrivateMessages, AnEmptyAutoResponseSendsNothingBack) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Session(1).auto_response_on = true;
  ExpectEmptyReply(*ann, Message(*ann, 2, "hi"));
  EXPECT_EQ(TextOf(bo->WaitRequest(kTranServerMessage)), "hi");
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranServerMessage));
}

TEST_F(PrivateMessages, ASenderThatRefusesMessagesHearsNothingBack) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Session(0).refuses_private_messages = true;
  Session(1).auto_response_on = true;
  Session(1).auto_response_text = "Away";
  ExpectEmptyReply(*ann, Message(*ann, 2, "hi"));
  EXPECT_EQ(TextOf(bo->WaitRequest(kTranServerMessage)), "hi");
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranServerMessage));
}

TEST_F(PrivateMessages, NoticeKindsCarryServerTextsAndOtherKindsPassAsGiven) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Session(1).auto_response_on = true;  // answered for kind 1 only
  Session(1).auto_response_text = "Away";
  ExpectEmptyReply(*ann, Message(*ann, 2, "ignored", 2));
  ExpectEmptyReply(*ann, Message(*ann, 2, "ignored too", 3));
  ExpectEmptyReply(*ann, Message(*ann, 2, "as is", 7));

  const auto refuses_messages = bo->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(refuses_messages);
  EXPECT_THAT(Bytes(refuses_messages->fields),
              ElementsAreArray(Wire("\x00\x04"
                                    "\x00\x67\x00\x02\x00\x01"
                                    "\x00\x66\x00\x03"
                                    "Ann"
                                    "\x00\x71\x00\x02\x00\x02"
                                    "\x00\x65\x00\x25"
                                    "Ann does not accept private messages."sv)));
  const auto refuses_chats = bo->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(refuses_chats);
  EXPECT_EQ(refuses_chats->fields.ReadInteger(kFieldOptions), 3u);
  EXPECT_EQ(TextOf(refuses_chats), "Ann does not accept private chats.");
  const auto other = bo->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->fields.ReadInteger(kFieldOptions), 7u);
  EXPECT_EQ(TextOf(other), "as is");
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranServerMessage));
}

TEST_F(PrivateMessages, AMessageToOneselfIsDelivered) {
  auto ann = Sender("Ann");
  ASSERT_TRUE(ann);
  ExpectEmptyReply(*ann, Message(*ann, 1, "note"));
  const auto delivered = ann->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(delivered);
  EXPECT_THAT(Bytes(delivered->fields), ElementsAreArray(Wire("\x00\x04"
                                                              "\x00\x67\x00\x02\x00\x01"
                                                              "\x00\x66\x00\x03"
                                                              "Ann"
                                                              "\x00\x71\x00\x02\x00\x01"
                                                              "\x00\x65\x00\x04"
                                                              "note"sv)));
}

TEST_F(PrivateMessages, UnknownRecipientIsAnError) {
  auto ann = Sender("Ann");
  ASSERT_TRUE(ann);
  ExpectErrorReply(*ann, Message(*ann, 99, "anyone?"),
                   "Couldn't send your message because the client is not connected to this "
                   "server.");
}

TEST_F(PrivateMessages, TwentyOneMessagesPassAndTheTwentySecondBans) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "m" + std::to_string(i)));
  for (int i = 1; i <= 21; ++i) {
    EXPECT_EQ(TextOf(bo->WaitRequest(kTranServerMessage)), "m" + std::to_string(i));
  }
  Message(*ann, 2, "m22");
  EXPECT_TRUE(ann->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for flooding"));
  RoundTrip(*bo);
  EXPECT_FALSE(bo->WaitRequest(kTranServerMessage, milliseconds(0)));
}

TEST_F(PrivateMessages, TheMessageWindowStartsOverAfterSixtySeconds) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "a" + std::to_string(i)));
  fixture_.AdvanceAndPass(61);
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "b" + std::to_string(i)));
  EXPECT_FALSE(fixture_.Logged("Autobanned for flooding"));
}

TEST_F(PrivateMessages, RefusedMessagesStillCount) {
  auto ann = Join("Ann");  // without privilege bit 40
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 1; i <= 21; ++i) {
    ExpectErrorReply(*ann, Message(*ann, 2, "m" + std::to_string(i)),
                     "You are not allowed to send private messages.");
  }
  Message(*ann, 2, "m22");
  EXPECT_TRUE(ann->WaitClosed());
  RoundTrip(*bo);
  EXPECT_FALSE(bo->WaitRequest(kTranServerMessage, milliseconds(0)));
}

TEST_F(PrivateMessages, SixthIdenticalMessageBansForMessageSpam) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 0; i < 5; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "buy now"));
  Message(*ann, 2, "buy now");
  EXPECT_TRUE(ann->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for Message Spam"));
  EXPECT_TRUE(fixture_.Server().TemporaryBans().IsBanned(SourceOf(0), fixture_.Clock().Seconds()));
}

TEST_F(PrivateMessages, ChatLinesAndMessagesShareTheRepeatRule) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  UFieldData chat;
  chat.AddText(kFieldData, "same");
  for (int i = 0; i < 3; ++i) ann->SendRequest(kTranSendChat, chat);
  for (int i = 0; i < 2; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "same"));
  // The sixth "same" in a row, whatever carried the others.
  Message(*ann, 2, "same");
  EXPECT_TRUE(ann->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Autobanned for Message Spam"));
}

TEST_F(PrivateMessages, BroadcastReachesEveryOtherLoggedInUser) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  auto cy = fixture_.ConnectClient(next_source_++);  // not logged in
  ASSERT_TRUE(ann && bo && cy);
  Session(2).privileges.Set(kPrivilegeReadChat);

  UFieldData fields;
  fields.AddText(kFieldData, "news");
  ExpectEmptyReply(*ann, ann->SendRequest(kTranBroadcast, fields));
  const auto broadcast = bo->WaitRequest(kTranBroadcast);
  ASSERT_TRUE(broadcast);
  EXPECT_THAT(Bytes(broadcast->fields), ElementsAreArray(Wire("\x00\x03"
                                                              "\x00\x67\x00\x02\x00\x01"
                                                              "\x00\x66\x00\x03"
                                                              "Ann"
                                                              "\x00\x65\x00\x04"
                                                              "news"sv)));
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranBroadcast));
  // A chat line reaches Cy (it reads chat) after anything the broadcast sent it.
  UFieldData chat;
  chat.AddText(kFieldData, "after");
  ann->SendRequest(kTranSendChat, chat);
  ASSERT_TRUE(cy->WaitRequest(kTranChatMessage));
  EXPECT_FALSE(cy->WaitRequest(kTranBroadcast, milliseconds(0)));
}

TEST_F(PrivateMessages, EmptyBroadcastIsAnsweredAndCountedButNotSent) {
  auto ann = Sender("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  ExpectEmptyReply(*ann, ann->SendRequest(kTranBroadcast, UFieldData()));
  EXPECT_TRUE(NothingOf(*ann, *bo, kTranBroadcast));
  for (int i = 1; i <= 20; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "m" + std::to_string(i)));
  Message(*ann, 2, "m21");
  EXPECT_TRUE(ann->WaitClosed());
}

TEST_F(PrivateMessages, BroadcastWithoutThePrivilegeIsRefusedBeforeCounting) {
  auto ann = Join("Ann", {kPrivilegeSendPrivateMessages});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 1; i <= 21; ++i) ExpectEmptyReply(*ann, Message(*ann, 2, "m" + std::to_string(i)));
  UFieldData fields;
  fields.AddText(kFieldData, "news");
  ExpectErrorReply(*ann, ann->SendRequest(kTranBroadcast, fields),
                   "You are not allowed to broadcast.");
  EXPECT_TRUE(NothingOf(*ann, *bo, kTranBroadcast));
}

TEST_F(PrivateMessages, ConsoleBroadcastIsAServerMessageToEveryLoggedInUser) {
  auto ann = Join("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  fixture_.Server().BroadcastServerMessage("Hello");
  for (TestClient* user : {ann.get(), bo.get()}) {
    const auto message = user->WaitRequest(kTranServerMessage);
    ASSERT_TRUE(message);
    EXPECT_THAT(Bytes(message->fields), ElementsAreArray(Wire("\x00\x01\x00\x65\x00\x05Hello"sv)));
  }
}

}  // namespace
}  // namespace vantrel::testing
