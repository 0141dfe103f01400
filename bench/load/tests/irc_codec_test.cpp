#include "irc_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "codec_events.h"

namespace vantrel::load {
namespace {

using testing::BytesOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::RecordedEvents;

class IrcCodecTest : public ::testing::Test {
 protected:
  std::string Feed(std::string_view text) {
    std::vector<uint8_t> out;
    codec_->Feed(BytesOf(text), out, events_);
    return std::string(out.begin(), out.end());
  }

  std::unique_ptr<ClientCodec> codec_ = MakeCodec(Protocol::kIrc, 7);
  RecordedEvents events_;
};

TEST_F(IrcCodecTest, JoinsAfterTheWelcomeAndIsLoggedInAtTheEndOfNames) {
  EXPECT_EQ(Feed(":irc.test 001 ld00007 :Welcome\r\n"), "JOIN #load\r\n");
  EXPECT_EQ(events_.admitted, 1);
  EXPECT_EQ(Feed(":ld00007!~ld00007@127.10.0.8 JOIN :#load\r\n"), "");
  EXPECT_EQ(events_.announcements, 0);  // its own JOIN announces nobody
  Feed(":irc.test 353 ld00007 = #load :ld00007 ld00001\r\n");
  EXPECT_EQ(events_.logged_in, 0);
  Feed(":irc.test 366 ld00007 #load :End of NAMES list\r\n");
  EXPECT_EQ(events_.logged_in, 1);
  Feed(":irc.test 366 ld00007 #load :End of NAMES list\r\n");
  EXPECT_EQ(events_.logged_in, 1);
  EXPECT_TRUE(events_.failures.empty());
}

TEST_F(IrcCodecTest, CountsOthersJoinsAndChannelMessagesSplitAnywhere) {
  const std::string stream =
      ":ld00002!~ld00002@127.10.0.3 JOIN :#load\r\n"
      ":ld00002!~ld00002@127.10.0.3 PRIVMSG #load :#L0000017 the quick\r\n"
      ":ld00003!~ld00003@127.10.0.4 PRIVMSG #load :#L0000018 the quick\n";
  for (const char c : stream) Feed(std::string(1, c));
  EXPECT_EQ(events_.announcements, 1);
  EXPECT_THAT(events_.deliveries, ElementsAre(17u, 18u));
  EXPECT_TRUE(events_.failures.empty());
}

TEST_F(IrcCodecTest, AnswersPing) {
  EXPECT_EQ(Feed("PING :irc.test\r\n"), "PONG :irc.test\r\n");
}

TEST_F(IrcCodecTest, ErrorNumericsAndErrorAreFailures) {
  Feed(":irc.test 433 * ld00007 :Nickname already in use\r\n");
  ASSERT_EQ(events_.failures.size(), 1u);
  EXPECT_THAT(events_.failures[0], HasSubstr("433"));

  auto other = MakeCodec(Protocol::kIrc, 8);
  RecordedEvents events;
  std::vector<uint8_t> out;
  other->Feed(BytesOf("ERROR :Closing connection\r\n"), out, events);
  EXPECT_EQ(events.failures.size(), 1u);
}

TEST_F(IrcCodecTest, ChannelMessageWithoutLineNumberIsAFailure) {
  Feed(":ld00002!~ld00002@127.10.0.3 PRIVMSG #load :hello\r\n");
  EXPECT_EQ(events_.failures.size(), 1u);
}

TEST_F(IrcCodecTest, OverlongLineIsAFailure) {
  Feed(std::string(5000, 'x'));
  EXPECT_EQ(events_.failures.size(), 1u);
}

TEST(IrcLine, SplitsPrefixCommandAndParameters) {
  const IrcMessage full = ParseIrcLine(":nick!user@host PRIVMSG #load :two words");
  EXPECT_EQ(full.prefix, "nick!user@host");
  EXPECT_EQ(full.command, "PRIVMSG");
  EXPECT_EQ(full.first, "#load");
  EXPECT_EQ(full.trailing, "two words");
  EXPECT_EQ(PrefixNick(full.prefix), "nick");

  const IrcMessage bare = ParseIrcLine("PING token");
  EXPECT_EQ(bare.prefix, "");
  EXPECT_EQ(bare.command, "PING");
  EXPECT_EQ(bare.first, "token");
  EXPECT_EQ(bare.trailing, "token");

  const IrcMessage only_trailing = ParseIrcLine(":srv JOIN :#load");
  EXPECT_EQ(only_trailing.command, "JOIN");
  EXPECT_EQ(only_trailing.first, "#load");
  EXPECT_EQ(PrefixNick("irc.test"), "irc.test");
}

}  // namespace
}  // namespace vantrel::load
