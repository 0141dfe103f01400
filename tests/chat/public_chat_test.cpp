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
    EXPECT_THAT(Bytes(reader->WaitRequest(kTranChatMessage)), ElementsAreArray(expected));
  }
}

TEST_F(PublicChat, ChatOptionOneIsAnActionAnyOtherANormalLine) {
  auto ann = Join("Ann");
  ASSERT_TRUE(ann);
  Say(*ann, "waves", 1);
  auto line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_THAT(Bytes(line->fields),
              ElementsAreArray(Wire("\x00\x01\x00\x65\x00\x0F\r *** Ann waves"sv)));

  Say(*ann, "x", 2);
  line = ann->WaitRequest(kTranChatMessage);
  ASSERT_TRUE(line);
  EXPECT_EQ(LineOf(*line), "\r          Ann:  x");
}

TEST_F(PublicChat, LinesNeedSendChatToGoAndReadChatToArrive) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  auto cy = Join("Cy", {kPrivilegeReadChat});
  ASSERT_TRUE(ann && bo && cy);
  Say(*ann, "hello");
  ASSERT_TRUE(bo->WaitRequest(kTranChatMessage));
  EXPECT_TRUE(NothingOf(*ann, *ann, kTranChatMessage));

  Say(*cy, "hello");
  EXPECT_THAT(Bytes(cy->WaitRequest(kTranServerMessage)),
              ElementsAreArray(Wire("\x00\x02"
                                    "\x00\x6D\x00\x02\x00\x01"  // 109 = 1
                                    "\x00\x65\x00\x2B"
                                    "You are not allowed to participate in chat."sv)));
  EXPECT_TRUE(NothingOf(*cy, *bo, kTranChatMessage));
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
  EXPECT_TRUE(
      fixture_.Server().Bans().Temporary().IsBanned(SourceOf(0), fixture_.Clock().Seconds()));
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

TEST_F(PublicChat, MoreThan10240BytesInTheSixtySecondWindowBanTheNextLine) {
  auto ann = Join("Ann", {kPrivilegeSendChat});
  auto bo = Join("Bo");
  ASSERT_TRUE(ann && bo);
  // Each line is charged with its 17 bytes of prefix: 8192 (the cut line), then 10,240.
  Say(*ann, std::string(8192, 'x'));
  Say(*ann, std::string(2031, 'y'));
  Say(*ann, "still fine");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage)) << i;
  fixture_.Clock().Advance(61);  // a new window starts with the next line
  Say(*ann, std::string(8192, 'x'));
  Say(*ann, std::string(2032, 'y'));  // 10,241
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(bo->WaitRequest(kTranChatMessage)) << i;
  fixture_.AdvanceAndPass(60);  // the window is still running
  EXPECT_FALSE(fixture_.Logged("Autobanned for flooding"));
  Say(*ann, "late");
  EXPECT_TRUE(ann->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Autobanned for flooding"));
}

}  // namespace
}  // namespace vantrel::testing
