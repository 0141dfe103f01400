#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "chat/chat_test_support.h"
#include "protocol/field_ids.h"

namespace vantrel::testing {
namespace {

using namespace std::string_view_literals;
using ::testing::Contains;
using ::testing::ElementsAreArray;

class PublicChat : public ChatTest {
 protected:
  static void Say(TestClient& client, std::string_view text, uint32_t options = 0) {
    UFieldData fields;
    fields.AddText(kFieldData, text);
    if (options != 0) fields.AddInteger(kFieldChatOptions, options);
    client.SendRequest(kTranSendChat, fields);
  }
  static std::string LineOf(const Received& received) {
    return received.fields.ReadText(kFieldData, 65536);
  }
};

TEST_F(PublicChat, TwoLettersFromAThreeLetterNameReachEveryReaderAndTheSender) {
  auto ann = Join("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Say(*ann, "hi");
  const auto expected = Wire("\x00\x01\x00\x65\x00\x13\r          Ann:  hi"sv);
  for (TestClient* reader : {bo.get(), ann.get()}) {
    const auto line = reader->WaitRequest(kTranChatMessage);
    ASSERT_TRUE(line);
    EXPECT_THAT(Bytes(line->fields), ElementsAreArray(expected));
  }
}

TEST_F(PublicChat, ActionAndMultiLineTextsAreFormattedOnTheWire) {
  auto ann = Join("Ann");
  ASSERT_TRUE(ann);
  Say(*ann, "waves", 1);
  auto line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_THAT(Bytes(line->fields),
              ElementsAreArray(Wire("\x00\x01\x00\x65\x00\x0F\r *** Ann waves"sv)));

  Say(*ann, "one\rtwo");
  line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_EQ(LineOf(*line), "\r          Ann:  one\r          Ann:  two");

  // Any chat option but 1 is a normal line.
  Say(*ann, "x", 2);
  line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_EQ(LineOf(*line), "\r          Ann:  x");
}

TEST_F(PublicChat, UsersWithoutReadChatAreNotSentLines) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Say(*ann, "hello");
  ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranChatMessage));
}

TEST_F(PublicChat, WithoutSendChatTheSenderIsToldAndNothingIsDelivered) {
  auto ann = Join("Ann", {kPrivilegeReadChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Say(*ann, "hello");
  const auto refusal = ann->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(refusal);
  EXPECT_THAT(Bytes(refusal->fields),
              ElementsAreArray(Wire("\x00\x02"
                                    "\x00\x6D\x00\x02\x00\x01"  // 109 = 1
                                    "\x00\x65\x00\x2B"
                                    "You are not allowed to participate in chat."sv)));
  EXPECT_TRUE(NothingOf(*ann, *bo, kTranChatMessage));
}

TEST_F(PublicChat, SixthIdenticalLineInARowBansTheSender) {
  auto ann = Join("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 0; i < 6; ++i) Say(*ann, "same");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage)) << i;
  EXPECT_TRUE(ann->WaitClosed());
  RoundTrip(*bo);
  EXPECT_FALSE(bo->WaitRequest(kTranChatMessage, milliseconds(0)));
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for Chat Spam"));
  EXPECT_TRUE(fixture_.Server().TemporaryBans().IsBanned(SourceOf(0), fixture_.Clock().Seconds()));
}

TEST_F(PublicChat, ADifferentLineInBetweenStartsTheRepeatCountOver) {
  auto ann = Join("Ann");
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 0; i < 5; ++i) Say(*ann, "same");
  Say(*ann, "other");
  for (int i = 0; i < 5; ++i) Say(*ann, "same");
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage)) << i;
  RoundTrip(*ann);
  EXPECT_FALSE(fixture_.Logged("Autobanned for Chat Spam"));
  // The fifth repeat since "other" is the one that bans.
  Say(*ann, "same");
  EXPECT_TRUE(ann->WaitClosed());
}

TEST_F(PublicChat, OneByteLinesCharge90SoThe115thInAWindowBans) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  for (int i = 0; i < 115; ++i) Say(*ann, i % 2 == 0 ? "a" : "b");
  for (int i = 0; i < 114; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage)) << i;
  EXPECT_TRUE(ann->WaitClosed());
  RoundTrip(*bo);
  EXPECT_FALSE(bo->WaitRequest(kTranChatMessage, milliseconds(0)));
  EXPECT_THAT(fixture_.LogLines(), Contains("Ann|Autobanned for flooding"));
}

TEST_F(PublicChat, TheByteWindowStartsOverAfterSixtySeconds) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  // Two lines of 8192 bytes reach the limit (16,384 charged).
  Say(*ann, std::string(8192, 'x'));
  Say(*ann, std::string(8192, 'y'));
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  fixture_.AdvanceAndPass(60);  // not yet over: the window is still running
  fixture_.Clock().Advance(1);
  Say(*ann, "fresh");
  const auto line = bo->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_EQ(LineOf(*line), "\r          Ann:  fresh");
  Say(*ann, "again");
  ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  RoundTrip(*ann);
  EXPECT_FALSE(fixture_.Logged("Autobanned for flooding"));
}

TEST_F(PublicChat, ReachingExactly10241BytesBansTheNextLineWithinTheWindow) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  // 8192 bytes charged, then 17 bytes of prefix and 2032 of text: 10,241.
  Say(*ann, std::string(8192, 'x'));
  Say(*ann, std::string(2032, 'y'));
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  fixture_.AdvanceAndPass(60);  // the window is still running
  Say(*ann, "late");
  EXPECT_TRUE(ann->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Autobanned for flooding"));
}

TEST_F(PublicChat, OneByteShortOfTheLimitTheNextLinePasses) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  Say(*ann, std::string(8192, 'x'));
  Say(*ann, std::string(2031, 'y'));  // 10,240
  Say(*ann, "still fine");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  RoundTrip(*ann);
  EXPECT_FALSE(fixture_.Logged("Autobanned for flooding"));
}

TEST_F(PublicChat, TextIsCutTo8192BytesBeforeFormatting) {
  auto ann = Join("Ann");
  ASSERT_TRUE(ann);
  std::string text(8192, 'z');
  text += "TAIL";
  Say(*ann, text);
  const auto line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  const std::string delivered = LineOf(*line);
  ASSERT_EQ(delivered.size(), 8192u);
  EXPECT_EQ(delivered.substr(0, 18), "\r          Ann:  z");
  EXPECT_EQ(delivered.find("TAIL"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::testing
