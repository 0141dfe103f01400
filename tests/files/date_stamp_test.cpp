#include "files/date_stamp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantrel {
namespace {

using ::testing::ElementsAre;

std::tm Calendar(int year, int month, int day, int hour, int minute, int second) {
  std::tm calendar{};
  calendar.tm_year = year - 1900;
  calendar.tm_mon = month - 1;
  calendar.tm_mday = day;
  calendar.tm_hour = hour;
  calendar.tm_min = minute;
  calendar.tm_sec = second;
  return calendar;
}

TEST(DateStamp, YearThenSecondsSinceTheYearBegan) {
  // 2026-03-07 09:05:30: (59 + 6) days x 86400 + 32730 s = 5648730 = 0x0056315A.
  EXPECT_THAT(DateStampOf(Calendar(2026, 3, 7, 9, 5, 30)),
              ElementsAre(0x07, 0xEA, 0, 0, 0x00, 0x56, 0x31, 0x5A));
  // A leap year's March has one day more before it: 2024-03-01 00:00:00 = 60 days.
  EXPECT_THAT(DateStampOf(Calendar(2024, 3, 1, 0, 0, 0)),
              ElementsAre(0x07, 0xE8, 0, 0, 0x00, 0x4F, 0x1A, 0x00));
  EXPECT_THAT(DateStampOf(Calendar(2024, 1, 1, 0, 0, 1)),
              ElementsAre(0x07, 0xE8, 0, 0, 0, 0, 0, 1));
}

}  // namespace
}  // namespace vantrel
