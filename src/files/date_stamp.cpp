#include "files/date_stamp.h"

namespace vantrel {
namespace {

constexpr uint32_t kSecondsPerDay = 86400;
// The year a time that cannot be converted is given.
constexpr uint16_t kUnconvertibleYear = 1997;
// Days of the year before each month, in a year that is not a leap year.
constexpr uint32_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

DateStamp Stamp(uint16_t year, uint32_t seconds) {
  DateStamp stamp{};
  stamp[0] = static_cast<uint8_t>(year >> 8);
  stamp[1] = static_cast<uint8_t>(year);
  for (int i = 0; i < 4; ++i) stamp[4 + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
  return stamp;
}

}  // namespace

DateStamp DateStampOf(const std::tm& calendar) {
  const int year = calendar.tm_year + 1900;
  const int month = calendar.tm_mon;
  uint32_t days = kDaysBeforeMonth[month] + static_cast<uint32_t>(calendar.tm_mday - 1);
  if (month >= 2 && IsLeapYear(year)) ++days;
  const uint32_t seconds = days * kSecondsPerDay + static_cast<uint32_t>(calendar.tm_hour) * 3600 +
                           static_cast<uint32_t>(calendar.tm_min) * 60 +
                           static_cast<uint32_t>(calendar.tm_sec);
  return Stamp(static_cast<uint16_t>(year), seconds);
}

DateStamp DateStampOf(std::time_t time) {
  std::tm calendar{};
  if (::localtime_r(&time, &calendar) == nullptr || calendar.tm_mon < 0 || calendar.tm_mon > 11 ||
      calendar.tm_year + 1900 < 0 || calendar.tm_year + 1900 > 0xFFFF) {
    return Stamp(kUnconvertibleYear, 0);
  }
  return DateStampOf(calendar);
}

}  // namespace vantrel
