#pragma once

#include <string_view>

namespace vantrel {

// The service manager (systemd) that started the server, if any.

// Tells the service manager the server's state: "READY=1" once it serves,
// "STOPPING=1" when it quits. Does nothing when no service manager listens
// (NOTIFY_SOCKET unset, as when started by hand).
void NotifyServiceManager(std::string_view state);

}  // namespace vantrel
