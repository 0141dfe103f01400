#include <gtest/gtest.h>

#include <string>

#include "bans/address_range.h"

namespace vantrel {
namespace {

// a.b.c.d as a 32-bit number.
constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

TEST(AddressRange, EachFormIsShownAndEnteredBothWays) {
  const struct {
    uint32_t first, last;
    const char* text;
  } cases[] = {
      {Ip(10, 1, 2, 3), Ip(10, 1, 2, 3), "10.1.2.3"},
      {Ip(10, 1, 2, 0), Ip(10, 1, 2, 255), "10.1.2.0/24"},
      {Ip(10, 1, 2, 0), Ip(10, 1, 2, 7), "10.1.2.0+7"},
      {Ip(10, 0, 0, 5), Ip(10, 0, 200, 5), "10.0.0.5-10.0.200.5"},
      // 16 aligned addresses are the smallest block shown with a prefix length.
      {Ip(10, 1, 2, 16), Ip(10, 1, 2, 31), "10.1.2.16/28"},
      {Ip(10, 1, 2, 17), Ip(10, 1, 2, 32), "10.1.2.17+15"},
      {Ip(128, 0, 0, 0), 0xFFFFFFFF, "128.0.0.0/1"},
      {0, 0xFFFFFFFF, "0.0.0.0-255.255.255.255"},  // the prefix length stops at 1
      {Ip(10, 0, 0, 1), Ip(10, 0, 0, 1) + 9999, "10.0.0.1+9999"},
      {Ip(10, 0, 0, 1), Ip(10, 0, 0, 1) + 10000, "10.0.0.1-10.0.39.17"},
      {Ip(255, 255, 255, 255), Ip(255, 255, 255, 255), "255.255.255.255"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddressRangeText(c.first, c.last), c.text);
    EXPECT_EQ(AddressRangeFromText(c.text), (AddressRange{c.first, c.last})) << c.text;
    EXPECT_TRUE(IsWellFormedAddressRange(c.text)) << c.text;
  }
  EXPECT_EQ(AddressRangeText(0, 0), "");
  // A reversed range is never counted.
  EXPECT_EQ(AddressRangeText(Ip(10, 0, 0, 9), Ip(10, 0, 0, 1)), "10.0.0.9-10.0.0.1");
}

TEST(AddressRangeFromText, HostBitsLeadingZerosAndWholePrefixesAreAccepted) {
  EXPECT_EQ(AddressRangeFromText("10.1.2.77/24"),
            (AddressRange{Ip(10, 1, 2, 0), Ip(10, 1, 2, 255)}));
  EXPECT_EQ(AddressRangeFromText("010.001.002.003"),
            (AddressRange{Ip(10, 1, 2, 3), Ip(10, 1, 2, 3)}));
  EXPECT_EQ(AddressRangeFromText("1.2.3.4/32"), (AddressRange{Ip(1, 2, 3, 4), Ip(1, 2, 3, 4)}));
  EXPECT_EQ(AddressRangeFromText("1.2.3.4/0"), (AddressRange{0, 0xFFFFFFFF}));
}

TEST(AddressRangeFromText, MalformedTextGivesAddressZero) {
  for (const char* text : {"", "10.1.2", "10.1.2.", "10.1.2.3.4", "1.2.3.256", "1.2.3.1000",
                           "a.b.c.d", " 1.2.3.4", "1..2.3", "1.2.3.4 "}) {
    EXPECT_EQ(AddressRangeFromText(text), (AddressRange{0, 0})) << text;
    EXPECT_FALSE(IsWellFormedAddressRange(text)) << text;
  }
  // The second address of a hyphen range is read the same way.
  EXPECT_EQ(AddressRangeFromText("1.2.3.4-nonsense"), (AddressRange{Ip(1, 2, 3, 4), 0}));
  EXPECT_FALSE(IsWellFormedAddressRange("1.2.3.4-5.6.7"));
  EXPECT_FALSE(IsWellFormedAddressRange("1.2.3.4+1.5"));
}

TEST(AddressRangeFromText, OddCountsAndPrefixesGiveSafeRanges) {
  // No count, or not a number: the address alone.
  EXPECT_EQ(AddressRangeFromText("1.2.3.4+"), (AddressRange{Ip(1, 2, 3, 4), Ip(1, 2, 3, 4)}));
  EXPECT_EQ(AddressRangeFromText("1.2.3.4+x"), (AddressRange{Ip(1, 2, 3, 4), Ip(1, 2, 3, 4)}));
  // A count past the last address stops there instead of wrapping.
  EXPECT_EQ(AddressRangeFromText("255.255.255.0+4000000000"),
            (AddressRange{Ip(255, 255, 255, 0), 0xFFFFFFFF}));
  // A prefix length outside 0 to 32, or none, never widens the ban.
  for (const char* text : {"1.2.3.4/33", "1.2.3.4/", "1.2.3.4/-1", "1.2.3.4/x", "1.2.3.4/100"}) {
    EXPECT_EQ(AddressRangeFromText(text), (AddressRange{Ip(1, 2, 3, 4), Ip(1, 2, 3, 4)})) << text;
    EXPECT_FALSE(IsWellFormedAddressRange(text)) << text;
  }
  // Only the first 63 bytes of a text count.
  EXPECT_EQ(AddressRangeFromText(std::string(63, 'x') + "-1.2.3.4"), (AddressRange{0, 0}));
}

}  // namespace
}  // namespace vantrel
