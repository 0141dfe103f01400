#include "bans/ban_dates.h"

#include "bans/ban_record.h"
#include "logs/log_window.h"

namespace vantrel {

// The log files' date texts have exactly these two forms; a ban entry keeps at
// most kMaxBanDateTextLength bytes of them.

std::string ServerBanDateText(const std::tm& when) {
  return CutBanText(ErrorDateText(when), kMaxBanDateTextLength);
}

std::string OperatorBanDateText(const std::tm& when) {
  return CutBanText(LogDateText(when), kMaxBanDateTextLength);
}

}  // namespace vantrel
