#include "vantrel_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <span>
#include <string_view>
#include <vector>

#include "codec_events.h"

namespace vantrel::load {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::RecordedEvents;

// A server transaction as the wire carries it: the 20-byte header written out
// field by field (flags, is-reply, type, ID, error, total and data size), then
// `body`, which must be a whole field list.
std::vector<uint8_t> FromServer(uint8_t is_reply, uint16_t type, uint32_t id, uint32_t error,
                                const std::vector<uint8_t>& body) {
  const auto size = static_cast<uint32_t>(body.size());
  std::vector<uint8_t> bytes = {0x00, is_reply, static_cast<uint8_t>(type >> 8),
                                static_cast<uint8_t>(type)};
  for (const uint32_t value : {id, error, size, size}) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<uint8_t>(value >> shift));
  }
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

const std::vector<uint8_t> kAccepted = {'T', 'R', 'T', 'P', 0x00, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kNoFields = {0x00, 0x00};
// 354 with field 110 (user access): bits 9 and 10.
const std::vector<uint8_t> kPrivileges = {0x00, 0x01, 0x00, 0x6E, 0x00, 0x08, 0x00,
                                          0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

class VantrelCodecTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> Feed(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out;
    codec_->Feed(bytes, out, events_);
    return out;
  }
  void LogIn() {
    Feed(kAccepted);
    Feed(FromServer(1, 0, 1, 0, kNoFields));
    Feed(FromServer(0, 354, 1, 0, kPrivileges));
    Feed(FromServer(0, 109, 2, 0, kNoFields));
  }

  std::unique_ptr<ClientCodec> codec_ = MakeCodec(Protocol::kVantrel, 3);
  RecordedEvents events_;
};

TEST_F(VantrelCodecTest, AnswersTheAcceptedHandshakeWithAGuestLogin) {
  EXPECT_THAT(
      Feed(kAccepted),
      ElementsAreArray<uint8_t>({
          0x00, 0x00, 0x00, 0x6B,                                // request 107
          0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,        // ID 1, error 0
          0x00, 0x00, 0x00, 0x22, 0x00, 0x00, 0x00, 0x22,        // 34 bytes
          0x00, 0x04,                                            // four fields
          0x00, 0x69, 0x00, 0x05, 0x98, 0x8A, 0x9A, 0x8C, 0x8B,  // 105: "guest" complemented
          0x00, 0xA0, 0x00, 0x02, 0x00, 0xBE,                    // 160: version 190
          0x00, 0x66, 0x00, 0x07, 'l',  'd',  '0',  '0',  '0',  '0', '3',  // 102: nickname
          0x00, 0x68, 0x00, 0x02, 0x00, 0x80,                              // 104: icon 128
      }));
  EXPECT_EQ(events_.admitted, 1);
  EXPECT_TRUE(events_.failures.empty());
}

TEST_F(VantrelCodecTest, LoggedInOnlyAtTheAgreementAfterReplyAndPrivileges) {
  Feed(kAccepted);
  Feed(FromServer(1, 0, 1, 0, kNoFields));
  Feed(FromServer(0, 354, 1, 0, kPrivileges));
  EXPECT_EQ(events_.logged_in, 0);
  Feed(FromServer(0, 109, 2, 0, kNoFields));
  EXPECT_EQ(events_.logged_in, 1);
  EXPECT_TRUE(events_.failures.empty());
}

TEST_F(VantrelCodecTest, AgreementWithoutPrivilegesIsAFailure) {
  Feed(kAccepted);
  Feed(FromServer(1, 0, 1, 0, kNoFields));
  Feed(FromServer(0, 109, 1, 0, kNoFields));
  EXPECT_EQ(events_.logged_in, 0);
  ASSERT_EQ(events_.failures.size(), 1u);
}

TEST_F(VantrelCodecTest, RefusedHandshakeAndRefusedLoginAreFailures) {
  EXPECT_TRUE(Feed({'T', 'R', 'T', 'P', 0x00, 0x00, 0x00, 0x01}).empty());
  ASSERT_EQ(events_.failures.size(), 1u);
  EXPECT_EQ(events_.admitted, 0);

  auto other = MakeCodec(Protocol::kVantrel, 4);
  RecordedEvents events;
  std::vector<uint8_t> out;
  other->Feed(kAccepted, out, events);
  // Error reply to the login: field 100 "Incorrect login."
  std::vector<uint8_t> body = {0x00, 0x01, 0x00, 0x64, 0x00, 0x10};
  for (char c : std::string_view("Incorrect login.")) body.push_back(static_cast<uint8_t>(c));
  other->Feed(FromServer(1, 0, 1, 1, body), out, events);
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_THAT(events.failures[0], HasSubstr("Incorrect login."));
}

TEST(VantrelCodec, DecodesTheSameEventsHoweverTheStreamIsSplit) {
  // The whole login, an announcement, a chat message, a reply to request 7
  // (field 200 holding AB CD) and a 211 (field 116 holding 0) in one stream.
  std::vector<uint8_t> stream = kAccepted;
  std::vector<uint8_t> chat_body = {0x00, 0x01, 0x00, 0x65, 0x00, 0x1C};
  for (char c : std::string_view("\r        guest:  #L0000042 x")) {
    chat_body.push_back(static_cast<uint8_t>(c));
  }
  for (const auto& part :
       {FromServer(1, 0, 1, 0, kNoFields), FromServer(0, 354, 1, 0, kPrivileges),
        FromServer(0, 109, 2, 0, kNoFields), FromServer(0, 301, 3, 0, kNoFields),
        FromServer(0, 106, 4, 0, chat_body),
        FromServer(1, 0, 7, 0, {0x00, 0x01, 0x00, 0xC8, 0x00, 0x02, 0xAB, 0xCD}),
        FromServer(0, 211, 5, 0, {0x00, 0x01, 0x00, 0x74, 0x00, 0x02, 0x00, 0x00})}) {
    stream.insert(stream.end(), part.begin(), part.end());
  }
  const auto check = [](const RecordedEvents& events) {
    EXPECT_EQ(events.logged_in, 1);
    EXPECT_EQ(events.announcements, 1);
    EXPECT_THAT(events.deliveries, ElementsAre(42u));
    EXPECT_THAT(events.replies, ElementsAre(RecordedEvents::RecordedReply{
                                    7, 0, {0x00, 0x01, 0x00, 0xC8, 0x00, 0x02, 0xAB, 0xCD}}));
    EXPECT_THAT(events.server_transactions,
                ElementsAre(RecordedEvents::RecordedReply{
                    211, 0, {0x00, 0x01, 0x00, 0x74, 0x00, 0x02, 0x00, 0x00}}));
    EXPECT_TRUE(events.failures.empty());
  };
  const std::span<const uint8_t> all(stream);
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    auto codec = MakeCodec(Protocol::kVantrel, 3);
    RecordedEvents events;
    std::vector<uint8_t> out;
    codec->Feed(all.first(cut), out, events);
    codec->Feed(all.subspan(cut), out, events);
    check(events);
  }
  auto codec = MakeCodec(Protocol::kVantrel, 3);
  RecordedEvents events;
  std::vector<uint8_t> out;
  for (size_t at = 0; at < stream.size(); ++at) codec->Feed(all.subspan(at, 1), out, events);
  check(events);
}

