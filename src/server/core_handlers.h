#pragma once

#include "server/dispatch_table.h"

namespace vantrel {

// Registers the server core's own transactions (keep-alive).
void RegisterCoreHandlers(DispatchTable& table);

// The answer to a type without a handler: the error reply "Unknown transaction
// type!" and the log line "Received unknown transaction type!". The connection stays.
void AnswerUnknownType(Request& request);

}  // namespace vantrel
