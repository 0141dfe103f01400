#include <gtest/gtest.h>

#include <string>

#include "chat/chat_line.h"

namespace vantrel {
namespace {

std::string Line(std::string_view name, bool action, std::string_view text) {
  return FormatChatLine(ChatPrefix(name, action), text);
}

TEST(ChatLine, EveryLineOfTheTextNamesTheSpeaker) {
  EXPECT_EQ(Line("Ann", false, "one\rtwo"), "\r          Ann:  one\r          Ann:  two");
  EXPECT_EQ(Line("Ann", true, "a\rb"), "\r *** Ann a\r *** Ann b");
  // A carriage return at either end of the text is replaced like any other.
  EXPECT_EQ(Line("Bo", false, "\rx\r"), "\r           Bo:  \r           Bo:  x\r           Bo:  ");
}

TEST(ChatLine, LongNameIsCutToThirteenInNormalLinesOnly) {
  EXPECT_EQ(Line("ABCDEFGHIJKLMNOPQRST", false, "x"), "\rABCDEFGHIJKLM:  x");
  EXPECT_EQ(Line("ABCDEFGHIJKLM", false, "x"), "\rABCDEFGHIJKLM:  x");
  EXPECT_EQ(Line("ABCDEFGHIJKLMNOPQRST", true, "x"), "\r *** ABCDEFGHIJKLMNOPQRST x");
}

TEST(ChatLine, CarriageReturnInTheNameIsKept) {
  EXPECT_EQ(Line("A\rB", false, "x\ry"), "\r          A\rB:  x\r          A\rB:  y");
}

TEST(ChatLine, PrefixIsCutToItsLimit) {
  const std::string name(80, 'n');
  const std::string prefix = ChatPrefix(name, true);
  EXPECT_EQ(prefix.size(), kChatPrefixLimit);
  EXPECT_EQ(prefix, "\r *** " + std::string(kChatPrefixLimit - 6, 'n'));
}

TEST(ChatLine, ResultIsCutTo8192Bytes) {
  const std::string text(kChatTextLimit, 'z');
  const std::string line = Line("Ann", false, text);
  ASSERT_EQ(line.size(), 8192u);
  EXPECT_EQ(line.substr(0, 18), "\r          Ann:  z");
  EXPECT_EQ(line.back(), 'z');

  // A text of nothing but carriage returns multiplies the prefix up to the limit.
  const std::string returns(kChatTextLimit, '\r');
  const std::string expanded = Line("Ann", false, returns);
  ASSERT_EQ(expanded.size(), 8192u);
  const std::string prefix = "\r          Ann:  ";
  EXPECT_EQ(expanded.substr(8192 / prefix.size() * prefix.size() - prefix.size(), prefix.size()),
            prefix);
  EXPECT_EQ(expanded.substr(8192 - 8192 % prefix.size()), prefix.substr(0, 8192 % prefix.size()));
}

}  // namespace
}  // namespace vantrel
