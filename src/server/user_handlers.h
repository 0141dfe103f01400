#pragma once

#include <cstdint>

#include "server/client_list.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// Set-user-info flood rule: within a window of this many seconds...
inline constexpr uint32_t kUserInfoWindowSeconds = 60;
// ...more than this many 304 requests disconnect the client and ban its address.
inline constexpr uint16_t kUserInfoLimit = 25;

// Registers the user-list transactions: 300 (get user list), 303 (get client
// info) and 304 (set user info). REQUIRES: `clients` and `auto_bans` outlive `table`.
void RegisterUserHandlers(DispatchTable& table, ClientList& clients, AutoBanner& auto_bans);

}  // namespace vantrel
