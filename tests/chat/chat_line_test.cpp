#include <gtest/gtest.h>

#include <string>

#include "chat/chat_line.h"

namespace vantrel {
namespace {

std::string Line(std::string_view name, bool action, std::string_view text) {
  return FormatChatLine(ChatPrefix(name, action), text);
}

TEST(ChatLine, CarriageReturnsAtEitherEndOfTheTextAndInTheNameAreKept) {
  EXPECT_EQ(Line("Bo", false, "\rx\r"), "\r           Bo:  \r           Bo:  x\r           Bo:  ");
  EXPECT_EQ(Line("A\rB", false, "x\ry"), "\r          A\rB:  x\r          A\rB:  y");
}

TEST(ChatLine, LongNameIsCutToThirteenInNormalLinesOnly) {
  EXPECT_EQ(Line("ABCDEFGHIJKLMNOPQRST", false, "x"), "\rABCDEFGHIJKLM:  x");
  EXPECT_EQ(Line("ABCDEFGHIJKLM", false, "x"), "\rABCDEFGHIJKLM:  x");
  EXPECT_EQ(Line("ABCDEFGHIJKLMNOPQRST", true, "x"), "\r *** ABCDEFGHIJKLMNOPQRST x");
}

TEST(ChatLine, ResultIsCutTo8192Bytes) {
  const std::string text(kChatTextLimit, 'z');
  const std::string line = Line("Ann", false, text);
  ASSERT_EQ(line.size(), 8192u);
  EXPECT_EQ(line.substr(0, 18), "\r          Ann:  z");
  EXPECT_EQ(line.back(), 'z');

  // A text of nothing but carriage returns multiplies the prefix up to the limit.
  EXPECT_EQ(Line("Ann", false, std::string(kChatTextLimit, '\r')).size(), 8192u);
}

}  // namespace
}  // namespace vantrel
