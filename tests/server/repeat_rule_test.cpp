#include "server/repeat_rule.h"

#include <gtest/gtest.h>

#include <string>

#include "server/client_session.h"

namespace vantrel {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Crc32Mpeg2, KnownCheckValues) {
  EXPECT_EQ(Crc32Mpeg2(Bytes("123456789")), 0x0376E6E7u);  // the variant's check value
  EXPECT_EQ(Crc32Mpeg2({}), 0xFFFFFFFFu);
}

TEST(RepeatRule, SixthIdenticalTextInARowBans) {
  ClientSession client(nullptr, 0, 1, 0);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(IsBanningRepeat(client, "spam")) << "text " << i + 1;
  EXPECT_TRUE(IsBanningRepeat(client, "spam"));
}

TEST(RepeatRule, DifferentTextInBetweenStartsOver) {
  ClientSession client(nullptr, 0, 1, 0);
  for (int i = 0; i < 5; ++i) IsBanningRepeat(client, "spam");
  EXPECT_FALSE(IsBanningRepeat(client, "ham"));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(IsBanningRepeat(client, "spam"));
  EXPECT_TRUE(IsBanningRepeat(client, "spam"));
}

}  // namespace
}  // namespace vantrel
