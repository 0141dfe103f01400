#include "server/repeat_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Crc32Mpeg2, KnownCheckValues) {
  EXPECT_EQ(Crc32Mpeg2(Bytes("123456789")), 0x0376E6E7u);  // the variant's check value
  EXPECT_EQ(Crc32Mpeg2({}), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vantrel
