#pragma once

#include <ctime>
#include <string>

namespace vantrel {

// The date texts of ban entries, in Mac Roman, at most kMaxBanDateTextLength
// bytes: the local date, a blank and the local time of day with seconds.

// Entries the server makes (automatic bans, transaction 110): the locale's
// short date and its time format.
std::string ServerBanDateText(const std::tm& when);

// Entries the operator adds by hand: "MM/DD/YYYY" and the locale's time format.
std::string OperatorBanDateText(const std::tm& when);

}  // namespace vantrel
