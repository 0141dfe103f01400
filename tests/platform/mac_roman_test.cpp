#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/mac_roman.h"

namespace vantrel {
namespace {

TEST(MacRoman, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(Utf8ToMacRoman(MacRomanToUtf8(all)), all);

  std::set<std::string> characters;
  for (int byte = 0x80; byte < 256; ++byte) {
    const std::string utf8 = MacRomanToUtf8(std::string(1, static_cast<char>(byte)));
    EXPECT_GE(utf8.size(), 2u) << byte;  // never ASCII
    characters.insert(utf8);
  }
  EXPECT_EQ(characters.size(), 128u);
}

TEST(MacRoman, KnownCharacters) {
  EXPECT_EQ(MacRomanToUtf8("\x80\x8E\xA5\xD2\xD3\xDB\xF0\xFF"),
            "\xC3\x84"      // Ä
            "\xC3\xA9"      // é
            "\xE2\x80\xA2"  // •
            "\xE2\x80\x9C"  // “
            "\xE2\x80\x9D"  // ”
            "\xE2\x82\xAC"  // €
            "\xEF\xA3\xBF"  // the Apple logo, U+F8FF
            "\xCB\x87");    // ˇ
  EXPECT_EQ(MacRomanToUtf8("a\rb"), "a\rb");
  EXPECT_EQ(MacRomanToOperatorText("a\rb\xD2"), "a\nb\xE2\x80\x9C");
}

TEST(MacRoman, CharactersWithoutAnEquivalentAndMalformedBytesBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToMacRoman("\xE4\xB8\xAD"), "?");          // 中
  EXPECT_EQ(Utf8ToMacRoman("x\xF0\x9F\x98\x80y"), "x?y");  // an emoji, four bytes
  EXPECT_EQ(Utf8ToMacRoman("\xC2\xA4"), "?");              // ¤ has no byte of its own
  // One question mark per malformed byte.
  EXPECT_EQ(Utf8ToMacRoman("\xC3"), "?");              // cut short
  EXPECT_EQ(Utf8ToMacRoman("\xC0\x81"), "??");         // overlong form of 0x01
  EXPECT_EQ(Utf8ToMacRoman("\xED\xA0\x80"), "???");    // a surrogate
  EXPECT_EQ(Utf8ToMacRoman("\xC3\xA9\x80"), "\x8E?");  // é, then a stray continuation
}

}  // namespace
}  // namespace vantrel
