#pragma once

#include <cstdint>
#include <span>

#include "server/client_list.h"

namespace vantrel {

// The one way a text goes to every logged-in user: transaction 355 from a user
// with the broadcast privilege, and the operator's broadcast command
// (ChatCapability::BroadcastServerMessage, transaction 104) both send through it.

// No client is left out (user IDs are never 0).
inline constexpr uint16_t kNobodyExcepted = 0;

// Queues `body` as a request of `type` to every client in `clients` that is
// logged in and whose connection is open, except the one with user ID `except`.
void SendToLoggedIn(const ClientList& clients, uint16_t type, std::span<const uint8_t> body,
                    uint16_t except = kNobodyExcepted);

}  // namespace vantrel
