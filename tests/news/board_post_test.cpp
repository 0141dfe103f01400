#include "news/board_post.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::tm At(int month_index, int day, int hour, int minute) {
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = month_index;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  return when;
}

TEST(BoardPost, BodyIsKeptAsSentBetweenHeaderAndTrailer) {
  const std::string body("Hello\r\n\0there ", 14);  // NUL and CR LF included
  EXPECT_EQ(ComposeBoardPost("Zo\x8E", At(11, 31, 23, 59), Bytes(body)),
            "From Zo\x8E (Dec31 23:59):\r\r" + body +
                "\r__________________________________________________________\r");
}

TEST(BoardPost, MonthOutOfRangeHasNoName) {
  EXPECT_EQ(ComposeBoardPost("A", At(12, 1, 0, 0), {}).substr(0, 21), "From A (???01 00:00):");
  EXPECT_EQ(ComposeBoardPost("A", At(-1, 1, 0, 0), {}).substr(0, 21), "From A (???01 00:00):");
}

}  // namespace
}  // namespace vantrel
