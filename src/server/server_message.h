#pragma once

#include <string_view>

#include "protocol/field_data.h"
#include "protocol/transaction_session.h"

namespace vantrel {

// A server message: transaction 104 carrying only the server's own text as
// field 101, the way the server tells a user something in its own words (a
// ban, a deleted account, the operator's broadcast).

// The field list of a server message with `text` (Mac Roman).
UFieldData ServerMessageFields(std::string_view text);

// Queues a server message with `text` to `connection`.
void SendServerMessage(TransactionSession& connection, std::string_view text);

}  // namespace vantrel
