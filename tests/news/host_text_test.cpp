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

}  // namespace
}  // namespace vantrel