TEST_F(VantrelCodecTest, ChatTextIsFoundAmongOtherFields) {
  LogIn();
  // 106 from a private room: field 114 (chat ID 9) before field 101.
  Feed(FromServer(0, 106, 3, 0, {0x00, 0x02, 0x00, 0x72, 0x00, 0x02, 0x00, 0x09, 0x00, 0x65, 0x00,
                                 0x09, '#',  'L',  '0',  '0',  '0',  '0',  '0',  '0',  '7'}));
  EXPECT_THAT(events_.deliveries, ElementsAre(7u));
  // A list whose count promises a field that is not there holds no text.
  Feed(FromServer(0, 106, 4, 0, {0x00, 0x01, 0x00, 0x65, 0x00, 0x09, '#', 'L'}));
  EXPECT_EQ(events_.failures.size(), 1u);
}

TEST_F(VantrelCodecTest, ChatRefusalIsAFailure) {
  LogIn();
  // 104 with field 109 = 1 and field 101 "No."
  Feed(FromServer(
      0, 104, 3, 0,
      {0x00, 0x02, 0x00, 0x6D, 0x00, 0x02, 0x00, 0x01, 0x00, 0x65, 0x00, 0x03, 'N', 'o', '.'}));
  ASSERT_EQ(events_.failures.size(), 1u);
  EXPECT_THAT(events_.failures[0], HasSubstr("No."));
}

TEST_F(VantrelCodecTest, UnexpectedHeaderIsAFailure) {
  LogIn();
  // A chunk whose total size differs from its data size: the server never splits.
  Feed({0x00, 0x00, 0x00, 0x6A, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00});
  EXPECT_EQ(events_.failures.size(), 1u);
}

}  // namespace
}  // namespace vantrel::load
