#include "platform/service_manager.h"

#include <systemd/sd-daemon.h>

#include <string>

namespace vantrel {

void NotifyServiceManager(std::string_view state) {
  // A failure to reach the manager leaves the server serving: nothing to do about it.
  sd_notify(/*unset_environment=*/0, std::string(state).c_str());
}

}  // namespace vantrel
