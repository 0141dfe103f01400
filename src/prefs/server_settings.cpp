#include "prefs/server_settings.h"

namespace vantrel {

uint16_t TrackerPortFor(const std::string& address) {
  return address.find(':') == std::string::npos ? kDefaultTrackerPort : 0;
}

}  // namespace vantrel
