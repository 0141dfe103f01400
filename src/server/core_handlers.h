#pragma once

#include "logs/log_window.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// Registers the server core's own transactions: keep-alive (500) and the user
// list's 300, 303 and 304. REQUIRES: `clients` and `auto_bans` outlive `table`.
void RegisterCoreHandlers(DispatchTable& table, ClientList& clients, AutoBanner& auto_bans);

// The answer to a type without a handler: the error reply "Unknown transaction
// type!" and the log line "Received unknown transaction type!". The connection stays.
void AnswerUnknownType(Request& request, LogWindow& log);

}  // namespace vantrel
