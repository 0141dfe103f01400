#pragma once

#include <array>
#include <cstdint>
#include <ctime>

namespace vantrel {

// A date as file information and news articles carry it, 8 bytes big-endian:
// the year (16 bits), milliseconds (16 bits, always 0 here) and the seconds
// since 1 January 00:00:00 of that year (32 bits), in local time.
using DateStamp = std::array<uint8_t, 8>;

// The stamp of the local calendar time `calendar`: seconds = (day of month - 1)
// x 86400 + the seconds of the months before (a leap year's February has 29
// days) + hour x 3600 + minute x 60 + second. Pure.
DateStamp DateStampOf(const std::tm& calendar);

// The stamp of `time` (seconds since 1970 UTC) in local time; year 1997 and
// zeros for a time the system cannot convert.
DateStamp DateStampOf(std::time_t time);

}  // namespace vantrel
