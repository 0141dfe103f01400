#include "news/board_post.h"

#include <array>
#include <cstdio>

namespace vantrel {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kUnknownMonth = "???";

// The header is made in a buffer of this size (the display name holds at most
// 31 bytes, so it always fits).
constexpr size_t kHeaderCapacity = 256;

const char* MonthName(int month_index) {
  if (month_index < 0 || month_index >= static_cast<int>(kMonthNames.size())) {
    return kUnknownMonth;
  }
  return kMonthNames[static_cast<size_t>(month_index)];
}

// Two digits with a leading zero, as "%2.2hu" prints a 16-bit value.
std::string TwoDigits(int value) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%2.2hu", static_cast<unsigned short>(value));
  return digits;
}

}  // namespace

std::string ComposeBoardPost(std::string_view display_name, const std::tm& when,
                             std::span<const uint8_t> body) {
  std::string post = "From ";
  post += display_name;
  post += " (";
  post += MonthName(when.tm_mon);
  post += TwoDigits(when.tm_mday) + " " + TwoDigits(when.tm_hour) + ":" + TwoDigits(when.tm_min);
  post += "):\r\r";
  if (post.size() >= kHeaderCapacity) post.resize(kHeaderCapacity - 1);

  post.append(reinterpret_cast<const char*>(body.data()), body.size());
  post += '\r';
  post.append(kPostTrailerUnderscores, '_');
  post += '\r';
  return post;
}

}  // namespace vantrel
