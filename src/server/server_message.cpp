#include "server/server_message.h"

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel {

UFieldData ServerMessageFields(std::string_view text) {
  UFieldData fields;
  fields.AddText(kFieldData, text);
  return fields;
}

void SendServerMessage(TransactionSession& connection, std::string_view text) {
  connection.SendRequest(kTranServerMessage, ServerMessageFields(text));
}

}  // namespace vantrel
