#include "news/host_text.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ServerTextFromFile, LineEndsBecomeSingleCarriageReturns) {
  EXPECT_EQ(ServerTextFromFile("one\r\ntwo\r\n"), "one\rtwo\r");
  EXPECT_EQ(ServerTextFromFile("one\ntwo\n"), "one\rtwo\r");
  EXPECT_EQ(ServerTextFromFile("a\rb\r\r\nc\n\rd"), "a\rb\r\rc\r\rd");
  EXPECT_EQ(ServerTextFromFile("\n\r\n\n"), "\r\r\r");
  EXPECT_EQ(ServerTextFromFile("ends in CR\r"), "ends in CR\r");
  EXPECT_EQ(ServerTextFromFile(""), "");
}

TEST(ServerTextFromFile, Utf8BecomesMacRoman) {
  // "Café – “rules”" in UTF-8: é, the en dash and the curly quotes.
  EXPECT_EQ(ServerTextFromFile("Caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9Crules\xE2\x80\x9D\n"),
            "Caf\x8E \xD0 \xD2rules\xD3\r");
  // A character Mac Roman does not have.
  EXPECT_EQ(ServerTextFromFile("\xE4\xB8\xAD!"), "?!");
}

TEST(ServerTextFromFile, MacRomanTextKeepsItsBytes) {
  // Mac Roman é, then curly quotes: not UTF-8, so taken as the server's own text.
  EXPECT_EQ(ServerTextFromFile("Caf\x8E \xD2quoted\xD3\r\n"), "Caf\x8E \xD2quoted\xD3\r");
  // One valid UTF-8 pair does not make a text UTF-8 when other bytes are not.
  EXPECT_EQ(ServerTextFromFile("\xC3\xA9 and \x8E"), "\xC3\xA9 and \x8E");
}

TEST(IsWellFormedUtf8, RejectsMalformedSequences) {
  EXPECT_TRUE(IsWellFormedUtf8("plain"));
  EXPECT_TRUE(IsWellFormedUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsWellFormedUtf8("\x80"));              // a stray continuation byte
  EXPECT_FALSE(IsWellFormedUtf8("\xC3"));              // cut short
  EXPECT_FALSE(IsWellFormedUtf8("\xC3\x41"));          // not followed by a continuation
  EXPECT_FALSE(IsWellFormedUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsWellFormedUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsWellFormedUtf8("\xFF"));
}

}  // namespace
}  // namespace vantrel
